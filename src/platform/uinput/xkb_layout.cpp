// Every answer comes from running the keymap: a state with the modifier keys
// pressed and the locks set says what each key gives, exactly as the
// desktop's own state will, so a stroke never types something else.
#include "platform/uinput/xkb_layout.h"

#include <xkbcommon/xkbcommon-compose.h>
#include <xkbcommon/xkbcommon-names.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <unordered_map>

namespace tavrel {
namespace {

constexpr unsigned kEvdevOffset = 8;  // keymap keycodes are evdev codes plus 8

// evdev codes from here on have no X keycode: X clients never see them.
constexpr unsigned kFirstCodeBeyondX = 248;

// The keysyms that make a key a modifier or lock key, and the key every
// keyboard has for it, tried first; in the order of the ModifierKey bits.
struct ModifierSpec {
    xkb_keysym_t keysyms[2];
    unsigned preferred;
};
constexpr ModifierSpec kModifierSpecs[5] = {
    {{XKB_KEY_Shift_L, XKB_KEY_Shift_R}, 42},                     // left Shift
    {{XKB_KEY_ISO_Level3_Shift, XKB_KEY_ISO_Level3_Shift}, 100},  // right Alt
    {{XKB_KEY_ISO_Level5_Shift, XKB_KEY_ISO_Level5_Shift}, 0},
    {{XKB_KEY_Num_Lock, XKB_KEY_Num_Lock}, 69},
    {{XKB_KEY_Caps_Lock, XKB_KEY_Caps_Lock}, 58},
};

// Modifier sets in the order strokes prefer them: fewer keys, lower levels.
constexpr std::uint8_t kModifierSets[] = {0,
                                          kShiftKey,
                                          kLevel3Key,
                                          kShiftKey | kLevel3Key,
                                          kLevel5Key,
                                          kShiftKey | kLevel5Key,
                                          kLevel3Key | kLevel5Key,
                                          kShiftKey | kLevel3Key | kLevel5Key};

bool IsKeypad(xkb_keysym_t keysym) {
    return keysym >= XKB_KEY_KP_Space && keysym <= XKB_KEY_KP_Equal;
}

bool StartsComposing(xkb_keysym_t keysym) {
    return (keysym >= XKB_KEY_dead_grave && keysym <= XKB_KEY_dead_longsolidusoverlay) ||
           keysym == XKB_KEY_Multi_key;
}

bool IsModifier(xkb_keysym_t keysym) {
    return (keysym >= XKB_KEY_Shift_L && keysym <= XKB_KEY_Hyper_R) ||
           (keysym >= XKB_KEY_ISO_Lock && keysym <= XKB_KEY_ISO_Last_Group_Lock);
}

using State = std::unique_ptr<xkb_state, decltype(&xkb_state_unref)>;
using ComposeState = std::unique_ptr<xkb_compose_state, decltype(&xkb_compose_state_unref)>;

// The code point of UTF-8 text holding exactly one; 0 otherwise.
char32_t SingleCodePoint(const char* utf8) {
    const auto lead = static_cast<unsigned char>(utf8[0]);
    const int length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || utf8[length] != '\0') {
        return 0;
    }
    char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        cp = (cp << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3F);
    }
    return cp;
}

// Keeps the first message of a failed compilation for the reason shown.
void KeepFirstError(xkb_context* context, xkb_log_level /*level*/, const char* format,
                    va_list args) {
    auto* reason = static_cast<std::string*>(xkb_context_get_user_data(context));
    if (reason == nullptr || !reason->empty()) {
        return;
    }
    char line[512];
    std::vsnprintf(line, sizeof line, format, args);
    *reason = line;
    while (!reason->empty() && (reason->back() == '\n' || reason->back() == ' ')) {
        reason->pop_back();
    }
}

xkb_context* NewContext(std::string* reason) {
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (context != nullptr) {
        xkb_context_set_log_level(context, XKB_LOG_LEVEL_ERROR);
        xkb_context_set_log_fn(context, KeepFirstError);
        xkb_context_set_user_data(context, reason);
    }
    return context;
}

}  // namespace

const char* XkbComposeLocale() {
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return value;
        }
    }
    return "C";
}

struct XkbLayout::Table {
    std::unordered_map<xkb_keysym_t, KeyStroke> keysyms;
    std::unordered_map<char32_t, std::vector<KeyStroke>> characters;
    bool composed = false;  // characters holds the dead-key sequences too
};

std::unique_ptr<XkbLayout> XkbLayout::FromText(std::string_view text, std::string* problem) {
    while (!text.empty() && text.back() == '\0') {
        text.remove_suffix(1);
    }
    std::string reason;
    xkb_context* context = NewContext(&reason);
    xkb_keymap* keymap =
        context == nullptr
            ? nullptr
            : xkb_keymap_new_from_buffer(context, text.data(), text.size(),
                                         XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (keymap == nullptr) {
        xkb_context_unref(context);
        *problem = "The keymap does not compile" + (reason.empty() ? "" : ": " + reason) + ".";
        return nullptr;
    }
    xkb_context_set_user_data(context, nullptr);
    return std::unique_ptr<XkbLayout>(new XkbLayout(context, keymap));
}

std::unique_ptr<XkbLayout> XkbLayout::FromNames(const std::string& layout,
                                                const std::string& variant,
                                                const std::string& options, std::string* problem) {
    std::string reason;
    xkb_context* context = NewContext(&reason);
    const xkb_rule_names names{nullptr, nullptr, layout.c_str(), variant.c_str(),
                               options.empty() ? nullptr : options.c_str()};
    xkb_keymap* keymap = context == nullptr ? nullptr
                                            : xkb_keymap_new_from_names(
                                                  context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (keymap == nullptr) {
        xkb_context_unref(context);
        std::string name = layout.empty() ? "(default)" : layout;
        if (!variant.empty()) {
            name += "(" + variant + ")";
        }
        *problem = "The keyboard layout " + name + " is not available" +
                   (reason.empty() ? "" : ": " + reason) + ".";
        return nullptr;
    }
    xkb_context_set_user_data(context, nullptr);
    return std::unique_ptr<XkbLayout>(new XkbLayout(context, keymap));
}

XkbLayout::XkbLayout(xkb_context* context, xkb_keymap* keymap)
    : context_(context), keymap_(keymap) {
    SetActiveLayout(0);
}

XkbLayout::~XkbLayout() {
    xkb_compose_table_unref(compose_);
    xkb_keymap_unref(keymap_);
    xkb_context_unref(context_);
}

void XkbLayout::SetActiveLayout(unsigned index) {
    activeLayout_ = index < xkb_keymap_num_layouts(keymap_) ? index : 0;
    const xkb_keycode_t min = xkb_keymap_min_keycode(keymap_);
    const xkb_keycode_t max = xkb_keymap_max_keycode(keymap_);
    for (int i = 0; i < 5; ++i) {
        const ModifierSpec& modifier = kModifierSpecs[i];
        auto gives = [&](xkb_keycode_t keycode) {
            const xkb_keysym_t keysym = PlainKeysym(keycode - kEvdevOffset);
            return keysym != 0 && (keysym == modifier.keysyms[0] || keysym == modifier.keysyms[1]);
        };
        modifierKeys_[i] = 0;
        if (modifier.preferred != 0 && gives(modifier.preferred + kEvdevOffset)) {
            modifierKeys_[i] = modifier.preferred;
            continue;
        }
        for (xkb_keycode_t keycode = std::max(min, kEvdevOffset);
             keycode <= std::min<xkb_keycode_t>(max, kFirstCodeBeyondX + kEvdevOffset - 1);
             ++keycode) {
            if (gives(keycode)) {
                modifierKeys_[i] = keycode - kEvdevOffset;
                break;
            }
        }
    }
}

unsigned XkbLayout::ModifierKeyCode(ModifierKey key) const {
    for (int i = 0; i < 5; ++i) {
        if (key == 1 << i) {
            return modifierKeys_[i];
        }
    }
    return 0;
}

std::uint32_t XkbLayout::PlainKeysym(unsigned code) const {
    State state(xkb_state_new(keymap_), xkb_state_unref);
    if (!state) {
        return 0;
    }
    xkb_state_update_mask(state.get(), 0, 0, 0, 0, 0, activeLayout_);
    return xkb_state_key_get_one_sym(state.get(), code + kEvdevOffset);
}

XkbLayout::Table& XkbLayout::TableFor(KeyLocks locks) {
    std::unique_ptr<Table>& slot = tables_[{activeLayout_, locks.caps, locks.num}];
    if (slot) {
        return *slot;
    }
    slot = std::make_unique<Table>();
    Table& table = *slot;
    xkb_mod_mask_t locked = 0;
    const std::pair<bool, const char*> lockMods[] = {{locks.caps, XKB_MOD_NAME_CAPS},
                                                     {locks.num, XKB_MOD_NAME_NUM}};
    for (const auto& [on, name] : lockMods) {
        const xkb_mod_index_t index = xkb_keymap_mod_get_index(keymap_, name);
        if (on && index != XKB_MOD_INVALID) {
            locked |= 1u << index;
        }
    }
    // Text goes on the main keys; a keypad key only types what nothing else does.
    std::unordered_map<char32_t, KeyStroke> onKeypad;
    const xkb_keycode_t min = std::max(xkb_keymap_min_keycode(keymap_), kEvdevOffset);
    const xkb_keycode_t max = std::min<xkb_keycode_t>(xkb_keymap_max_keycode(keymap_),
                                                      kFirstCodeBeyondX + kEvdevOffset - 1);
    for (const std::uint8_t set : kModifierSets) {
        State state(xkb_state_new(keymap_), xkb_state_unref);
        bool complete = state != nullptr;
        for (int i = 0; i < 3 && complete; ++i) {
            if ((set & (1 << i)) == 0) {
                continue;
            }
            complete = modifierKeys_[i] != 0;
            if (complete) {
                xkb_state_update_key(state.get(), modifierKeys_[i] + kEvdevOffset, XKB_KEY_DOWN);
            }
        }
        if (!complete) {
            continue;
        }
        xkb_state_update_mask(state.get(),
                              xkb_state_serialize_mods(state.get(), XKB_STATE_MODS_DEPRESSED),
                              xkb_state_serialize_mods(state.get(), XKB_STATE_MODS_LATCHED), locked,
                              0, 0, activeLayout_);
        for (xkb_keycode_t keycode = min; keycode <= max; ++keycode) {
            const xkb_keysym_t keysym = xkb_state_key_get_one_sym(state.get(), keycode);
            if (keysym == XKB_KEY_NoSymbol) {
                continue;
            }
            const KeyStroke stroke{keycode - kEvdevOffset, set};
            table.keysyms.emplace(keysym, stroke);
            const char32_t cp = xkb_state_key_get_utf32(state.get(), keycode);
            if (cp == 0) {
                continue;
            }
            if (IsKeypad(keysym)) {
                onKeypad.emplace(cp, stroke);
            } else {
                table.characters.emplace(cp, std::vector<KeyStroke>{stroke});
            }
        }
    }
    for (const auto& [cp, stroke] : onKeypad) {
        table.characters.emplace(cp, std::vector<KeyStroke>{stroke});
    }
    return table;
}

void XkbLayout::AddComposed(Table& table) {
    table.composed = true;
    // Read only when a character needs it: most text never does.
    if (compose_ == nullptr) {
        compose_ = xkb_compose_table_new_from_locale(context_, XkbComposeLocale(),
                                                     XKB_COMPOSE_COMPILE_NO_FLAGS);
    }
    ComposeState state(
        compose_ == nullptr ? nullptr : xkb_compose_state_new(compose_, XKB_COMPOSE_STATE_NO_FLAGS),
        xkb_compose_state_unref);
    if (!state) {
        return;
    }
    // Sorted, so that the same layout always chooses the same sequence.
    std::map<xkb_keysym_t, KeyStroke> starts;
    std::map<xkb_keysym_t, KeyStroke> follows;
    for (const auto& [keysym, stroke] : table.keysyms) {
        if (StartsComposing(keysym)) {
            starts.emplace(keysym, stroke);
        }
        if (!IsModifier(keysym)) {
            follows.emplace(keysym, stroke);
        }
    }
    // Fed from the start each time: a compose state cannot be copied.
    auto compose = [&](std::initializer_list<xkb_keysym_t> sequence) {
        xkb_compose_state_reset(state.get());
        for (const xkb_keysym_t keysym : sequence) {
            xkb_compose_state_feed(state.get(), keysym);
        }
        return xkb_compose_state_get_status(state.get());
    };
    auto composed = [&] {
        char utf8[16];
        xkb_compose_state_get_utf8(state.get(), utf8, sizeof utf8);
        return SingleCodePoint(utf8);
    };
    // Two strokes where they do it, three only where two do not.
    std::unordered_map<char32_t, std::vector<KeyStroke>> threeStrokes;
    for (const auto& [first, firstStroke] : starts) {
        for (const auto& [second, secondStroke] : follows) {
            const xkb_compose_status status = compose({first, second});
            if (status == XKB_COMPOSE_COMPOSED) {
                table.characters.emplace(composed(),
                                         std::vector<KeyStroke>{firstStroke, secondStroke});
                continue;
            }
            if (status != XKB_COMPOSE_COMPOSING) {
                continue;
            }
            for (const auto& [third, thirdStroke] : follows) {
                if (compose({first, second, third}) == XKB_COMPOSE_COMPOSED) {
                    threeStrokes.emplace(
                        composed(), std::vector<KeyStroke>{firstStroke, secondStroke, thirdStroke});
                }
            }
        }
    }
    for (auto& [cp, strokes] : threeStrokes) {
        table.characters.emplace(cp, std::move(strokes));
    }
    table.characters.erase(0);
}

std::vector<KeyStroke> XkbLayout::ForCharacter(char32_t cp, KeyLocks locks) {
    if (cp == 0) {
        return {};
    }
    Table& table = TableFor(locks);
    auto found = table.characters.find(cp);
    if (found == table.characters.end() && !table.composed) {
        AddComposed(table);
        found = table.characters.find(cp);
    }
    if (found != table.characters.end()) {
        return found->second;
    }
    // What Caps Lock hides (a sharp s turned capital): one key without it.
    if (modifierKeys_[4] != 0) {
        const Table& unlocked = TableFor({!locks.caps, locks.num});
        const auto plain = unlocked.characters.find(cp);
        if (plain != unlocked.characters.end() && plain->second.size() == 1) {
            KeyStroke stroke = plain->second.front();
            stroke.modifiers |= kCapsLockKey;
            return {stroke};
        }
    }
    return {};
}

KeyStroke XkbLayout::ForKeysym(std::uint32_t keysym, KeyLocks locks) {
    const Table& plain = TableFor({});
    if (const auto found = plain.keysyms.find(keysym);
        found != plain.keysyms.end() && found->second.modifiers == 0) {
        return found->second;
    }
    const Table& locked = TableFor(locks);
    if (const auto found = locked.keysyms.find(keysym); found != locked.keysyms.end()) {
        return found->second;
    }
    if (modifierKeys_[3] != 0) {
        const Table& toggled = TableFor({locks.caps, !locks.num});
        if (const auto found = toggled.keysyms.find(keysym); found != toggled.keysyms.end()) {
            KeyStroke stroke = found->second;
            stroke.modifiers |= kNumLockKey;
            return stroke;
        }
    }
    return {};
}

std::string XkbLayout::Text() const {
    char* text = xkb_keymap_get_as_string(keymap_, XKB_KEYMAP_FORMAT_TEXT_V1);
    std::string result = text != nullptr ? text : "";
    std::free(text);
    return result;
}

}  // namespace tavrel
