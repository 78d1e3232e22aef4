// Keyboard and pointer input as key codes on the desktop's own keymap: the
// desktop reads key codes and applies its own layout, so each character
// becomes the key, modifier keys and dead keys that this layout types it
// with; a character the layout cannot type is left out. The codes go to the
// desktop through KeyDevices: kernel devices (uinput), which reach every
// desktop, or a desktop's own way in.
#pragma once

#include <array>
#include <chrono>
#include <memory>
#include <string>
#include <string_view>

#include "platform/event_loop_wait.h"
#include "platform/input.h"
#include "platform/uinput/key_devices.h"
#include "platform/uinput/xkb_layout.h"

namespace tavrel {

class KeymapInput final : public Input {
public:
    struct OpenResult;

    // Makes kernel devices through uinput, with the layout of the
    // XKB_DEFAULT_* environment (else the system's) until SetKeymap names
    // the desktop's own.
    static OpenResult OpenUinput(EventLoopWait& wait, const std::string& path = "/dev/uinput");

    // On devices of another kind, with that layout until SetKeymap.
    static std::unique_ptr<KeymapInput> WithDefaultLayout(std::unique_ptr<KeyDevices> devices,
                                                          EventLoopWait& wait,
                                                          std::string* problem);

    // layout may be null: then only keys named by position are sent.
    KeymapInput(std::unique_ptr<KeyDevices> devices, std::unique_ptr<XkbLayout> layout,
                EventLoopWait& wait);

    // The desktop's keymap as XKB text, as a compositor sends it with
    // wl_keyboard.keymap, and again whenever it sends a new one. Returns
    // the reason when it does not compile; the layout in force then stays.
    std::string SetKeymap(std::string_view xkbText);
    // Which of the keymap's layouts is in force (the group the desktop reports).
    void SetActiveLayout(unsigned index);

    void keybd_event(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) override;
    void mouse_event(std::uint32_t flags, std::int32_t dx, std::int32_t dy) override;
    std::int16_t VkKeyScan(unsigned char ch) override;
    std::uint32_t MapVirtualKey(std::uint32_t vk) override;
    bool TypeCharacter(unsigned char ch) override;
    void StartOfKeys() override;

    KeyDevices& devices() { return *devices_; }

private:
    KeyStroke ForVirtualKey(std::uint8_t vk);
    void Tap(const KeyStroke& stroke, bool release);
    void Send(unsigned code, bool press);
    void Settle();
    void Noted(bool handed);

    std::unique_ptr<KeyDevices> devices_;
    std::unique_ptr<XkbLayout> layout_;
    EventLoopWait& wait_;
    unsigned activeLayout_ = 0;
    KeyLocks textLocks_;  // for VkKeyScan, noted at the start of a run of keys
    // The key each virtual key went down on, so its release matches even if
    // the layout changed in between.
    std::array<unsigned, 256> pressedOn_{};
    // Keys that VkKeyScan named by their position because their own symbol
    // has no virtual key; keybd_event presses the same key for that number.
    std::array<unsigned, 256> namedByPosition_{};
    bool shiftDown_ = false;
    bool settled_ = false;
    bool failureTraced_ = false;  // in this run of keys
};

struct KeymapInput::OpenResult {
    std::unique_ptr<KeymapInput> input;  // null when the devices could not be made
    std::string problem;                 // English text; empty when all is well
};

}  // namespace tavrel
