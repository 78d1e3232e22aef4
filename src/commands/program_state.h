// The program-wide state: one object, owned by the program and passed by
// reference to every part that reads or changes it (the main window,
// recognition, the action runner, the configuration dialog). Every change is
// announced, so a part that shows a value (a menu check, a path field) follows it.
#pragma once

#include <string>
#include <utility>

#include "commands/notifier.h"

namespace tavrel {

class ProgramState {
public:
    // Editing: a recognised command is only selected and shown, neither run nor logged.
    bool EditMode() const { return editMode_; }
    // Beep when a command is recognised.
    bool Sonido() const { return sonido_; }
    // The keystroke path of the action runner: through the keyboard layout
    // (true) or with fixed keys.
    bool AdvancedKeyPress() const { return advancedKeyPress_; }
    // Running mode shows each recognised command on screen for a moment.
    bool ShowCommands() const { return showCommands_; }
    // Paths in Windows-1252. The log file of recognised commands (empty: no
    // log), the translation file (empty: none), the commands file in use.
    const std::string& logPath() const { return logPath_; }
    const std::string& translationPath() const { return translationPath_; }
    const std::string& commandsPath() const { return commandsPath_; }

    void setEditMode(bool on) { set(editMode_, on); }
    void setSonido(bool on) { set(sonido_, on); }
    void setAdvancedKeyPress(bool on) { set(advancedKeyPress_, on); }
    void setShowCommands(bool on) { set(showCommands_, on); }
    void setLogPath(std::string path) { set(logPath_, std::move(path)); }
    void setTranslationPath(std::string path) { set(translationPath_, std::move(path)); }
    void setCommandsPath(std::string path) { set(commandsPath_, std::move(path)); }

    // Raised after any of the values above really changed.
    Notifier<> changed;

private:
    template <typename T>
    void set(T& field, T value) {
        if (field != value) {
            field = std::move(value);
            changed.notify();
        }
    }

    bool editMode_ = true;
    bool sonido_ = true;
    bool advancedKeyPress_ = true;
    bool showCommands_ = false;
    std::string logPath_;
    std::string translationPath_;
    std::string commandsPath_;
};

}  // namespace tavrel
