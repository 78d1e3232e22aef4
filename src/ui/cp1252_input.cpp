// Windows-1252 and hexadecimal input guards.
#include "ui/cp1252_input.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolTip>
#include <QValidator>

#include "platform/text_encoding.h"

namespace tavrel {
namespace {

class Cp1252Validator final : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        return HoldsInCp1252(input) ? Acceptable : Invalid;
    }
};

bool IsHexDigit(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

class HexKeyFilter final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const QString text = static_cast<QKeyEvent*>(event)->text();
            // Control characters (BackSpace, Ctrl+C, ...) have their own meaning.
            if (!text.isEmpty() && text[0].isPrint() && !IsHexDigit(text[0])) {
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

bool HoldsInCp1252(const QString& text) {
    bool lossless = true;
    Utf8ToCp1252(text.toStdString(), &lossless);
    return lossless;
}

void RefuseNonCp1252(QLineEdit* edit, std::function<QString()> hint) {
    edit->setValidator(new Cp1252Validator(edit));
    QObject::connect(edit, &QLineEdit::inputRejected, edit,
                     [edit, hint = std::move(hint)] { ShowInputHint(edit, hint()); });
}

QString RefusedCharacterHint(const TranslateFn& translate) {
    return Tr(translate,
              QStringLiteral("Only characters of Windows-1252 (Western European) can be stored; "
                             "this one was not taken."),
              "charactersrefused_hint");
}

void ShowInputHint(QWidget* widget, const QString& text) {
    constexpr int kShownMs = 4000;
    QToolTip::showText(widget->mapToGlobal(QPoint(0, widget->height())), text, widget, QRect(),
                       kShownMs);
}

void AcceptHexKeysOnly(QWidget* widget) {
    widget->installEventFilter(new HexKeyFilter(widget));
}

}  // namespace tavrel
