#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class Contact;

// The contact store: the one interface through which contacts and their
// photos are read and written. Implemented by the SQLite store and by the
// fallback store inside the settings file.
class DataBase : public QObject
{
    Q_OBJECT

public:
    explicit DataBase(QObject *parent = nullptr);
    ~DataBase() override;

    // Makes the store usable; an empty path selects the store's default place.
    virtual bool open(const QString &path) = 0;
    // Every stored record as a new Contact that the caller takes over.
    virtual QList<Contact *> loadContacts() = 0;
    virtual void insertContact(Contact *contact) = 0;
    virtual void updateContact(Contact *contact) = 0;
    virtual void removeContacts(const QStringList &ids) = 0;
    virtual void toggleFavorite(const QString &id) = 0;
    // The stored image bytes (PNG), empty when there is none.
    virtual QByteArray loadPhoto(const QString &id) = 0;
    // Stores the image at imagePath, scaled and re-encoded, as the id's photo.
    virtual void savePhoto(const QString &id, const QString &imagePath) = 0;
};

Q_DECLARE_METATYPE(DataBase *)
