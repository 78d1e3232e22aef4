#include "key_decoder.h"

#include <xkbcommon/xkbcommon-compose.h>
#include <xkbcommon/xkbcommon-names.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdlib>

namespace tavrel::test {
namespace {

// The locale whose compose table a client uses.
const char* Locale() {
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return value;
        }
    }
    return "C";
}

}  // namespace

KeyDecoder::KeyDecoder(const std::string& keymapText) {
    context_ = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    keymap_ = xkb_keymap_new_from_string(context_, keymapText.c_str(), XKB_KEYMAP_FORMAT_TEXT_V1,
                                         XKB_KEYMAP_COMPILE_NO_FLAGS);
    composeTable_ =
        xkb_compose_table_new_from_locale(context_, Locale(), XKB_COMPOSE_COMPILE_NO_FLAGS);
    if (keymap_ != nullptr) {
        Reset();
    }
}

void KeyDecoder::Reset(bool capsLock, bool numLock) {
    xkb_state_unref(state_);
    state_ = xkb_state_new(keymap_);
    xkb_mod_mask_t locked = 0;
    if (capsLock) {
        locked |= 1u << xkb_keymap_mod_get_index(keymap_, XKB_MOD_NAME_CAPS);
    }
    if (numLock) {
        locked |= 1u << xkb_keymap_mod_get_index(keymap_, XKB_MOD_NAME_NUM);
    }
    xkb_state_update_mask(state_, 0, 0, locked, 0, 0, 0);
    xkb_compose_state_unref(compose_);
    compose_ = composeTable_ == nullptr
                   ? nullptr
                   : xkb_compose_state_new(composeTable_, XKB_COMPOSE_STATE_NO_FLAGS);
    text_.clear();
}

KeyDecoder::~KeyDecoder() {
    xkb_compose_state_unref(compose_);
    xkb_compose_table_unref(composeTable_);
    xkb_state_unref(state_);
    xkb_keymap_unref(keymap_);
    xkb_context_unref(context_);
}

void KeyDecoder::Key(unsigned code, bool press) {
    const xkb_keycode_t keycode = code + 8;
    if (press) {
        const xkb_keysym_t keysym = xkb_state_key_get_one_sym(state_, keycode);
        char utf8[64] = {};
        const bool fed = compose_ != nullptr &&
                         xkb_compose_state_feed(compose_, keysym) == XKB_COMPOSE_FEED_ACCEPTED;
        switch (fed ? xkb_compose_state_get_status(compose_) : XKB_COMPOSE_NOTHING) {
            case XKB_COMPOSE_COMPOSED:
                xkb_compose_state_get_utf8(compose_, utf8, sizeof utf8);
                xkb_compose_state_reset(compose_);
                break;
            case XKB_COMPOSE_NOTHING:
                xkb_state_key_get_utf8(state_, keycode, utf8, sizeof utf8);
                break;
            case XKB_COMPOSE_CANCELLED:
                xkb_compose_state_reset(compose_);
                break;
            case XKB_COMPOSE_COMPOSING:
                break;
        }
        text_ += utf8;
    }
    xkb_state_update_key(state_, keycode, press ? XKB_KEY_DOWN : XKB_KEY_UP);
}

bool KeyDecoder::CapsLock() const {
    return xkb_state_led_name_is_active(state_, XKB_LED_NAME_CAPS) > 0;
}

bool KeyDecoder::NumLock() const {
    return xkb_state_led_name_is_active(state_, XKB_LED_NAME_NUM) > 0;
}

}  // namespace tavrel::test
