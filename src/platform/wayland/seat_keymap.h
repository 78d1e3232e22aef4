// The keymap the compositor gives its clients (wl_keyboard.keymap on the
// seat), and which of its layouts is in force: what keys sent through kernel
// devices will type.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

struct wl_keyboard;
struct wl_seat;

namespace tavrel {

class KeymapInput;

class SeatKeymap {
public:
    // onKeymap gets every keymap as XKB text, onLayout the layout index.
    SeatKeymap(wl_seat* seat, std::function<void(std::string_view)> onKeymap,
               std::function<void(unsigned)> onLayout);
    ~SeatKeymap();
    SeatKeymap(const SeatKeymap&) = delete;
    SeatKeymap& operator=(const SeatKeymap&) = delete;

    bool received() const { return received_; }

    // The seat's keymap and layout handed to input as they come, so that
    // the key codes it sends type what it means.
    static std::unique_ptr<SeatKeymap> Feeding(wl_seat* seat, KeymapInput& input);

private:
    static void OnCapabilities(void* data, wl_seat* seat, std::uint32_t capabilities);
    static void OnKeymap(void* data, wl_keyboard* keyboard, std::uint32_t format, int fd,
                         std::uint32_t size);
    static void OnModifiers(void* data, wl_keyboard* keyboard, std::uint32_t serial,
                            std::uint32_t depressed, std::uint32_t latched, std::uint32_t locked,
                            std::uint32_t group);

    wl_seat* seat_;
    wl_keyboard* keyboard_ = nullptr;
    std::function<void(std::string_view)> onKeymap_;
    std::function<void(unsigned)> onLayout_;
    bool received_ = false;
};

}  // namespace tavrel
