// The about box: translated caption and title, the translator credit that needs
// all three keys, the blinking contact button and its help topic.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "ui/acerca_de.h"
#include "ui_fakes.h"

namespace tavrel {
namespace {

class AcercaDeTest : public ::testing::Test {
protected:
    AcercaDeTest() : box(testing::TableTranslate(&table), help) {}

    QString memo() { return box.findChild<QPlainTextEdit*>("Memo1")->toPlainText(); }
    QPushButton* button(const char* name) { return box.findChild<QPushButton*>(name); }

    std::map<std::string, std::string> table;
    testing::RecordingHelp help;
    TAcercaDe box;
};

TEST_F(AcercaDeTest, ShowsBuiltInTextsWithoutCredit) {
    box.FormShow();
    EXPECT_EQ(box.windowTitle(), "About Tavrel 3.0");
    auto* title = box.findChild<QLabel*>("LTitulo");
    EXPECT_EQ(title->text(), "Tavrel 3.0 for Linux");
    EXPECT_TRUE(title->font().bold());
    EXPECT_TRUE(
        memo().endsWith("\n\nTavrel is free software under the GNU General Public License, version "
                        "3 or later.\n\n"));
    EXPECT_FALSE(memo().contains("Translated"));
    EXPECT_EQ(button("BAceptar")->text(), "&Accept");
    EXPECT_EQ(button("BContacto")->text(), "Contact author");
}

TEST_F(AcercaDeTest, CreditNeedsNameEmailAndLanguage) {
    table = {{"name", "Juan P\xE9rez"},
             {"email", "juan@example.org"},
             {"about2", "Acerca de"},
             {"for", "para"},
             {"ok", "&Aceptar"},
             {"aboutdescription", "Tavrel deja que un mando a distancia maneje su escritorio."},
             {"licence", "Software libre"}};
    box.FormShow();
    EXPECT_TRUE(
        memo().startsWith("Tavrel deja que un mando a distancia maneje su escritorio.\n\n"));
    EXPECT_FALSE(memo().contains("juan@example.org"));
    EXPECT_TRUE(memo().endsWith("\n\nSoftware libre\n\n"));
    EXPECT_EQ(box.windowTitle(), "Acerca de Tavrel 3.0");
    EXPECT_EQ(box.findChild<QLabel*>("LTitulo")->text(), "Tavrel 3.0 para Linux");
    EXPECT_EQ(button("BAceptar")->text(), "&Aceptar");

    table["language"] = "Espa\xF1ol";
    box.FormShow();
    EXPECT_TRUE(
        memo().endsWith("\n\nTranslated to English by Juan P\u00e9rez (juan@example.org)\n\n"))
        << memo().toStdString();
    table["translatedto_X_by"] = "Traducido al espa\xF1ol por";
    box.FormShow();
    EXPECT_TRUE(
        memo().contains("Traducido al espa\u00f1ol por Juan P\u00e9rez (juan@example.org)"));
}

TEST_F(AcercaDeTest, TimerBlinksContactButtonWhileShown) {
    EXPECT_EQ(box.Timer1()->interval(), 1000);
    EXPECT_EQ(box.Timer1()->objectName(), "Timer1");
    box.show();
    EXPECT_TRUE(box.Timer1()->isActive());
    QPushButton* contact = button("BContacto");
    EXPECT_FALSE(contact->font().italic());
    box.Timer1Timer();
    EXPECT_TRUE(contact->font().italic());
    box.Timer1Timer();
    EXPECT_FALSE(contact->font().italic());
    box.hide();
    EXPECT_FALSE(box.Timer1()->isActive());
}

TEST_F(AcercaDeTest, ButtonsCloseAndOpenContactTopic) {
    button("BContacto")->click();
    EXPECT_EQ(help.topics, (std::vector<QString>{"contact"}));
    box.show();
    button("BAceptar")->click();
    EXPECT_FALSE(box.isVisible());
}

}  // namespace
}  // namespace tavrel
