// Message boxes that never take the keyboard focus from the user in running
// mode: there, whatever the program has to say (a log that cannot be written,
// a receiver that cannot be opened, the desktop's limits at a start with Load
// minimized) goes to the on-screen notice, which no window manager focuses.
// In editing mode, where a box answers something the user just did, the real
// boxes show.
#pragma once

#include "ui/message_boxes.h"

namespace tavrel {

class CommandNotice;
class ProgramState;

class RunningModeBoxes final : public MessageBoxes {
public:
    RunningModeBoxes(MessageBoxes& boxes, const ProgramState& state, CommandNotice& notice)
        : boxes_(boxes), state_(state), notice_(notice) {}

    void Error(const QString& caption, const QString& text) override;
    void Show(BoxIcon icon, const QString& caption, const QString& text) override;
    void Tell(const QString& caption, const QString& text) override;
    // Asked only in editing mode: the real box.
    bool Confirm(const QString& caption, const QString& text) override;

private:
    bool running() const;

    MessageBoxes& boxes_;
    const ProgramState& state_;
    CommandNotice& notice_;
};

}  // namespace tavrel
