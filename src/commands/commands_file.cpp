// Load and Save/Run of the commands file.
#include "commands/commands_file.h"

#include <algorithm>
#include <limits>
#include <string_view>
#include <vector>

#include "commands/codigo_text.h"
#include "commands/command_entries.h"
#include "commands/ini_file.h"
#include "commands/variant_sections.h"

namespace tavrel {
namespace {

constexpr std::string_view kConfig = "Config";
constexpr std::string_view kComandos = "Comandos";

// The numbered names, each plus offset.
void AddNumbers(const std::vector<std::string_view>& names, std::int64_t offset,
                std::vector<std::int64_t>& out) {
    for (const auto& name : names) {
        if (const auto number = EntryNumber(name)) {
            out.push_back(*number + offset);
        }
    }
}

// The numbers of the entries the file holds: keys of Comandos, numbered sections.
std::vector<std::int64_t> HeldEntries(const IniFile& ini) {
    std::vector<std::int64_t> held;
    AddNumbers(ini.keys(kComandos), 0, held);
    AddNumbers(ini.sectionNames(), 0, held);
    return held;
}

std::int32_t EntryCount(const IniFile& ini) {
    const std::int64_t highest = HighestWithinReach(HeldEntries(ini));
    // A count below the entries the file holds (negative even) is a slip of
    // a hand edit, not a wish to lose them: every entry held is loaded.
    const auto claimed = static_cast<std::int32_t>(
        std::max<std::int64_t>(ini.readInt(kConfig, "NumComandos", 0), highest));
    return BackedCount(claimed, highest);
}

// Hand edits a load leaves out: a numbered section that comes twice (two
// files joined), and actions numbered at or beyond the section's count
// (Loop; a remote has none).
bool HoldsUnloadedEdits(const IniFile& old) {
    std::vector<std::int32_t> sections;
    CommandEntries entries;
    for (const std::string_view name : old.sectionNames()) {
        const std::optional<std::int32_t> number = EntryNumber(name);
        if (!number) {
            continue;
        }
        sections.push_back(*number);
        ReadCommandEntries(old, old.section(name), entries);
        const std::int32_t actions =
            entries.readInt(CommandEntries::Level, -1) == 0 ? 0 : ActionCount(entries);
        for (const auto& [key, value] : entries.numbered) {
            if (key >= actions) {
                return true;
            }
        }
    }
    std::sort(sections.begin(), sections.end());
    return std::adjacent_find(sections.begin(), sections.end()) != sections.end();
}

// Writing the table over the file would lose some of what it holds: entries
// numbered beyond the table's (however far) or below the first (0), variants
// (see VariantsWouldLose), values that a load could read only cut short (a
// code longer than the read limit), or hand edits a load leaves out.
bool WouldLose(const IniFile& old, const CommandTable& table) {
    const std::vector<std::int64_t> held = HeldEntries(old);
    const std::int64_t highest = held.empty() ? 0 : *std::max_element(held.begin(), held.end());
    const std::int64_t lowest = held.empty() ? 1 : *std::min_element(held.begin(), held.end());
    const std::int32_t entries = EntryCount(old);
    return std::max<std::int64_t>(highest, entries) > table.count() || lowest < 1 ||
           old.valueCut() || HoldsUnloadedEdits(old) || VariantsWouldLose(old, entries, table);
}

void LoadCommand(const CommandEntries& entries, std::int32_t valueSize, TComando& c) {
    using E = CommandEntries;
    ReadActionSettings(entries, c);
    c.Activado = entries.readBool(E::Activado, true);
    c.Typematic = entries.readBool(E::Typematic, true);
    DecodeCodigo(entries.named[E::Codigo].value_or(std::string_view()), valueSize, c.Codigo);
}

}  // namespace

CommandsFile::CommandsFile(CommandTable& table, SequenceSettings& sequence, CommandsFileHost& host,
                           FileSystem& files, const ProgramSettingsFile& settingsFile)
    : table_(table), sequence_(sequence), host_(host), files_(files), settingsFile_(settingsFile) {}

LoadResult CommandsFile::Load() {
    const std::string path = settingsFile_.readCommandsFilePath();
    host_.setCommandsFilePath(path);
    return loadFile(path);
}

LoadResult CommandsFile::LoadFrom(const std::string& path) {
    return loadFile(path);
}

std::optional<std::string> CommandsFile::Unusable(const std::string& path) const {
    if (IniFileRead read = ReadIniFile(files_, path); !read.problem.empty()) {
        return UnableToRead(path, read.problem);
    }
    return std::nullopt;
}

LoadResult CommandsFile::loadFile(const std::string& path) {
    LoadResult result;
    result.path = path;
    IniFileRead read = ReadIniFile(files_, path);
    if (!read.found) {
        return result;
    }
    result.found = true;
    result.readError = std::move(read.problem);
    const IniFile& ini = read.ini;

    sequence_.ShortestCodeLength = kShortestCodeLengthAtLoad;

    PortOrdinals ports;
    const std::int32_t puerto = ini.readInt(kConfig, "Puerto", 0);
    ports.ComPort = puerto == std::numeric_limits<std::int32_t>::min() ? puerto : puerto - 1;
    ports.ComPortSpeed = ini.readInt(kConfig, "Velocidad", 8);
    ports.ComPortParity = ini.readInt(kConfig, "Paridad", 0);
    ports.ComPortDataBits = ini.readInt(kConfig, "DataBits", 3);
    ports.ComPortStopBits = ini.readInt(kConfig, "StopBits", 0);
    const bool wasOpen = host_.IsOpen();
    if (wasOpen) {
        host_.DesactivarClick();
    }
    host_.setPortOrdinals(ports);
    if (wasOpen) {
        host_.ActivarClick();
    }
    host_.showPortOrdinals(ports);

    sequence_.Tolerance = ini.readInt(kConfig, "Tolerance", 4);
    // Matching cannot skip fewer than no values.
    sequence_.SkipFirst = std::max(0, ini.readInt(kConfig, "SkipFirst", 1));
    sequence_.ValueSize = UsableValueSize(ini.readInt(kConfig, "ValueSize", 1));
    host_.showSequenceSettings(sequence_);

    const std::int32_t entries = EntryCount(ini);
    if (entries >= 1) {
        const IniFile::SectionId comandos = ini.section(kComandos);
        int remote = kNoNode;
        TComando* previous = nullptr;
        CommandEntries held;
        const VariantSections variants(ini);
        for (std::int32_t j = 1; j <= entries; ++j) {
            const std::string number = std::to_string(j);
            const std::string name = ini.readString(comandos, number, "");
            ReadCommandEntries(ini, ini.section(number), held);
            if (held.readInt(CommandEntries::Level, -1) == 0) {
                remote = table_.appendRemote(name, j);
                continue;
            }
            if (remote == kNoNode) {
                remote = table_.appendRemote("Remote", -1);
            }
            const int pos = table_.appendCommand(remote, name, j);
            TComando& command = table_.record(pos);
            LoadCommand(held, sequence_.ValueSize, command);
            LoadVariants(ini, variants, j, command, held);
            // A text too short for one value is no code: it must not pull the
            // threshold down to 0, which would start recognition on every batch.
            if (command.Codigo.NumValores > 0) {
                sequence_.ShortestCodeLength =
                    std::min(sequence_.ShortestCodeLength, command.Codigo.NumValores);
            }
            table_.applyImageRule(pos);
            if (previous != nullptr) {
                previous->Siguiente = &command;
            }
            previous = &command;
        }
        host_.ActivarClick();
    }
    table_.setCurrent(nullptr);
    table_.markSaved();
    host_.resetCapture();
    return result;
}

std::optional<WriteFailure> CommandsFile::SaveRun(const ProgramSettings& settingsInEffect) {
    backupKept_.clear();
    const std::string target = settingsFile_.commandsFilePath(settingsInEffect);
    // The whole file is read below: a file that cannot be read fails there.
    if (auto failure = CheckReplaceable(files_, target, ReadCheck::ByCaller)) {
        return failure;
    }
    const std::string bytes = Serialize(table_, sequence_, host_.portOrdinals());
    // A file that already holds exactly these bytes loses nothing, and is
    // neither read as INI nor copied: a start at every login saves a large
    // file that has not changed.
    std::string backup;
    const bool holds = Holds(target, bytes);
    if (!holds) {
        // A file that is there but cannot be read, or is no commands file (see
        // NotAnIniFile), may hold what the user wrote; Save/Run leaves it alone.
        IniFileRead old = ReadIniFile(files_, target);
        if (!old.problem.empty()) {
            return WriteFailure{target, std::move(old.problem)};
        }
        // Before anything is written: what the file holds and the table no
        // longer does is kept in a copy, or nothing is saved.
        if (old.found && WouldLose(old.ini, table_)) {
            backup = target + kBackupSuffix;
            FileContents held = files_.readFile(target);
            if (!held.status.ok()) {
                return WriteFailure{target, std::move(held.status.error)};
            }
            if (auto failure = KeepCopy(files_, backup, held.bytes, target)) {
                // In a folder everyone writes to, another user's file or
                // link there cannot be replaced: a name of its own beside it.
                std::optional<std::string> fresh =
                    KeepCopyUnderFreshName(files_, backup, held.bytes, target);
                if (!fresh) {
                    return failure;
                }
                backup = std::move(*fresh);
            }
        }
    }
    if (auto failure = settingsFile_.write(settingsInEffect)) {
        return failure;
    }
    // The file checked above is the one written and reloaded: reading its
    // name back from the settings file could give another (values are read
    // cut short, line breaks are written as blanks).
    if (holds) {
        ClearStaleScratchFiles(files_, target);
    } else if (auto failure = ReplaceFileContents(files_, target, bytes, ReadCheck::ByCaller)) {
        return failure;
    }
    table_.clear();
    host_.setCommandsFilePath(target);
    loadFile(target);
    backupKept_ = std::move(backup);
    return std::nullopt;
}

bool CommandsFile::Holds(const std::string& path, std::string_view bytes) const {
    if (!files_.exists(path)) {
        return false;
    }
    const FileContents held = files_.readFile(path);
    return held.status.ok() && held.bytes == bytes;
}

std::string CommandsFile::Serialize(const CommandTable& table, const SequenceSettings& sequence,
                                    const PortOrdinals& ports) {
    const std::int32_t valueSize = UsableValueSize(sequence.ValueSize);
    IniWriter w;
    // A command with its code and a few actions takes some 170 bytes.
    w.reserve(static_cast<std::size_t>(table.count()) * 256);
    w.section(kConfig);
    w.key("Puerto", std::int64_t{ports.ComPort} + 1);
    w.key("Velocidad", ports.ComPortSpeed);
    w.key("Paridad", ports.ComPortParity);
    w.key("DataBits", ports.ComPortDataBits);
    w.key("StopBits", ports.ComPortStopBits);
    w.key("SkipFirst", sequence.SkipFirst);
    w.key("Tolerance", sequence.Tolerance);
    w.key("ValueSize", valueSize);
    w.key("NumComandos", table.count());

    w.section(kComandos);
    for (int i = 0; i < table.count(); ++i) {
        w.key(std::to_string(i + 1), table.label(i));
    }
    for (int i = 0; i < table.count(); ++i) {
        w.section(std::to_string(i + 1));
        if (!table.isCommand(i)) {
            w.key("Level", 0);
            continue;
        }
        const TComando& c = table.record(i);
        WriteLoopKeys(w, c);
        w.key("Level", 1);
        w.key("TargetWindow", c.TargetWindow);
        w.key("Activado", c.Activado);
        w.key("Typematic", c.Typematic);
        w.key("Retraso", c.Retraso);
        w.key("Codigo", EncodeCodigo(c.Codigo, valueSize));
        WriteActionKeys(w, c);
        WriteVariantSections(w, i + 1, c);
    }
    return w.bytes();
}

}  // namespace tavrel
