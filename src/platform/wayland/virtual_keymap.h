// The keymap of the program's own virtual keyboard: a US layout, so that
// virtual keys and the shift states of VkKeyScan mean what they mean on
// Windows, plus any keysym the text needs on keys the layout leaves empty.
// A compositor gives every keyboard its own keymap, so the user's keyboard
// types as before. It also keeps the keyboard's modifier state, which a
// virtual keyboard reports itself.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct xkb_context;
struct xkb_keymap;
struct xkb_state;

namespace tavrel {

class VirtualKeymap {
public:
    struct Key {
        unsigned code = 0;       // evdev key code
        std::uint32_t mods = 0;  // modifier mask to be in force while it is pressed
    };
    struct Modifiers {
        std::uint32_t depressed = 0, latched = 0, locked = 0, group = 0;
        friend bool operator==(const Modifiers&, const Modifiers&) = default;
    };

    // Null, with the reason in *problem, when no US keymap can be compiled.
    static std::unique_ptr<VirtualKeymap> Create(std::string* problem);
    ~VirtualKeymap();
    VirtualKeymap(const VirtualKeymap&) = delete;
    VirtualKeymap& operator=(const VirtualKeymap&) = delete;

    // The key that gives keysym with the fewest modifiers (with nothing but
    // Shift when plainOrShift is set); nullopt when no key gives it.
    std::optional<Key> Find(std::uint32_t keysym, bool plainOrShift = false) const;
    // Puts keysym on a key of its own (the one used longest ago when all
    // are taken, never one that is down) and gives that key; the keymap
    // text changes. nullopt when no key is free.
    std::optional<Key> Place(std::uint32_t keysym);
    // Whether Place would give keysym a key that has typed something since
    // the last NoteRead: a client that reads that later through the new
    // keymap (an X client on XWayland does) would read the new keysym.
    bool PlaceReusesUnread(std::uint32_t keysym) const;
    // What was typed so far has been read.
    void NoteRead() { readUses_ = uses_; }
    // The keysym of a key with no modifier.
    std::uint32_t PlainKeysym(unsigned code) const;

    std::uint32_t ShiftMask() const { return shift_; }

    // The keymap in XKB text form, and a number that changes with it.
    const std::string& Text() const { return text_; }
    unsigned generation() const { return generation_; }

    // A key goes down or up; the modifier state follows as the keymap says.
    void Press(unsigned code, bool down);
    // What the compositor must be told: the keys' modifiers, plus extra while a key needs it.
    Modifiers ModifiersWith(std::uint32_t extra) const;

private:
    VirtualKeymap(xkb_context* context, std::string baseText);
    bool Compile(std::string* problem);

    xkb_context* context_;
    xkb_keymap* keymap_ = nullptr;
    xkb_state* state_ = nullptr;
    std::string base_;  // the US keymap's text
    std::string text_;  // with the placed keysyms
    unsigned generation_ = 0;
    std::uint32_t shift_ = 0;
    // Keys the US layout leaves empty, with what each holds now and when it
    // was last placed.
    struct Spare {
        unsigned code;
        std::string name;
        std::uint32_t keysym = 0;
        unsigned long lastUse = 0;
    };
    std::vector<Spare> spares_;
    Spare* Holding(std::uint32_t keysym);
    Spare* Oldest();
    unsigned long uses_ = 0;
    unsigned long readUses_ = 0;  // uses_ when the clients last had read everything
    std::array<bool, 256> down_{};
};

}  // namespace tavrel
