// The F1 key and the help context numbers.
#include "ui/help_viewer.h"

#include <QShortcut>
#include <QWidget>

namespace tavrel {

int HelpContextOf(const QWidget* widget) {
    for (; widget != nullptr; widget = widget->parentWidget()) {
        const QVariant context = widget->property(kHelpContextProperty);
        if (context.isValid() && context.toInt() > 0) {
            return context.toInt();
        }
    }
    return 0;
}

void InstallHelpKey(QWidget* window, HelpViewer& help) {
    auto* key = new QShortcut(QKeySequence(Qt::Key_F1), window);
    key->setContext(Qt::WindowShortcut);
    QObject::connect(key, &QShortcut::activated, window, [window, &help] {
        QWidget* focused = window->focusWidget();
        const int context = HelpContextOf(focused != nullptr ? focused : window);
        if (context > 0) {
            help.OpenContext(context);
        }
    });
}

}  // namespace tavrel
