// The about box: program title, a descriptive paragraph, the translator's
// credit, and a "Contact author" button whose font blinks every second.
#pragma once

#include <QDialog>
#include <memory>

#include "ui/text_edge.h"

class QTimer;
namespace Ui {
class TAcercaDe;
}

namespace tavrel {

class HelpViewer;

inline constexpr char kProgramTitle[] = "Tavrel 3.0";
inline constexpr char kLicence[] =
    "Tavrel is free software under the GNU General Public License, version 3 or later.";

class TAcercaDe : public QDialog {
    Q_OBJECT
public:
    TAcercaDe(TranslateFn translate, HelpViewer& help, QWidget* parent = nullptr);
    ~TAcercaDe() override;

    // Translates the caption, title, text and close button; runs each time the box opens.
    void FormShow();

    QTimer* Timer1() const { return timer_; }
    // Switches the "Contact author" button between normal and italic.
    void Timer1Timer();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    std::unique_ptr<Ui::TAcercaDe> ui_;
    TranslateFn translate_;
    HelpViewer& help_;
    QTimer* timer_;
};

}  // namespace tavrel
