#include "app/desktopidentity.h"

namespace DesktopIdentity {

QString applicationId()
{
    return QStringLiteral(KIV_APPLICATION_ID);
}

QIcon ownIcon()
{
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

QIcon windowIcon()
{
    return QIcon::fromTheme(QStringLiteral("view-pim-contacts"), ownIcon());
}

} // namespace DesktopIdentity
