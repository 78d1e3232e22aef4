// The configuration dialog's three file fields and their Browse buttons.
#include <QFileInfo>
#include <QScopedValueRollback>

#include "commands/program_state.h"
#include "platform/posix/program_directory.h"
#include "platform/text_encoding.h"
#include "ui/configuration_services.h"
#include "ui/message_boxes.h"
#include "ui/sel_puerto.h"
#include "ui_SelecPuerto.h"

namespace tavrel {
namespace {

// The translations that come with the program, in its data folder; empty
// when they are not there.
QString ShippedTranslations() {
    const QFileInfo folder(QString::fromStdString((DataDirectory() / "translations").string()));
    return folder.isDir() ? folder.canonicalFilePath() : QString();
}

}  // namespace

// A name with no file behind it becomes the file that Save/Run writes and the
// table stays: nothing is lost to a name still being thought about. An
// existing file replaces the table, after asking when it holds unsaved edits.
void TSelPuerto::EFichConfigChange() {
    if (switchingCommands_) {
        return;
    }
    const std::optional<std::string> storable =
        storablePath(ui_->EFichConfig, state_.commandsPath());
    if (!storable || *storable == state_.commandsPath()) {
        return;
    }
    const std::string& path = *storable;
    // The question takes the focus from the field, which would finish it again.
    const QScopedValueRollback busy(switchingCommands_, true);
    if (!QFileInfo(ToQt(path)).isFile()) {
        state_.setCommandsPath(path);
        return;
    }
    // A file that is no commands file (a picture picked by mistake) is
    // refused for that reason alone, as Save/Run would refuse to write it.
    if (const std::optional<std::string> unusable = services_.commandsFileUnusable(path)) {
        boxes_.Error(QStringLiteral("Tavrel"), TrFileProblem(translate_, *unusable));
        ui_->EFichConfig->setText(ToQt(state_.commandsPath()));
        return;
    }
    if (services_.commandsModified() &&
        !boxes_.Confirm(
            translated(QStringLiteral("Unsaved changes"), "unsavedchanges"),
            translated(QStringLiteral("The commands have changes that are not saved. Load %s "
                                      "and lose them?"),
                       "discardchanges")
                .replace(QStringLiteral("%s"), ToQt(path)))) {
        ui_->EFichConfig->setText(ToQt(state_.commandsPath()));
        return;
    }
    state_.setCommandsPath(path);
    services_.switchCommandsFile(path);
}

void TSelPuerto::EFichLenguajeChange() {
    const std::optional<std::string> path =
        storablePath(ui_->EFichLenguaje, state_.translationPath());
    if (path && *path != state_.translationPath()) {
        state_.setTranslationPath(*path);
        services_.switchTranslationFile(*path);
    }
    // The main window loads the file, then the dialog takes its captions.
    emit translationChanged();
    ApplyTranslation();
}

void TSelPuerto::EFichLogChange() {
    if (const std::optional<std::string> path = storablePath(ui_->EFichLog, state_.logPath())) {
        state_.setLogPath(*path);
    }
}

// Paths are kept in Windows-1252 like everything Tavrel stores. A name with a
// character it cannot hold would turn into '?' and name another file, so it
// is refused and the field shows the path in force again.
std::optional<std::string> TSelPuerto::storablePath(QLineEdit* field, const std::string& current) {
    bool lossless = true;
    std::string path = Utf8ToCp1252(field->text().toStdString(), &lossless);
    if (lossless) {
        return path;
    }
    boxes_.Error(QStringLiteral("Tavrel"),
                 translated(QStringLiteral("'%s' has characters that cannot be stored in the "
                                           "settings."),
                            "pathnotstorable")
                     .replace(QStringLiteral("%s"), field->text()));
    field->setText(ToQt(current));
    return std::nullopt;
}

void TSelPuerto::BExaminarFichConfigClick() {
    const QString chosen = chooseFile(ui_->EFichConfig->text());
    if (!chosen.isEmpty()) {
        ui_->EFichConfig->setText(chosen);
        EFichConfigChange();
    }
}

// The field is emptied first, so the table is emptied and then loaded from
// the chosen file even when it is the one in use.
void TSelPuerto::BExaminarFichLenguajeClick() {
    const QString current = ui_->EFichLenguaje->text();
    const QString chosen = chooseFile(current.isEmpty() ? ShippedTranslations() : current);
    if (!chosen.isEmpty()) {
        ui_->EFichLenguaje->clear();
        EFichLenguajeChange();
        ui_->EFichLenguaje->setText(chosen);
        EFichLenguajeChange();
    }
}

void TSelPuerto::BExaminarFichLogClick() {
    const QString chosen = chooseFile(ui_->EFichLog->text());
    if (!chosen.isEmpty()) {
        ui_->EFichLog->setText(chosen);
        EFichLogChange();
    }
}

}  // namespace tavrel
