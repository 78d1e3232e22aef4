// The program's own help window: the shipped HTML pages in a text browser,
// opened at a topic's anchor. Links between the pages stay in the window;
// links out of them go to the desktop's browser.
#pragma once

#include <QString>
#include <QUrl>
#include <QWidget>
#include <functional>

#include "ui/help_viewer.h"

class QTextBrowser;

namespace tavrel {

class HelpWindow : public QWidget, public HelpViewer {
    Q_OBJECT
public:
    explicit HelpWindow(QString indexFile, QWidget* parent = nullptr);

    // Shows the window at the index's anchor topic, loading the index first
    // when another page (or nothing) is shown.
    void OpenTopic(const QString& topic) override;

    QTextBrowser* browser() const { return browser_; }
    // Where links out of the help go; the desktop's browser unless replaced.
    std::function<bool(const QUrl&)> openExternal;

private:
    void Follow(const QUrl& link);
    void Show(const QUrl& page);
    void ShowTitle();
    // The text of the block that holds anchor topic; empty when none does.
    QString TopicHeading(const QString& topic) const;

    QString indexFile_;
    QTextBrowser* browser_;
};

// The help index of this copy: help/index.html in its data directory.
QString DefaultHelpIndex();

}  // namespace tavrel
