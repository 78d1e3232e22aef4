// The help window: topics open at their anchors in the shipped pages, links
// stay inside or go to the desktop's browser, and a missing file says so.
#include <gtest/gtest.h>

#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBrowser>

#include "ui/help_window.h"

namespace tavrel {
namespace {

void Write(const QString& path, const QString& html) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(html.toUtf8());
}

// Every topic the program opens exists in the shipped index, under a heading.
TEST(HelpWindowTest, EveryTopicOfTheProgramOpensAtItsHeading) {
    HelpWindow help(QStringLiteral(TAVREL_HELP_DIR "/index.html"));
    struct Topic {
        const char* anchor;
        const char* heading;
    };
    for (const Topic& topic :
         {Topic{"context-4", "Especial settings"}, Topic{"introduction", "Introduction"},
          Topic{"context-1", "Settings"}, Topic{"context-2", "Assigned commands"},
          Topic{"context-3", "Associated actions"}, Topic{"first-steps", "First steps"},
          Topic{"context-5", "Actions per application"}, Topic{"contact", "Contact"}}) {
        help.OpenTopic(QString::fromLatin1(topic.anchor));
        EXPECT_TRUE(help.isVisible());
        EXPECT_EQ(help.browser()->source().fragment(), QString::fromLatin1(topic.anchor));
        EXPECT_TRUE(help.windowTitle().endsWith(QStringLiteral(" - ") + topic.heading))
            << help.windowTitle().toStdString();
    }
    // The last topics lie far down the page: it was scrolled, not just loaded.
    EXPECT_GT(help.browser()->verticalScrollBar()->value(), 0);
}

TEST(HelpWindowTest, LinksStayInsideAndGoingOutIsTheDesktopsBrowser) {
    QTemporaryDir dir;
    Write(
        dir.filePath(QStringLiteral("index.html")),
        QStringLiteral("<html><head><title>T</title></head><body><p><a href='more.html#b'>more</a>"
                       " <a href='https://example.org/x'>out</a></p></body></html>"));
    Write(dir.filePath(QStringLiteral("more.html")),
          QStringLiteral("<html><body><h2 id='b'>Bee</h2></body></html>"));
    HelpWindow help(dir.filePath(QStringLiteral("index.html")));
    std::vector<QUrl> external;
    help.openExternal = [&external](const QUrl& url) {
        external.push_back(url);
        return true;
    };
    help.OpenTopic(QStringLiteral("top"));

    emit help.browser()->anchorClicked(QUrl(QStringLiteral("https://example.org/x")));
    ASSERT_EQ(external.size(), 1u);
    EXPECT_EQ(external[0], QUrl(QStringLiteral("https://example.org/x")));
    EXPECT_TRUE(help.browser()->source().path().endsWith(QStringLiteral("index.html")));

    emit help.browser()->anchorClicked(QUrl(QStringLiteral("more.html#b")));
    EXPECT_TRUE(help.browser()->source().path().endsWith(QStringLiteral("more.html")));
    EXPECT_TRUE(help.windowTitle().endsWith(QStringLiteral("Bee")));
    EXPECT_EQ(external.size(), 1u);
    help.browser()->backward();
    EXPECT_TRUE(help.browser()->source().path().endsWith(QStringLiteral("index.html")));
}

TEST(HelpWindowTest, AMissingHelpFileIsNamedInTheWindow) {
    HelpWindow help(QStringLiteral("/nonexistent/help/index.html"));
    help.OpenTopic(QStringLiteral("context-2"));
    EXPECT_TRUE(help.isVisible());
    EXPECT_TRUE(
        help.browser()->toPlainText().contains(QStringLiteral("/nonexistent/help/index.html")));
}

}  // namespace
}  // namespace tavrel
