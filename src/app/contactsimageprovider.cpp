#include "app/contactsimageprovider.h"

#include "storage/database.h"

#include <QImage>

namespace {
const int defaultReportedSize = 100;
}

ContactsImageProvider::ContactsImageProvider()
    : QQuickImageProvider(QQmlImageProviderBase::Image)
{
}

void ContactsImageProvider::setDataBase(DataBase *db)
{
    if (db) {
        m_db = db;
    }
}

QImage ContactsImageProvider::requestImage(const QString &id, QSize *size,
                                           const QSize &requestedSize)
{
    // Only the reported size follows the request; the image keeps its own size
    // and the scene's image items scale it.
    if (size) {
        *size = QSize(requestedSize.width() >= 1 ? requestedSize.width() : defaultReportedSize,
                      requestedSize.height() >= 1 ? requestedSize.height() : defaultReportedSize);
    }
    if (m_db) {
        const QByteArray bytes = m_db->loadPhoto(id);
        if (!bytes.isEmpty()) {
            QImage photo;
            if (photo.loadFromData(bytes)) {
                return photo;
            }
        }
    }
    return QImage(QStringLiteral(":/qml/images/user_128.png"));
}
