// AutostartEntry over the file system.
#include "app/autostart_entry.h"

#include <filesystem>

#include "platform/text_encoding.h"

namespace tavrel {
namespace {

// An Exec argument in double quotes. Inside them ", `, $ and \ take a
// backslash, and the value's own escaping doubles every backslash; % is doubled
// so that it is no field code.
std::string QuotedExecArgument(const std::string& word) {
    std::string quoted = "\"";
    for (const char c : word) {
        if (c == '"' || c == '`' || c == '$') {
            quoted += "\\\\";
            quoted += c;
        } else if (c == '\\') {
            quoted += "\\\\\\\\";
        } else if (c == '%') {
            quoted += "%%";
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

// A string value: the path as it stands, only backslashes and line ends escaped.
std::string EscapedValue(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        if (c == '\\') {
            escaped += "\\\\";
        } else if (c == '\n') {
            escaped += "\\n";
        } else if (c == '\r') {
            escaped += "\\r";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

}  // namespace

std::string AutostartDesktopEntry(const std::string& executable) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Tavrel\n"
           "Comment=Drive the desktop with an infrared remote control\n"
           // A removed program is not started at login: the desktop skips an
           // entry whose TryExec names no executable file.
           "TryExec=" +
           EscapedValue(executable) +
           "\n"
           "Exec=" +
           QuotedExecArgument(executable) +
           "\n"
           "Icon=tavrel\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

AutostartEntry::AutostartEntry(FileSystem& files, std::string configHome)
    : files_(files),
      directory_(JoinPath(configHome, "autostart")),
      path_(JoinPath(directory_, "tavrel.desktop")) {}

bool AutostartEntry::Enabled() const {
    const FileContents contents = files_.readFile(path_);
    return contents.status.ok() && contents.bytes.find("\nHidden=true") == std::string::npos;
}

std::optional<WriteFailure> AutostartEntry::SetEnabled(bool on, const std::string& executable) {
    if (!on) {
        if (!files_.exists(path_)) {
            return std::nullopt;
        }
        const FileStatus removed = files_.removeFile(path_);
        if (!removed.ok()) {
            return WriteFailure{path_, removed.error};
        }
        return std::nullopt;
    }
    // Under the system's name for it, as the file system writes the entry.
    std::error_code error;
    std::filesystem::create_directories(Cp1252ToUtf8(directory_), error);
    if (error) {
        return WriteFailure{path_, error.message()};
    }
    return ReplaceFileContents(files_, path_, AutostartDesktopEntry(executable));
}

}  // namespace tavrel
