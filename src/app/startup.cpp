#include "app/startup.h"

#include "app/kivintegration.h"
#include "app/qtsingleapplication.h"
#include "app/scenesetup.h"
#include "app/translations.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QIcon>

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

int run(QtSingleApplication &app)
{
    kivInit("1.0.0-5", "Contacts");
    Translations::install(&app);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Kiv Contacts"));
    parser.addHelpOption();
    const QCommandLineOption contactIdOption(
            {QStringLiteral("c"), QStringLiteral("contact-id")},
            QCoreApplication::translate("main", "Show contact with <contactId>."),
            QCoreApplication::translate("main", "contactId"));
    parser.addOption(contactIdOption);
    // Prints help or the error for a bad command line and ends the process.
    parser.process(app);
    const QString contactId = parser.value(contactIdOption);

    if (app.isRunning()) {
        // Whether it arrived or not, this process is done.
        app.sendMessage(instanceMessage(contactId), 5000);
        return -1;
    }

    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("view-pim-contacts")));
    const bool lowEffectsFlag = lowEffectsFromEnvironment();
    const bool tabletMode = kivInTabletMode();

    SceneSetup scene(&app, contactId, lowEffectsFlag, tabletMode);
    return scene.exec();
}

} // namespace StartUp
