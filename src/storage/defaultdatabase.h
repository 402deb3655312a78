#pragma once

#include "database.h"

// The fallback contact store: the group "contacts" of the application's
// settings file, one child group per record named by its id. Used for a run
// whose SQLite database cannot be opened.
class DefaultDatabase : public DataBase
{
    Q_OBJECT

public:
    explicit DefaultDatabase(QObject *parent = nullptr);
    ~DefaultDatabase() override;

    // Nothing to open: the settings file is always there.
    bool open(const QString &path) override;
    QList<Contact *> loadContacts() override;
    void insertContact(Contact *contact) override;
    void updateContact(Contact *contact) override;
    void removeContacts(const QStringList &ids) override;
    void toggleFavorite(const QString &id) override;
    QByteArray loadPhoto(const QString &id) override;
    void savePhoto(const QString &id, const QString &imagePath) override;

private:
    void writeContact(const Contact *contact, const QByteArray &photo);
};
