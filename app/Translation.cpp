#include "Translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace Translation {

bool prefersEnglish(const QLocale& system)
{
    // Qt reports the C locale's UI language as English; C still means "no choice made".
    if (system.language() == QLocale::C)
        return false;
    for (const QString& name : system.uiLanguages()) {
        const QLocale::Language language = QLocale(name).language();
        if (language == QLocale::English)
            return true;
        if (language == QLocale::Japanese)
            return false;
    }
    // Neither: English, the one translation, is closer to German or French than Japanese.
    return true;
}

namespace {
void load(QCoreApplication& app, const QString& file, const QString& folder)
{
    auto* translator = new QTranslator(&app);
    if (translator->load(file, folder))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

QString qtTranslationsFolder()
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
#else
    return QLibraryInfo::location(QLibraryInfo::TranslationsPath);
#endif
}
}

void install(QCoreApplication& app, bool english)
{
    // The default locale also picks the button pictures drawn with their label.
    if (english) {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        load(app, QStringLiteral("ravelo_en"), QStringLiteral(":/translations"));
    } else {
        QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
        load(app, QStringLiteral("qtbase_ja"), qtTranslationsFolder());
    }
}

}
