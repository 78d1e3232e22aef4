// The variant row's "Add..." dialog: the applications with windows open now
// (their names and titles, as the desktop tells them), a name and an
// optional part of the title to type, and "Learn application": the next
// window of another program the user activates gives its application.
#pragma once

#include <QDialog>
#include <memory>
#include <optional>
#include <string>

#include "platform/desktop.h"
#include "ui/text_edge.h"

class QTimer;
namespace Ui {
class ApplicationPicker;
}

namespace tavrel {

class ApplicationPicker : public QDialog {
    Q_OBJECT
public:
    // desktop lists the windows and tells the active one; it must outlive the dialog.
    ApplicationPicker(Desktop& desktop, const TranslateFn& translate, QWidget* parent = nullptr);
    ~ApplicationPicker() override;

    // What was chosen, in Windows-1252, blanks at either end dropped.
    std::string application() const;
    std::string title() const;

    // How often a learning looks at the active window.
    static constexpr int kLearnPollMs = 100;

private:
    void fillList();
    void learnToggled(bool on);
    void lookForLearned();
    void updateOk();

    std::unique_ptr<Ui::ApplicationPicker> ui_;
    Desktop& desktop_;
    TranslateFn translate_;
    QTimer* learning_;
    // The window active when learning began: it is not the one learned.
    WindowHandle learnedFrom_ = kNoWindow;
};

}  // namespace tavrel
