#include "app/kivintegration.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QString>

// Diagnostics of the integration calls; off unless enabled by logging rules
// (for example QT_LOGGING_RULES="kiv.integration.debug=true").
Q_LOGGING_CATEGORY(lcKivIntegration, "kiv.integration", QtWarningMsg)

void kivInit(const char *version, const char *name)
{
    QCoreApplication::setOrganizationName(QStringLiteral("kiv"));
    QCoreApplication::setApplicationName(QString::fromUtf8(name));
    QCoreApplication::setApplicationVersion(QString::fromUtf8(version));
}

bool kivInTabletMode()
{
    const QString value = QString::fromUtf8(qgetenv("KIV_TABLET_MODE")).trimmed().toLower();
    return value == QLatin1String("1") || value == QLatin1String("true")
           || value == QLatin1String("yes");
}

QWidget *kivHelpLookForWidget()
{
    qCDebug(lcKivIntegration, "kivHelpLookForWidget");
    return nullptr;
}

void kivHelpShow(QWidget *widget)
{
    qCDebug(lcKivIntegration, "kivHelpShow %p", static_cast<void *>(widget));
}
