// The virtual keyboard's keymap with libxkbcommon.
#include "platform/wayland/virtual_keymap.h"

#include <xkbcommon/xkbcommon.h>

#include <algorithm>

#include <regex>
#include <set>
#include <sstream>
#include "platform/keys/keysyms.h"

namespace tavrel {
namespace {

constexpr unsigned kEvdevOffset = 8;
// X clients (through XWayland) see keycodes up to 255 only.
constexpr unsigned kLastXKeycode = 255;

// The keymap text without the keys above keycode 255 (XWayland clipped them
// with a warning on every switch to this keyboard, and sway 1.7 running
// XWayland was seen to crash when such a keyboard went away), and without
// the symbols of the keys in freed, which become spare keys.
std::string WithoutKeysBeyondX(const std::string& text, const std::set<std::string>& freed) {
    static const std::regex keycode(R"(^\s*<([^>]+)>\s*=\s*(\d+);\s*$)");
    static const std::regex maximum(R"(^\s*maximum\s*=\s*\d+;\s*$)");
    static const std::regex symbols(R"(^\s*key\s+<([^>]+)>.*\};\s*$)");
    std::set<std::string> dropped = freed;
    std::istringstream lines(text);
    std::string result;
    for (std::string line; std::getline(lines, line);) {
        std::smatch match;
        if (std::regex_match(line, match, keycode) && std::stoul(match[2]) > kLastXKeycode) {
            dropped.insert(match[1]);
            continue;
        }
        if (std::regex_match(line, maximum)) {
            line = "\tmaximum = " + std::to_string(kLastXKeycode) + ";";
        } else if (std::regex_match(line, match, symbols) && dropped.count(match[1]) != 0) {
            continue;
        }
        result += line + "\n";
    }
    return result;
}

// A key of the US layout that text may take: one without a symbol, or one of
// the many multimedia and launcher keys that no virtual key names. X clients
// see 21 free keys only; with these there are some ninety, so that a text
// hardly ever needs a key again.
bool FreeForText(xkb_keymap* keymap, xkb_keycode_t code, bool* holdsSymbol) {
    const xkb_keysym_t* syms = nullptr;
    const int count = xkb_keymap_key_get_syms_by_level(keymap, code, 0, 0, &syms);
    *holdsSymbol = count > 0;
    if (count == 0) {
        return true;
    }
    constexpr xkb_keysym_t kFirstVendorKeysym = 0x1008FF00;
    constexpr xkb_keysym_t kLastVendorKeysym = 0x1008FFFF;
    return count == 1 && xkb_keymap_num_levels_for_key(keymap, code, 0) == 1 &&
           syms[0] >= kFirstVendorKeysym && syms[0] <= kLastVendorKeysym &&
           KeysymToVirtualKey(syms[0]) == 0;
}

}  // namespace

std::unique_ptr<VirtualKeymap> VirtualKeymap::Create(std::string* problem) {
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
    if (context == nullptr) {
        *problem = "The keyboard description library cannot start.";
        return nullptr;
    }
    const xkb_rule_names names{"evdev", "pc105", "us", "", ""};
    xkb_keymap* us = xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (us == nullptr) {
        xkb_context_unref(context);
        *problem = "No US keyboard layout can be compiled (are the XKB data files installed?).";
        return nullptr;
    }
    // Keys free for keysyms the text needs.
    std::vector<Spare> spares;
    std::set<std::string> freed;
    const xkb_keycode_t last = std::min<xkb_keycode_t>(xkb_keymap_max_keycode(us), kLastXKeycode);
    for (xkb_keycode_t code = xkb_keymap_min_keycode(us); code <= last; ++code) {
        const char* name = xkb_keymap_key_get_name(us, code);
        bool holdsSymbol = false;
        if (name != nullptr && code >= kEvdevOffset && FreeForText(us, code, &holdsSymbol)) {
            spares.push_back({code - kEvdevOffset, name});
            if (holdsSymbol) {
                freed.insert(name);
            }
        }
    }
    char* text = xkb_keymap_get_as_string(us, XKB_KEYMAP_FORMAT_TEXT_V1);
    std::unique_ptr<VirtualKeymap> keymap(
        new VirtualKeymap(context, WithoutKeysBeyondX(text != nullptr ? text : "", freed)));
    std::free(text);
    keymap->spares_ = std::move(spares);
    xkb_keymap_unref(us);
    if (!keymap->Compile(problem)) {
        return nullptr;
    }
    return keymap;
}

VirtualKeymap::VirtualKeymap(xkb_context* context, std::string baseText)
    : context_(context), base_(std::move(baseText)) {}

VirtualKeymap::~VirtualKeymap() {
    xkb_state_unref(state_);
    xkb_keymap_unref(keymap_);
    xkb_context_unref(context_);
}

bool VirtualKeymap::Compile(std::string* problem) {
    std::string symbols;
    for (const Spare& spare : spares_) {
        char name[64] = {};
        if (spare.keysym != 0 && xkb_keysym_get_name(spare.keysym, name, sizeof name) > 0) {
            symbols += "    key <" + spare.name + "> { [ " + name + " ] };\n";
        }
    }
    std::string text = base_;
    // The symbols section ends with the first "};" at the start of a line after its header.
    const std::size_t section = text.find("xkb_symbols");
    const std::size_t end = section == std::string::npos ? section : text.find("\n};", section);
    if (end == std::string::npos) {
        *problem = "The US keyboard layout has an unexpected form.";
        return false;
    }
    text.insert(end + 1, symbols);
    xkb_keymap* keymap = xkb_keymap_new_from_string(
        context_, text.c_str(), XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (keymap == nullptr) {
        *problem = "The virtual keyboard's keymap does not compile.";
        return false;
    }
    xkb_state* state = xkb_state_new(keymap);
    // The keys that are down stay down in the new state.
    for (unsigned code = 0; code < down_.size(); ++code) {
        if (down_[code]) {
            xkb_state_update_key(state, code + kEvdevOffset, XKB_KEY_DOWN);
        }
    }
    xkb_state_unref(state_);
    xkb_keymap_unref(keymap_);
    keymap_ = keymap;
    state_ = state;
    text_ = std::move(text);
    ++generation_;
    const xkb_mod_index_t shift = xkb_keymap_mod_get_index(keymap_, XKB_MOD_NAME_SHIFT);
    shift_ = shift == XKB_MOD_INVALID ? 0 : 1u << shift;
    return true;
}

std::optional<VirtualKeymap::Key> VirtualKeymap::Find(std::uint32_t keysym,
                                                      bool plainOrShift) const {
    if (keysym == 0) {
        return std::nullopt;
    }
    std::optional<Key> best;
    int bestCount = 99;
    const xkb_keycode_t last = xkb_keymap_max_keycode(keymap_);
    for (xkb_keycode_t code =
             std::max<xkb_keycode_t>(xkb_keymap_min_keycode(keymap_), kEvdevOffset);
         code <= last; ++code) {
        const xkb_level_index_t levels = xkb_keymap_num_levels_for_key(keymap_, code, 0);
        for (xkb_level_index_t level = 0; level < levels; ++level) {
            const xkb_keysym_t* syms = nullptr;
            if (xkb_keymap_key_get_syms_by_level(keymap_, code, 0, level, &syms) != 1 ||
                syms[0] != keysym) {
                continue;
            }
            xkb_mod_mask_t masks[8] = {};
            const std::size_t count =
                xkb_keymap_key_get_mods_for_level(keymap_, code, 0, level, masks, 8);
            for (std::size_t i = 0; i < count; ++i) {
                if (plainOrShift && (masks[i] & ~shift_) != 0) {
                    continue;
                }
                const int bits = __builtin_popcount(masks[i]);
                if (bits < bestCount) {
                    best = Key{code - kEvdevOffset, masks[i]};
                    bestCount = bits;
                }
            }
        }
        if (bestCount == 0) {
            break;
        }
    }
    return best;
}

VirtualKeymap::Spare* VirtualKeymap::Holding(std::uint32_t keysym) {
    for (Spare& spare : spares_) {
        if (spare.keysym == keysym) {
            return &spare;
        }
    }
    return nullptr;
}

VirtualKeymap::Spare* VirtualKeymap::Oldest() {
    Spare* oldest = nullptr;
    for (Spare& spare : spares_) {
        if (!down_[spare.code] && (oldest == nullptr || spare.lastUse < oldest->lastUse)) {
            oldest = &spare;
        }
    }
    return oldest;
}

bool VirtualKeymap::PlaceReusesUnread(std::uint32_t keysym) const {
    auto* self = const_cast<VirtualKeymap*>(this);
    const Spare* oldest = self->Oldest();
    return self->Holding(keysym) == nullptr && oldest != nullptr && oldest->keysym != 0 &&
           oldest->lastUse > readUses_;
}

std::optional<VirtualKeymap::Key> VirtualKeymap::Place(std::uint32_t keysym) {
    if (Spare* spare = Holding(keysym)) {
        spare->lastUse = ++uses_;
        return Key{spare->code, 0};
    }
    Spare* oldest = Oldest();
    if (oldest == nullptr) {
        return std::nullopt;
    }
    const std::uint32_t before = oldest->keysym;
    oldest->keysym = keysym;
    oldest->lastUse = ++uses_;
    std::string problem;
    if (!Compile(&problem)) {
        oldest->keysym = before;  // a keysym the library cannot name
        return std::nullopt;
    }
    return Key{oldest->code, 0};
}

std::uint32_t VirtualKeymap::PlainKeysym(unsigned code) const {
    const xkb_keysym_t* syms = nullptr;
    return xkb_keymap_key_get_syms_by_level(keymap_, code + kEvdevOffset, 0, 0, &syms) == 1
               ? syms[0]
               : 0;
}

void VirtualKeymap::Press(unsigned code, bool down) {
    if (code < down_.size()) {
        down_[code] = down;
    }
    xkb_state_update_key(state_, code + kEvdevOffset, down ? XKB_KEY_DOWN : XKB_KEY_UP);
}

VirtualKeymap::Modifiers VirtualKeymap::ModifiersWith(std::uint32_t extra) const {
    return {xkb_state_serialize_mods(state_, XKB_STATE_MODS_DEPRESSED) | extra,
            xkb_state_serialize_mods(state_, XKB_STATE_MODS_LATCHED),
            xkb_state_serialize_mods(state_, XKB_STATE_MODS_LOCKED),
            xkb_state_serialize_layout(state_, XKB_STATE_LAYOUT_EFFECTIVE)};
}

}  // namespace tavrel
