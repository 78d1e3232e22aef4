// The action editor: the groups GBActions (what the shown action does) and
// GBSpecialSettings (moving among the actions, run all at once, key
// multiplying, delay, preferred destination window) beside the command tree.
// It shows the table's current command at LoopActual.
#pragma once

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "text_edge.h"

class QGroupBox;
namespace Ui {
class ActionsGroup;
class SpecialSettingsGroup;
}  // namespace Ui

namespace tavrel {

class CommandTable;
class Desktop;

class ActionEditor : public QWidget {
    Q_OBJECT
public:
    explicit ActionEditor(QWidget* parent = nullptr);
    ~ActionEditor() override;

    // The table whose current command the editor shows; nullptr shows none.
    void setCommandTable(CommandTable* table) { table_ = table; }
    // Where FillTargetWindowList finds the top-level windows; none leaves the list as it is.
    void setDesktop(Desktop* desktop) { desktop_ = desktop; }

    // Fills the lists: the named keys in table order, the message names sorted.
    // Texts in Windows-1252.
    void setKeyNames(const std::vector<std::string>& names);
    void setMessageNames(const std::vector<std::string>& names);

    void ApplyTranslation(const TranslateFn& translate);

public slots:
    // The selected command becomes the current one and shows its image; the
    // controls themselves stay as created until the editor's handlers arrive.
    void ShowActions();
    // Rebuilds the list of destination window titles in CBTargetWin, sorted.
    void FillTargetWindowList();

private:
    // The two groups, each with its own form.
    std::unique_ptr<Ui::ActionsGroup> actions_;
    std::unique_ptr<Ui::SpecialSettingsGroup> special_;
    QGroupBox* gbActions_;
    QGroupBox* gbSpecialSettings_;
    CommandTable* table_ = nullptr;
    Desktop* desktop_ = nullptr;
};

}  // namespace tavrel
