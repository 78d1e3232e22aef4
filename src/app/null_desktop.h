// Stand-ins for the desktop when no display can be reached: the program
// still receives, learns and edits, and the actions do nothing.
#pragma once

#include "platform/desktop.h"
#include "platform/input.h"
#include "platform/sound.h"
#include "platform/trace.h"

namespace tavrel {

class NullInput final : public Input {
public:
    void keybd_event(std::uint8_t, std::uint8_t, std::uint32_t) override {}
    void mouse_event(std::uint32_t, std::int32_t, std::int32_t) override {}
    std::int16_t VkKeyScan(unsigned char) override { return -1; }
    std::uint32_t MapVirtualKey(std::uint32_t) override { return 0; }
    bool TypeCharacter(unsigned char) override { return false; }
    void StartOfKeys() override {
        TraceEvent([] { return "keys: not sent: no desktop could be reached"; });
    }
};

class NullDesktop final : public Desktop {
public:
    WindowHandle GetForegroundWindow() override { return kNoWindow; }
    std::vector<WindowHandle> TopLevelWindows() override { return {}; }
    std::string GetWindowText(WindowHandle) override { return {}; }
    WindowHandle FindWindow(const std::string&) override { return kNoWindow; }
    bool IsIconic(WindowHandle) override { return false; }
    void RestoreWindow(WindowHandle) override {}
    void RaiseAndActivate(WindowHandle) override {}
    bool PostMessage(WindowHandle, std::uint32_t, std::uint32_t, std::uint32_t) override {
        return false;
    }
    std::string windowsUnavailable() const override {
        return "Tavrel reaches no desktop whose windows it could list.";
    }
    std::string applicationsUnavailable() const override { return windowsUnavailable(); }
};

class NullSound final : public Sound {
public:
    void Beep() override {}
};

}  // namespace tavrel
