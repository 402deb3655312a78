#include "app/translations.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QProcessEnvironment>
#include <QTranslator>

namespace {

const QLatin1String catalogueDirectory(":/translations/");
const QLatin1String cataloguePrefix("kiv-contacts_");

// "de_AT.UTF-8@euro" gives "de_AT" and "de"; "C" and "POSIX" give "en".
QStringList namesOf(const QString &entry)
{
    QString name = entry.section(QLatin1Char('@'), 0, 0).section(QLatin1Char('.'), 0, 0);
    if (name == QLatin1String("C") || name == QLatin1String("POSIX")) {
        return {QStringLiteral("en")};
    }
    name.replace(QLatin1Char('-'), QLatin1Char('_'));
    const QString language = name.section(QLatin1Char('_'), 0, 0);
    if (language.isEmpty()) {
        return {};
    }
    return language == name ? QStringList{name} : QStringList{name, language};
}

bool hasCatalogue(const QString &language)
{
    return QFile::exists(catalogueDirectory + cataloguePrefix + language + QLatin1String(".qm"));
}

// Numbers and dates follow the system's formats. Without a locale of its own
// (C or POSIX) the program keeps the plain forms it always showed, digits
// without group separators among them.
void setDisplayFormats()
{
    if (QLocale::system().language() == QLocale::C) {
        QLocale::setDefault(QLocale::c());
    }
}

} // namespace

namespace Translations {

QStringList preferredLanguages(const QProcessEnvironment &environment)
{
    QStringList entries = environment.value(QStringLiteral("LANGUAGE"))
                                  .split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const char *variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = environment.value(QLatin1String(variable));
        if (!value.isEmpty()) {
            entries << value;
            break;
        }
    }
    QStringList languages;
    for (const QString &entry : qAsConst(entries)) {
        for (const QString &name : namesOf(entry)) {
            if (!languages.contains(name)) {
                languages << name;
            }
        }
    }
    return languages;
}

QString chooseLanguage(const QStringList &languages)
{
    for (const QString &language : languages) {
        if (language == QLatin1String("en") || language.startsWith(QLatin1String("en_"))) {
            return QString();
        }
        if (hasCatalogue(language)) {
            return language;
        }
    }
    return QString();
}

QString install(QCoreApplication *app)
{
    setDisplayFormats();
    const QString language =
            chooseLanguage(preferredLanguages(QProcessEnvironment::systemEnvironment()));
    // The translators live as long as the application object. In English
    // the sources' texts are shown; its catalogue only gives the texts that
    // count something their singular ("1 contact deleted").
    auto *own = new QTranslator(app);
    if (own->load(cataloguePrefix + (language.isEmpty() ? QStringLiteral("en") : language),
                  catalogueDirectory)) {
        app->installTranslator(own);
    }
    if (language.isEmpty()) {
        return language;
    }
    // Qt's texts: the buttons of file dialogs, the command line's help.
    auto *qt = new QTranslator(app);
    if (qt->load(QStringLiteral("qtbase_") + language,
                 QLibraryInfo::location(QLibraryInfo::TranslationsPath))) {
        app->installTranslator(qt);
    }
    return language;
}

} // namespace Translations
