#include "app/startup.h"

#include "app/desktopidentity.h"
#include "app/kivintegration.h"
#include "app/qtsingleapplication.h"
#include "app/scenesetup.h"
#include "app/translations.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>

namespace StartUp {

bool lowEffects(const QByteArray &value)
{
    const QString text = QString::fromUtf8(value).trimmed();
    return !(text.isEmpty() || text == QLatin1String("0")
             || text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0);
}

bool lowEffectsFromEnvironment()
{
    return lowEffects(qgetenv("KIV_PHONE_LOW_EFFECTS"));
}

QString instanceMessage(const QString &contactId)
{
    if (contactId.isEmpty()) {
        return QStringLiteral("raise");
    }
    return QStringLiteral("contactId ") + contactId;
}

QString helpDetails()
{
    return QCoreApplication::translate(
            "main",
            "Environment:\n"
            "  KIV_PHONE_LOW_EFFECTS         Any value but empty, 0 or false draws the\n"
            "                                scenes without shadows and other effects.\n"
            "  KIV_TABLET_MODE               1, true or yes: large touch rows and a\n"
            "                                maximised window.\n"
            "  LANGUAGE, LC_ALL, LC_MESSAGES, LANG\n"
            "                                The language of the window: English, German\n"
            "                                or Russian.\n"
            "\n"
            "Files:\n"
            "  ~/.config/kiv-phone.sqlite    The address book; an older kiv-contacts.sqlite\n"
            "                                beside it is taken over by renaming.\n"
            "  ~/.config/kiv/Contacts.conf   Settings (in $XDG_CONFIG_HOME/kiv when\n"
            "                                XDG_CONFIG_HOME is set): the letter index,\n"
            "                                the sort order, the labels, the window and\n"
            "                                the CardDAV account; the contacts too while\n"
            "                                the address book cannot be opened. The\n"
            "                                password is kept in the desktop's secret store.\n"
            "\n"
            "Exit status:\n"
            "  0                             The window was closed.\n"
            "  1                             The command line was not understood.\n"
            "  255                           Kiv Contacts was already running: its window\n"
            "                                was brought forward.\n");
}

int run(QtSingleApplication &app)
{
    kivInit("1.0.0-5", "Contacts");
    Translations::install(&app);
    // Lets the desktop match the window to its desktop entry.
    QGuiApplication::setDesktopFileName(DesktopIdentity::applicationId());

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Kiv Contacts"));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption contactIdOption(
            {QStringLiteral("c"), QStringLiteral("contact-id")},
            QCoreApplication::translate("main", "Show contact with <contactId>."),
            QCoreApplication::translate("main", "contactId"));
    parser.addOption(contactIdOption);
    // The help is Qt's, followed by the environment, the files and the exit
    // status, as the manual page has them.
    if (parser.parse(app.arguments()) && parser.isSet(helpOption)) {
        std::fputs(qPrintable(parser.helpText() + QLatin1Char('\n') + helpDetails()), stdout);
        return 0;
    }
    // Prints the error for a bad command line and ends the process.
    parser.process(app);
    const QString contactId = parser.value(contactIdOption);

    if (app.isRunning()) {
        // Whether it arrived or not, this process is done.
        app.sendMessage(instanceMessage(contactId), 5000);
        return -1;
    }

    QApplication::setWindowIcon(DesktopIdentity::windowIcon());
    const bool lowEffectsFlag = lowEffectsFromEnvironment();
    const bool tabletMode = kivInTabletMode();

    SceneSetup scene(&app, contactId, lowEffectsFlag, tabletMode);
    return scene.exec();
}

} // namespace StartUp
