#include "translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

bool installOne(const QLocale &locale, const QString &name, const QString &folder)
{
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(locale, name, QStringLiteral("_"), folder)) {
        QCoreApplication::installTranslator(translator);
        return true;
    }
    delete translator;
    return false;
}

} // namespace

bool Translations::install(const QLocale &locale)
{
    // The compiled texts live in a resource of the core library, which a
    // static link would otherwise leave out.
    Q_INIT_RESOURCE(translations);
    if (!installOne(locale, QStringLiteral("marlu"), QStringLiteral(":/translations")))
        return false;
    // Only with our own texts: Qt's buttons alone would mix two languages.
    installOne(locale, QStringLiteral("qtbase"), QLibraryInfo::location(QLibraryInfo::TranslationsPath));
    return true;
}
