// The configuration dialog TSelPuerto: the three file paths, the serial line
// settings with the receiver's device, and the code-sequence settings. Every
// change is in force at once; Ok and Cancel only hide the dialog. It writes
// nothing but the [Ports] line of a device the user picks.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "commands/commands_file.h"
#include "commands/notifier.h"
#include "commands/sequence_settings.h"
#include "ui/text_edge.h"

class QComboBox;
class QLineEdit;
namespace Ui {
class TSelPuerto;
}

namespace tavrel {

class ConfigurationServices;
class HelpViewer;
class MessageBoxes;
class PortSwitch;
class ProgramState;
class UpDown;

class TSelPuerto : public QDialog {
    Q_OBJECT
public:
    // All are referenced and must outlive the dialog. sequence is the setting
    // in effect, shared with capture; the paths live in state.
    TSelPuerto(ConfigurationServices& services, ProgramState& state, PortSwitch& port,
               SequenceSettings& sequence, TranslateFn translate, MessageBoxes& boxes,
               HelpViewer& help, QWidget* parent = nullptr);
    ~TSelPuerto() override;

    // What the commands file loaded, shown without running any handler.
    void showPortOrdinals(const PortOrdinals& ordinals);
    void showSequenceSettings(const SequenceSettings& settings);

    // Picks a file for a Browse button, starting at a file or a folder (the
    // shipped translations for an empty Translation field); an empty answer
    // is a cancelled dialog.
    std::function<QString(const QString& current)> chooseFile;

    // Handlers, named after their controls and events.
    void FormActivate();
    void CBPortNumberClick();
    void CBVelocidadClick();
    void CBParidadClick();
    void CBDataBitsClick();
    void CBStopbitsClick();
    void ESkipChange();
    void EToleraChange();
    void ESizeChange();
    void EFichConfigChange();
    void EFichLenguajeChange();
    void EFichLogChange();
    void BExaminarFichConfigClick();
    void BExaminarFichLenguajeClick();
    void BExaminarFichLogClick();
    void CBDeviceClick();
    void ApplyTranslation();

signals:
    // The Translation field changed: the main window loads the file and
    // re-captions itself, before the dialog does.
    void translationChanged();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QString translated(const QString& def, const char* key) const {
        return Tr(translate_, def, key);
    }
    void applyPortSetting(const std::function<void(PortOrdinals&)>& change);
    void applySequenceField(QLineEdit* field, UpDown* arrows, std::int32_t& setting,
                            bool isValueSize);
    std::optional<std::string> storablePath(QLineEdit* field, const std::string& current);
    void showPaths();
    void showDevice();
    void fillDevices();
    // The device list's first item, which only invites a choice.
    QString chooseDeviceText() const;

    std::unique_ptr<Ui::TSelPuerto> ui_;
    ConfigurationServices& services_;
    ProgramState& state_;
    PortSwitch& port_;
    SequenceSettings& sequence_;
    TranslateFn translate_;
    MessageBoxes& boxes_;
    bool switchingCommands_ = false;
    // The paths last shown, so a field being typed into is rewritten only
    // when the path itself changes.
    std::string shownCommands_, shownTranslation_, shownLog_;
    Notifier<>::Subscription stateHeard_;
};

}  // namespace tavrel
