// Opening the help at a named topic or at a context number, and the F1 key
// that finds the context number of the focused control.
#pragma once

#include <QString>

class QWidget;

namespace tavrel {

// Dynamic property that gives a control and everything inside it a help
// context number (1 configuration dialog, 2 tree, 3 and 4 the action editor,
// 5 its variant row and the dialog that adds a variant).
inline constexpr char kHelpContextProperty[] = "HelpContext";

class HelpViewer {
public:
    virtual ~HelpViewer() = default;
    // An anchor of the help index: "introduction", "contact", "context-2", ...
    virtual void OpenTopic(const QString& topic) = 0;
    void OpenContext(int number) { OpenTopic(QStringLiteral("context-%1").arg(number)); }
};

// The context number of widget or of the nearest widget that contains it; 0 when none has one.
int HelpContextOf(const QWidget* widget);

// F1 anywhere in window opens the help at the focused control's context number.
void InstallHelpKey(QWidget* window, HelpViewer& help);

}  // namespace tavrel
