// Reading and writing action lists and the four kinds of action string,
// never reading outside the string whatever a hand-edited file holds.
#include "actions/action_string.h"

#include <algorithm>

namespace tavrel {

namespace {

// Index of the entry for index text key, or -1.
int findEntry(const ActionList& list, std::string_view key) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string_view entry = list[i];
        const std::size_t eq = entry.find('=');
        if (eq != std::string_view::npos && entry.substr(0, eq) == key) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// Payload text from 0-based position from to the end, or empty.
std::string tail(std::string_view s, std::size_t from) {
    return from < s.size() ? std::string(s.substr(from)) : std::string();
}

char at(std::string_view s, std::size_t pos) {
    return pos < s.size() ? s[pos] : '\0';
}

}  // namespace

std::string ReadAction(const ActionList& list, int index) {
    const std::string key = std::to_string(index);
    const int i = findEntry(list, key);
    if (i < 0) {
        return {};
    }
    const std::string& entry = list[static_cast<std::size_t>(i)];
    return entry.substr(key.size() + 1);
}

void WriteAction(ActionList& list, int index, std::string_view action) {
    const std::string key = std::to_string(index);
    std::string entry = key + "=";
    entry.append(action);
    const int i = findEntry(list, key);
    if (i < 0) {
        list.push_back(std::move(entry));
    } else {
        list[static_cast<std::size_t>(i)] = std::move(entry);
    }
}

ActionKind ClassifyAction(std::string_view action) {
    if (action.find(kPostMessageMarker) != std::string_view::npos) {
        return ActionKind::PostMessage;
    }
    if (action.find(kMouseMarker) != std::string_view::npos) {
        return ActionKind::Mouse;
    }
    if (action.find(kRunProgramMarker) != std::string_view::npos) {
        return ActionKind::RunProgram;
    }
    if (action.find(kTapKeyMarker) != std::string_view::npos) {
        return ActionKind::TapKey;
    }
    return ActionKind::None;
}

TapKeyFields ReadTapKey(std::string_view action) {
    TapKeyFields f;
    f.alt = at(action, 10) == 'A';
    f.ctrl = at(action, 11) == 'C';
    f.shift = at(action, 12) == 'S';
    f.literal = at(action, 13) == 'N';
    f.keyText = tail(action, 14);
    return f;
}

std::optional<MouseFields> ReadMouse(std::string_view action) {
    const std::size_t cursor = action.find("Cursor");
    if (cursor == std::string_view::npos || cursor == 0) {
        return std::nullopt;
    }
    MouseFields f;
    f.click = action[cursor - 1];
    f.vertical = action[action.size() - 2];  // "Cursor" guarantees the length
    f.horizontal = action[action.size() - 1];
    return f;
}

std::string ReadRunProgram(std::string_view action) {
    return tail(action, kRunProgramMarker.size());
}

PostMessageFields ReadPostMessage(std::string_view action) {
    constexpr std::size_t kStart = kPostMessageMarker.size();
    constexpr std::size_t kWordLength = 6;
    const std::size_t w = action.find("wParam");
    const std::size_t l = action.find("lParam");
    const std::size_t messageEnd = std::min({w, l, action.size()});
    PostMessageFields f;
    if (messageEnd > kStart) {
        f.message = std::string(action.substr(kStart, messageEnd - kStart));
    }
    if (w != std::string_view::npos) {
        const std::size_t from = w + kWordLength;
        const std::size_t to = l != std::string_view::npos && l >= from ? l : action.size();
        f.wParam = std::string(action.substr(from, to - from));
    }
    if (l != std::string_view::npos && (w == std::string_view::npos || l >= w + kWordLength)) {
        f.lParam = tail(action, l + kWordLength);
    }
    return f;
}

std::string MakeTapKeyAction(bool alt, bool ctrl, bool shift, bool literal,
                             std::string_view keyText) {
    std::string s(kTapKeyMarker);
    s += alt ? 'A' : 'N';
    s += ctrl ? 'C' : 'N';
    s += shift ? 'S' : 'N';
    s += literal ? 'N' : 'E';
    s.append(keyText);
    return s;
}

std::string MakeMouseAction(char click, char vertical, char horizontal) {
    std::string s(kMouseMarker);
    s += click;
    s += "Cursor";
    s += vertical;
    s += horizontal;
    return s;
}

std::string MakeRunProgramAction(std::string_view commandLine) {
    std::string s(kRunProgramMarker);
    s.append(commandLine);
    return s;
}

std::string MakePostMessageAction(std::string_view message, std::string_view wParam,
                                  std::string_view lParam) {
    std::string s(kPostMessageMarker);
    s.append(message);
    s += "wParam";
    s.append(wParam);
    s += "lParam";
    s.append(lParam);
    return s;
}

}  // namespace tavrel
