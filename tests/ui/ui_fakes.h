// Recording stand-ins for the seams of the main window: the port, the message
// boxes and the help viewer, each writing what it was asked into one log.
#pragma once

#include <QString>
#include <algorithm>
#include <cctype>
#include <map>
#include <string>
#include <vector>

#include "platform/fake/fake_desktop.h"
#include "ui/help_viewer.h"
#include "ui/message_boxes.h"
#include "ui/port_control.h"
#include "ui/text_edge.h"

namespace tavrel::testing {

using Log = std::vector<std::string>;

class RecordingPort : public PortControl {
public:
    explicit RecordingPort(Log& log) : log_(log) {}
    bool OpenPort() override {
        log_.push_back("OpenPort");
        open_ = open_ || opens;
        return open_;
    }
    void ClosePort() override {
        log_.push_back("ClosePort");
        open_ = false;
    }
    bool IsOpen() const override { return open_; }
    int PortNumber() const override { return number; }
    OpenFailure LastFailure() const override { return failure; }
    std::string DevicePath() const override { return device; }

    bool opens = true;
    int number = 2;
    std::string device = "/dev/ttyS1";
    OpenFailure failure;

private:
    Log& log_;
    bool open_ = false;
};

class RecordingBoxes : public MessageBoxes {
public:
    explicit RecordingBoxes(Log& log) : log_(log) {}
    void Error(const QString& caption, const QString& text) override {
        log_.push_back("Error");
        captions.push_back(caption);
        texts.push_back(text);
    }
    void Show(BoxIcon icon, const QString& caption, const QString& text) override {
        log_.push_back("Show");
        icons.push_back(icon);
        captions.push_back(caption);
        texts.push_back(text);
    }
    std::vector<BoxIcon> icons;
    bool Confirm(const QString& caption, const QString& text) override {
        log_.push_back("Confirm");
        captions.push_back(caption);
        texts.push_back(text);
        return answer;
    }
    std::vector<QString> captions;
    std::vector<QString> texts;
    bool answer = true;  // what Confirm answers

private:
    Log& log_;
};

class RecordingHelp : public HelpViewer {
public:
    void OpenTopic(const QString& topic) override { topics.push_back(topic); }
    std::vector<QString> topics;
};

// A desktop whose window list is read into the log ("TopLevelTitles").
class RecordingDesktop : public FakeDesktop {
public:
    RecordingDesktop(FakeEventLog& events, Log& log) : FakeDesktop(events), log_(log) {}
    std::vector<WindowHandle> TopLevelWindows() override {
        log_.push_back("TopLevelTitles");
        return FakeDesktop::TopLevelWindows();
    }

private:
    Log& log_;
};

// A translation table as the translate seam sees it: Windows-1252 keys, case-insensitive.
inline TranslateFn TableTranslate(const std::map<std::string, std::string>* table) {
    return [table](std::string def, std::string key) {
        for (const auto& [k, value] : *table) {
            if (k.size() == key.size() &&
                std::equal(k.begin(), k.end(), key.begin(), [](char a, char b) {
                    return std::tolower(static_cast<unsigned char>(a)) ==
                           std::tolower(static_cast<unsigned char>(b));
                })) {
                return value.empty() ? def : value;
            }
        }
        return def;
    };
}

}  // namespace tavrel::testing
