// Keyboard and pointer input through kernel devices, so it reaches every
// desktop. The desktop reads key codes and applies its own layout, so each
// character becomes the key, modifier keys and dead keys that this layout
// types it with; a character the layout cannot type is left out.
#pragma once

#include <array>
#include <chrono>
#include <memory>
#include <string>
#include <string_view>

#include "platform/event_loop_wait.h"
#include "platform/input.h"
#include "platform/uinput/uinput_devices.h"
#include "platform/uinput/xkb_layout.h"

namespace tavrel {

class UinputInput final : public Input {
public:
    struct OpenResult;

    // Makes the devices, with the layout of the XKB_DEFAULT_* environment
    // (else the system's) until SetKeymap names the desktop's own.
    static OpenResult Open(EventLoopWait& wait, const std::string& path = "/dev/uinput");

    // layout may be null: then only keys named by position are sent.
    UinputInput(std::unique_ptr<UinputDevices> devices, std::unique_ptr<XkbLayout> layout,
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

    UinputDevices& devices() { return *devices_; }

    // How long a new device is left alone before its first event, so that
    // the desktop has opened it.
    static constexpr std::chrono::milliseconds kDeviceSettle{200};

private:
    KeyStroke ForVirtualKey(std::uint8_t vk);
    void Tap(const KeyStroke& stroke, bool release);
    void Send(unsigned code, bool press);
    void Settle();
    void NoteFailure();

    std::unique_ptr<UinputDevices> devices_;
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
    bool failureTraced_ = false;
};

struct UinputInput::OpenResult {
    std::unique_ptr<UinputInput> input;  // null when the devices could not be made
    std::string problem;                 // English text; empty when all is well
};

}  // namespace tavrel
