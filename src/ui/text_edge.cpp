// Conversions between the widgets' text and the core's Windows-1252 text.
#include "ui/text_edge.h"

#include "platform/text_encoding.h"

namespace tavrel {

QString ToQt(const std::string& cp1252) {
    return QString::fromStdString(Cp1252ToUtf8(cp1252));
}

std::string FromQt(const QString& text) {
    return Utf8ToCp1252(text.toStdString());
}

QString Tr(const TranslateFn& translate, const QString& def, const char* key) {
    if (!translate) {
        return def;
    }
    return ToQt(translate(FromQt(def), key));
}

}  // namespace tavrel
