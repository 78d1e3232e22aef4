// The help window over QTextBrowser.
#include "ui/help_window.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QKeySequence>
#include <QShortcut>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>

#include "platform/posix/program_directory.h"

namespace tavrel {

HelpWindow::HelpWindow(QString indexFile, QWidget* parent)
    : QWidget(parent, Qt::Window),
      openExternal([](const QUrl& url) { return QDesktopServices::openUrl(url); }),
      indexFile_(std::move(indexFile)),
      browser_(new QTextBrowser(this)) {
    setObjectName(QStringLiteral("HelpWindow"));
    browser_->setObjectName(QStringLiteral("HelpBrowser"));
    setWindowTitle(QStringLiteral("Tavrel help"));
    resize(760, 600);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);

    // Links are followed here, so that one to the web never replaces the page
    // with an empty one.
    browser_->setOpenLinks(false);
    connect(browser_, &QTextBrowser::anchorClicked, this, &HelpWindow::Follow);
    connect(browser_, &QTextBrowser::sourceChanged, this, &HelpWindow::ShowTitle);
    auto* back = new QShortcut(QKeySequence::Back, this);
    connect(back, &QShortcut::activated, browser_, &QTextBrowser::backward);
    auto* forward = new QShortcut(QKeySequence::Forward, this);
    connect(forward, &QShortcut::activated, browser_, &QTextBrowser::forward);
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
}

void HelpWindow::OpenTopic(const QString& topic) {
    QUrl page = QUrl::fromLocalFile(indexFile_);
    page.setFragment(topic);
    Show(page);
    show();
    raise();
    activateWindow();
}

void HelpWindow::Follow(const QUrl& link) {
    const QUrl target = browser_->source().resolved(link);
    if (target.isLocalFile() || target.scheme() == QLatin1String("qrc")) {
        Show(target);
    } else if (openExternal) {
        openExternal(target);
    }
}

void HelpWindow::Show(const QUrl& page) {
    const QString file = page.toLocalFile();
    if (page.isLocalFile() && !QFileInfo(file).isReadable()) {
        // Said in the window itself: a help key that does nothing says nothing.
        browser_->setHtml(QStringLiteral("<h2>No help</h2><p>The help file <code>%1</code> "
                                         "cannot be read.</p>")
                              .arg(file.toHtmlEscaped()));
        return;
    }
    // The same page at another anchor only scrolls, and goes into the history.
    browser_->setSource(page);
    ShowTitle();
}

// The page's title and the topic's heading, so the caption says what is shown.
void HelpWindow::ShowTitle() {
    QString title = browser_->documentTitle();
    if (title.isEmpty()) {
        title = QStringLiteral("Tavrel help");
    }
    const QString heading = TopicHeading(browser_->source().fragment());
    setWindowTitle(heading.isEmpty() ? title : title + QStringLiteral(" - ") + heading);
}

QString HelpWindow::TopicHeading(const QString& topic) const {
    if (topic.isEmpty()) {
        return {};
    }
    for (QTextBlock block = browser_->document()->begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            if (fragment.fragment().charFormat().anchorNames().contains(topic)) {
                return block.text().trimmed();
            }
        }
    }
    return {};
}

QString DefaultHelpIndex() {
    return QString::fromStdString((DataDirectory() / "help" / "index.html").string());
}

}  // namespace tavrel
