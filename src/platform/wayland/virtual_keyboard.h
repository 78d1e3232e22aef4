// Keys through the compositor's virtual keyboard protocol, on a keymap of the
// keyboard's own (VirtualKeymap): every character can be typed, whatever the
// user's layout, without touching what the user's keyboard types.
#pragma once

#include <array>
#include <chrono>
#include <memory>

#include "platform/input.h"
#include "platform/wayland/virtual_keymap.h"

struct zwp_virtual_keyboard_v1;

namespace tavrel {

class EventLoopWait;
class WaylandConnection;

class VirtualKeyboard final : public Input {
public:
    // Takes the keyboard made on the connection's seat; its keymap is sent
    // before the first key.
    VirtualKeyboard(WaylandConnection& connection, zwp_virtual_keyboard_v1* keyboard,
                    std::unique_ptr<VirtualKeymap> keymap, EventLoopWait& wait);
    ~VirtualKeyboard() override;
    VirtualKeyboard(const VirtualKeyboard&) = delete;
    VirtualKeyboard& operator=(const VirtualKeyboard&) = delete;

    // Sends the keymap now (it is sent again whenever a keysym is placed).
    void SendKeymap();

    void keybd_event(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) override;
    void mouse_event(std::uint32_t, std::int32_t, std::int32_t) override {}
    std::int16_t VkKeyScan(unsigned char ch) override;
    std::uint32_t MapVirtualKey(std::uint32_t vk) override;
    bool TypeCharacter(unsigned char ch) override;

    // How long X clients on XWayland are given to read the keys typed on the
    // spare keys before one of them gets a new keysym.
    static constexpr std::chrono::milliseconds kReadTime{40};

private:
    std::optional<VirtualKeymap::Key> KeyFor(std::uint32_t keysym);
    void Send(unsigned code, bool press, std::uint32_t extraMods);
    void SendModifiers(std::uint32_t extraMods);

    WaylandConnection& connection_;
    zwp_virtual_keyboard_v1* keyboard_;
    std::unique_ptr<VirtualKeymap> keymap_;
    EventLoopWait& wait_;
    unsigned sentGeneration_ = 0;
    VirtualKeymap::Modifiers sentMods_;
    // The key each virtual key went down on, so its release matches.
    std::array<unsigned, 256> pressedOn_{};
    std::array<std::uint32_t, 256> pressedMods_{};
};

}  // namespace tavrel
