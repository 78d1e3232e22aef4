// Qt's own texts in the translation's language.
#include "ui/qt_texts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace tavrel {

QtTexts::QtTexts() = default;

QtTexts::~QtTexts() {
    follow({});
}

void QtTexts::follow(const QString& locale) {
    if (locale == locale_) {
        return;
    }
    locale_ = locale;
    if (translator_) {
        QCoreApplication::removeTranslator(translator_.get());
        translator_.reset();
    }
    if (locale.isEmpty()) {
        return;
    }
    auto translator = std::make_unique<QTranslator>();
    if (translator->load(QLocale(locale), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator.get());
        translator_ = std::move(translator);
    }
}

}  // namespace tavrel
