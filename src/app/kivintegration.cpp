#include "kivintegration.h"

#include <QCoreApplication>
#include <QString>

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
    return nullptr;
}

void kivHelpShow(QWidget *widget)
{
    if (!widget) {
        return;
    }
}
