// Guards for edit boxes whose text is stored as Windows-1252: input the code
// page cannot hold is refused where it is typed or pasted, with a hint at the
// box, instead of being stored as something else; and the hexadecimal-only
// keys of the message boxes.
#pragma once

#include <QString>
#include <functional>

#include "ui/text_edge.h"

class QLineEdit;
class QWidget;

namespace tavrel {

// True when Windows-1252 holds every character of text.
bool HoldsInCp1252(const QString& text);

// Refuses typed or pasted text that Windows-1252 cannot hold; each refusal
// shows hint() beside the box for a few seconds.
void RefuseNonCp1252(QLineEdit* edit, std::function<QString()> hint);

// The hint of a refusal, in the user's language.
QString RefusedCharacterHint(const TranslateFn& translate);

// Shows text as a passing hint just below widget.
void ShowInputHint(QWidget* widget, const QString& text);

// Swallows every typed character other than 0-9, A-F and a-f; BackSpace,
// editing and shortcut keys pass.
void AcceptHexKeysOnly(QWidget* widget);

}  // namespace tavrel
