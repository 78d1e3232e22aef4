// Expected-event helpers in the form the recording fakes log them.
#pragma once

#include <cstdint>
#include <string>

namespace tavrel::test {

// Scan codes of the US PC keyboard as the fake reports them.
constexpr int kScanShift = 0x2A, kScanCtrl = 0x1D, kScanAlt = 0x38, kScanA = 0x1E, kScanF1 = 0x3B,
              kScanEnter = 0x1C;

inline std::string Down(int vk, int scan = 0) {
    return "keybd_event(" + std::to_string(vk) + ", " + std::to_string(scan) + ", 0)";
}
inline std::string Up(int vk, int scan = 0) {
    return "keybd_event(" + std::to_string(vk) + ", " + std::to_string(scan) + ", 2)";
}
inline std::string Mouse(int flags, int dx = 0, int dy = 0) {
    return "mouse_event(" + std::to_string(flags) + ", " + std::to_string(dx) + ", " +
           std::to_string(dy) + ")";
}

}  // namespace tavrel::test
