// The choice between a box and the notice.
#include "app/running_mode_boxes.h"

#include "app/command_notice.h"
#include "commands/program_state.h"

namespace tavrel {

bool RunningModeBoxes::running() const {
    return !state_.EditMode();
}

void RunningModeBoxes::Error(const QString& caption, const QString& text) {
    running() ? notice_.ShowMessage(caption, text) : boxes_.Error(caption, text);
}

void RunningModeBoxes::Show(BoxIcon icon, const QString& caption, const QString& text) {
    if (running()) {
        QString lines = text;
        notice_.ShowMessage(caption, lines.replace(QLatin1Char('\r'), QLatin1Char('\n')));
    } else {
        boxes_.Show(icon, caption, text);
    }
}

void RunningModeBoxes::Tell(const QString& caption, const QString& text) {
    running() ? notice_.ShowMessage(caption, text) : boxes_.Tell(caption, text);
}

bool RunningModeBoxes::Confirm(const QString& caption, const QString& text) {
    return boxes_.Confirm(caption, text);
}

}  // namespace tavrel
