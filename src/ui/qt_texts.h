// Qt's own texts (the Yes and No of a question, the file dialog) in the
// language a translation file names with its key "locale" ("de", "es"), from
// the translations of Qt that the system has (qt6-translations-l10n); English
// where it has none or no language is named.
#pragma once

#include <QString>
#include <memory>

class QTranslator;

namespace tavrel {

class QtTexts {
public:
    QtTexts();
    ~QtTexts();
    QtTexts(const QtTexts&) = delete;
    QtTexts& operator=(const QtTexts&) = delete;

    // Follows the language named, "" for English; the same name again changes nothing.
    void follow(const QString& locale);

private:
    std::unique_ptr<QTranslator> translator_;
    QString locale_;
};

}  // namespace tavrel
