#pragma once

#include <QQuickImageProvider>

class DataBase;

// Serves contact photos to the scenes as "image://ContactsImageProvider/<id>".
// Every request reads the store afresh, so a newly saved photo shows at once.
// A contact without a usable photo, or a provider without a store, gets the
// built-in placeholder.
class ContactsImageProvider : public QQuickImageProvider
{
public:
    ContactsImageProvider();

    // Remembers the store to read from; a null store is ignored.
    void setDataBase(DataBase *db);

    QImage requestImage(const QString &id, QSize *size, const QSize &requestedSize) override;

private:
    DataBase *m_db = nullptr;
};
