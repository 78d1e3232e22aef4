// The action editor: the groups GBActions (what the shown action does) and
// GBSpecialSettings (moving among the actions, run all at once, key
// multiplying, delay, preferred destination window) beside the command tree,
// below the variant row (VariantRow) that chooses which of the command's
// action sets they show. It shows the table's current command at LoopActual,
// and every change made in it is written at once into that command's record.
#pragma once

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "ui/text_edge.h"

class QAbstractButton;
class QButtonGroup;
class QGroupBox;
namespace Ui {
class ActionsGroup;
class SpecialSettingsGroup;
}  // namespace Ui

namespace tavrel {

class CommandTable;
class Desktop;
class VariantRow;
struct ActionSettings;
struct TComando;

class ActionEditor : public QWidget {
    Q_OBJECT
public:
    explicit ActionEditor(QWidget* parent = nullptr);
    ~ActionEditor() override;

    // The table whose current command the editor shows; nullptr shows none.
    void setCommandTable(CommandTable* table);
    // Where FillTargetWindowList finds the top-level windows; none leaves the list as it is.
    // What that desktop does not allow (another program's window as the
    // destination, posted messages) stays greyed, its reason on the control.
    void setDesktop(Desktop* desktop);

    // Fills the lists: the named keys in table order, the message names sorted.
    // Texts in Windows-1252.
    void setKeyNames(const std::vector<std::string>& names);
    void setMessageNames(const std::vector<std::string>& names);

    void ApplyTranslation(const TranslateFn& translate);

public slots:
    // The selected command becomes the current one and is shown at
    // LoopActual; a shown action is stored again as the controls encode it.
    void ShowActions();
    // Rebuilds the list of destination window titles in CBTargetWin, sorted;
    // the text in the box stays.
    void FillTargetWindowList();
    // After a node was deleted: the action kinds lose their check and, with
    // the controls that edit an action, are disabled until a command is shown.
    void DisableActions();
    // Nothing is selected in the tree: no control edits a command, and the
    // current command stays what it was (a run in progress goes on).
    void showNothingSelected();

private:
    enum class Kind { None, TapKey, Mouse, RunProgram, PostMessage };

    void connectHandlers();
    void prepareInputs();
    // The current command's action set the variant row chose.
    ActionSettings* current() const;
    // The current command's, for a change: the table then holds unsaved edits.
    ActionSettings* edited() const;
    void store(const std::string& action);

    // --- showing (show_actions.cpp)
    void showNoCommand();
    void clearKindControls();
    Kind showAction(const std::string& action);
    void showMouse(const std::string& action);
    void showTapKey(const std::string& action);
    // Enables the controls of kind and disables those of the other kinds.
    void enableKindControls(Kind kind);
    void setKindChecked(Kind kind);
    // Greys what the desktop does not allow, with the reason as its tip.
    void applyDesktopLimits();
    // UDLoop and ELoop with the run settings.
    void setLoopControlsEnabled(bool enabled);
    // CBoxAll, the delay and CBoxMultiKey.
    void setRunSettingsEnabled(bool enabled);
    void setClick(int item);
    int click() const;

    // --- the four kinds (action_kinds.cpp)
    void RadioButton1Click();
    void ComboBoxKeyPress();
    void ComboBoxClick();
    void ComboBoxChange();
    void RBMouseClick();
    void RadioButton2Click();
    void ProgramaChange();
    void BotonExaminarClick();
    void RadioButton3Click();
    bool keyBold() const;
    void setKeyBold(bool bold);

    // --- special settings (action_settings.cpp)
    void BanyadeClick();
    void BBorraClick();
    void UDLoopClick();
    void UDDelayClick();
    void CBoxAllClick();
    void CBoxMultiKeyClick();
    void CBTargetWinChange();

    VariantRow* variants_;
    // The two groups, each with its own form.
    std::unique_ptr<Ui::ActionsGroup> actions_;
    std::unique_ptr<Ui::SpecialSettingsGroup> special_;
    QGroupBox* gbActions_;
    QGroupBox* gbSpecialSettings_;
    QButtonGroup* kinds_;   // the four kind buttons, one checked at most
    QButtonGroup* clicks_;  // the items of RGClick, one selected at most
    CommandTable* table_ = nullptr;
    Desktop* desktop_ = nullptr;
    // While ShowActions sets the controls their handlers stay quiet; it
    // stores the action once itself when the controls are all set.
    bool showing_ = false;
    QString refusedHint_;
};

}  // namespace tavrel
