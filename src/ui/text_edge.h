// Where core text (Windows-1252) meets the widgets (Unicode): the translate
// seam and the conversions every caption goes through.
#pragma once

#include <QString>
#include <functional>
#include <string>

namespace tavrel {

// Translate(default, key): the value of key in the translation table, or the
// default when the key is missing or empty. Both texts in Windows-1252.
using TranslateFn = std::function<std::string(std::string def, std::string key)>;

QString ToQt(const std::string& cp1252);
std::string FromQt(const QString& text);

// Translate with Qt text at both ends; an empty translate function keeps the default.
QString Tr(const TranslateFn& translate, const QString& def, const char* key);

// "Unable to read <file>\n<reason>" and "Unable to write to <file>...", as the
// core words them, with the first line in the user's language.
QString TrFileProblem(const TranslateFn& translate, const std::string& message);

// ApplyTranslation's step for one control: caption := Translate(caption now
// shown, key). Menus and groups have a title, everything else a text.
template <typename Control>
void Recaption(const TranslateFn& translate, Control* control, const char* key) {
    if constexpr (requires { control->title(); }) {
        control->setTitle(Tr(translate, control->title(), key));
    } else {
        control->setText(Tr(translate, control->text(), key));
    }
}

}  // namespace tavrel
