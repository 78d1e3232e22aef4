// Window handles and the Windows numbers that the desktop interfaces keep.
#pragma once

#include <cstdint>

namespace tavrel {

// A top-level window of the desktop; 0 means none.
using WindowHandle = std::uint64_t;
constexpr WindowHandle kNoWindow = 0;

namespace vk {
constexpr std::uint8_t BACK = 8, TAB = 9, RETURN = 13, SHIFT = 16, CONTROL = 17, MENU = 18,
                       ESCAPE = 27, SPACE = 32, PRIOR = 33, NEXT = 34, END = 35, HOME = 36,
                       LEFT = 37, UP = 38, RIGHT = 39, DOWN = 40, INSERT = 45, DELETE_ = 46,
                       NUMPAD0 = 96, MULTIPLY = 106, ADD = 107, SUBTRACT = 109, DECIMAL = 110,
                       DIVIDE = 111, F1 = 112, F12 = 123;
}  // namespace vk

// keybd_event flags
constexpr std::uint32_t KEYEVENTF_KEYUP = 0x0002;

// mouse_event flags
constexpr std::uint32_t MOUSEEVENTF_MOVE = 0x0001, MOUSEEVENTF_LEFTDOWN = 0x0002,
                        MOUSEEVENTF_LEFTUP = 0x0004, MOUSEEVENTF_RIGHTDOWN = 0x0008,
                        MOUSEEVENTF_RIGHTUP = 0x0010, MOUSEEVENTF_MIDDLEDOWN = 0x0020,
                        MOUSEEVENTF_MIDDLEUP = 0x0040;

// The button events that mouse_event flags ask for, in the order a backend
// sends them.
enum class MouseButton { Left, Right, Middle };
struct MouseButtonEvent {
    std::uint32_t flag;
    MouseButton button;
    bool press;
};
constexpr MouseButtonEvent kMouseButtonEvents[] = {
    {MOUSEEVENTF_LEFTDOWN, MouseButton::Left, true},
    {MOUSEEVENTF_LEFTUP, MouseButton::Left, false},
    {MOUSEEVENTF_RIGHTDOWN, MouseButton::Right, true},
    {MOUSEEVENTF_RIGHTUP, MouseButton::Right, false},
    {MOUSEEVENTF_MIDDLEDOWN, MouseButton::Middle, true},
    {MOUSEEVENTF_MIDDLEUP, MouseButton::Middle, false},
};

// Window messages that a backend gives a meaning of its own.
constexpr std::uint32_t WM_CLOSE = 0x0010, WM_KEYDOWN = 0x0100, WM_KEYUP = 0x0101, WM_CHAR = 0x0102,
                        WM_SYSCOMMAND = 0x0112;
constexpr std::uint32_t SC_MINIMIZE = 0xF020, SC_MAXIMIZE = 0xF030, SC_CLOSE = 0xF060,
                        SC_RESTORE = 0xF120;

}  // namespace tavrel
