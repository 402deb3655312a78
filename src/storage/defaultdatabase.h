#pragma once

#include "storage/database.h"

#include <memory>

class QSettings;

// The fallback contact store: the group "contacts" of the application's
// settings file, one child group per record named by its id. Used for a run
// whose SQLite database cannot be opened.
//
// The settings facility parses and rewrites the whole file, so the store
// keeps one settings object (the parsed file) and writes the changes made
// until the event loop next runs to the file together; the store's
// destruction writes them too. Other settings objects of the process see
// every change at once, since they share the parsed file.
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
    void savePhotoData(const QString &id, const QByteArray &base64) override;
    // Kept in the group "contactDistinct" beside "contacts", one key a pair.
    QList<QPair<QString, QString>> distinctPairs() override;
    void addDistinctPair(const QString &first, const QString &second) override;
    QStringList groupNames() override;
    void addGroup(const QString &name) override;
    void renameGroup(const QString &from, const QString &to) override;
    void removeGroup(const QString &name) override;

private:
    QSettings &settings();
    // Writes the changes to the file when the event loop next runs.
    void scheduleFlush();
    void flush();
    void writeContact(const Contact *contact, const QByteArray &photo);
    void addGroups(const QStringList &names);
    // Renames the group everywhere, or removes it when renamed is empty.
    void changeGroup(const QString &name, const QString &renamed);

    std::unique_ptr<QSettings> m_settings;
    bool m_flushScheduled = false;
};
