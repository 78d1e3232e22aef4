// The variant row above the action editor's groups: which of the shown
// command's action sets the editor shows and edits, "All other applications"
// (the command's own) or one of its variants for a named application; "Add..."
// (the picker), "Remove" and the arrows that change the order in which the
// variants are tried. Where the desktop cannot tell the active application
// the row is greyed with its reason, and the command's own actions run.
#pragma once

#include <QWidget>
#include <memory>

#include "ui/text_edge.h"

namespace Ui {
class VariantRow;
}

namespace tavrel {

class CommandTable;
class Desktop;
struct ActionSettings;
struct TComando;

class VariantRow : public QWidget {
    Q_OBJECT
public:
    explicit VariantRow(QWidget* parent = nullptr);
    ~VariantRow() override;

    void setCommandTable(CommandTable* table) { table_ = table; }
    // Where "Add..." finds the open windows and learns the active one.
    void setDesktop(Desktop* desktop);
    void ApplyTranslation(const TranslateFn& translate);

    // Lists the command's variants. While the same command is shown, the
    // variant chosen stays chosen; another command starts at "All other
    // applications". Returns what the editor shows of it.
    ActionSettings& show(TComando& command);
    // No command is shown: the row is greyed.
    void showNone();
    // What the editor edits of command: the chosen variant while command is
    // the one shown, its own actions otherwise.
    ActionSettings& settingsOf(TComando& command) const;
    // 0: "All other applications"; n: the command's n-th variant.
    int chosen() const { return chosen_; }

signals:
    // Another variant was chosen, or the variants changed: the editor shows again.
    void chosenChanged();

private:
    void choose(int item);
    void addClick();
    void removeClick();
    void moveClick(int by);
    // The list and the buttons for the command shown.
    void refresh();
    void fitButtons();
    QString translated(const QString& def, const char* key) const {
        return Tr(translate_, def, key);
    }

    std::unique_ptr<Ui::VariantRow> ui_;
    CommandTable* table_ = nullptr;
    Desktop* desktop_ = nullptr;
    TranslateFn translate_;
    TComando* shown_ = nullptr;
    int chosen_ = 0;
};

}  // namespace tavrel
