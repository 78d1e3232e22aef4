// A keyboard layout as libxkbcommon compiles it, asked the other way round:
// which key, with which modifier keys held, types a character or gives a
// keysym. Dead keys count, through the compose table of the user's locale.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

struct xkb_context;
struct xkb_keymap;
struct xkb_compose_table;

namespace tavrel {

// The modifier keys a stroke holds, and the lock keys it taps before and
// after (to reach what the locks in force hide), as bits.
enum ModifierKey : std::uint8_t {
    kShiftKey = 1,
    kLevel3Key = 2,
    kLevel5Key = 4,
    kNumLockKey = 8,
    kCapsLockKey = 16,
};
constexpr std::uint8_t kLockKeys = kNumLockKey | kCapsLockKey;

struct KeyStroke {
    unsigned code = 0;           // evdev key code (the keymap's keycode minus 8); 0: none
    std::uint8_t modifiers = 0;  // ModifierKey bits held around the key
    friend bool operator==(const KeyStroke&, const KeyStroke&) = default;
};

// The locks that change what a key types.
struct KeyLocks {
    bool caps = false;
    bool num = false;
    friend bool operator==(const KeyLocks&, const KeyLocks&) = default;
};

// The locale whose compose table the desktop's clients use for dead keys.
const char* XkbComposeLocale();

class XkbLayout {
public:
    // From keymap text in the XKB text format, as a compositor sends it (a
    // trailing NUL is allowed). Null, with the reason in *problem, when it
    // does not compile.
    static std::unique_ptr<XkbLayout> FromText(std::string_view text, std::string* problem);

    // From rule names (evdev rules, pc105). An empty layout takes the
    // XKB_DEFAULT_* environment, then the system default.
    static std::unique_ptr<XkbLayout> FromNames(const std::string& layout,
                                                const std::string& variant,
                                                const std::string& options, std::string* problem);

    ~XkbLayout();
    XkbLayout(const XkbLayout&) = delete;
    XkbLayout& operator=(const XkbLayout&) = delete;

    // Which of the keymap's layouts (groups) is in force; 0 at first.
    void SetActiveLayout(unsigned index);

    // The key of the modifier or lock; 0 when the keymap has none.
    unsigned ModifierKeyCode(ModifierKey key) const;

    // The strokes that type cp: the last one gives the character, any before
    // it are dead (or compose) keys. Caps Lock is toggled around a key only
    // for what it hides otherwise. Empty when the layout cannot type it.
    // Only keys that X clients can receive too are used (codes below 248).
    std::vector<KeyStroke> ForCharacter(char32_t cp, KeyLocks locks);

    // The key that gives keysym with nothing held and no lock on, else the
    // key and the fewest modifier keys that give it under locks, else with
    // Num Lock toggled around it (a keypad digit); code 0 when none.
    KeyStroke ForKeysym(std::uint32_t keysym, KeyLocks locks);

    // The keysym of a key with nothing held; 0 when none.
    std::uint32_t PlainKeysym(unsigned code) const;

    // The keymap as XKB text.
    std::string Text() const;

private:
    struct Table;

    XkbLayout(xkb_context* context, xkb_keymap* keymap);

    Table& TableFor(KeyLocks locks);
    void AddComposed(Table& table);

    xkb_context* context_;
    xkb_keymap* keymap_;
    xkb_compose_table* compose_ = nullptr;  // read when first needed; null when none
    unsigned activeLayout_ = 0;
    unsigned modifierKeys_[5] = {};  // in the order of the ModifierKey bits
    std::map<std::tuple<unsigned, bool, bool>, std::unique_ptr<Table>> tables_;
};

}  // namespace tavrel
