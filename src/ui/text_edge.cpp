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

QString TrFileProblem(const TranslateFn& translate, const std::string& message) {
    static const struct {
        QLatin1StringView prefix;
        const char* english;
        const char* key;
    } kProblems[] = {
        {QLatin1StringView("Unable to read "), "Unable to read %s", "unabletoread"},
        {QLatin1StringView("Unable to write to "), "Unable to write to %s", "unabletowrite"}};
    const QString text = ToQt(message);
    for (const auto& problem : kProblems) {
        if (text.startsWith(problem.prefix)) {
            const qsizetype lineEnd = text.indexOf(u'\n');
            const qsizetype fileEnd = lineEnd < 0 ? text.size() : lineEnd;
            const QString file = text.mid(problem.prefix.size(), fileEnd - problem.prefix.size());
            return Tr(translate, QString::fromLatin1(problem.english), problem.key)
                       .replace(QStringLiteral("%s"), file) +
                   text.mid(fileEnd);
        }
    }
    return text;
}

}  // namespace tavrel
