// The browser-based help and the F1 key.
#include "help_viewer.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QShortcut>
#include <QUrl>
#include <QWidget>

namespace tavrel {

void BrowserHelpViewer::OpenTopic(const QString& topic) {
    QUrl url = QUrl::fromLocalFile(indexFile_);
    url.setFragment(topic);
    QDesktopServices::openUrl(url);
}

QString DefaultHelpIndex() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("help/index.html"));
}

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
