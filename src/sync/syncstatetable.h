#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <memory>

class Contact;
class SqliteDatabase;

// What the last sync left for one card: where it lives on the server, the
// version seen there, the UID written into it, the contact it belongs to and
// that contact's fingerprint as it was synced. An empty etag marks an upload
// that was begun but not confirmed.
struct SyncItem
{
    QString href;
    qint64 contactId = 0;
    QString uid;
    QByteArray etag;
    QByteArray state;
};

// The sync state in the address book file itself: the tables carddav_item
// (one row per synced card), carddav_collection (the address book synced
// and its sync token) and carddav_conflict (each conflict copy beside the
// contact it was copied from). Every write goes through the contact store's journal,
// so a state change commits together with the contact change it describes.
class SyncStateTable
{
public:
    explicit SyncStateTable(SqliteDatabase *store);

    // Creates the tables when missing; false when the store is not open.
    bool prepare();

    // The address book the state belongs to and its sync token.
    QString collectionUrl() const;
    QString syncToken() const;
    // Starting on another address book forgets the state of the previous one.
    void setCollection(const QString &url, const QString &syncToken);

    // The items with hrefs after `after`, in href order, at most `limit`.
    QList<SyncItem> items(const QString &after, int limit) const;
    void putItem(const SyncItem &item);
    void removeItem(const QString &href);
    // Removes the contact and its card's state in one transaction.
    void removeContact(const SyncItem &item);

    // Every contact's named groups, by contact id; none before the store
    // has made its group tables.
    QHash<qint64, QStringList> memberships() const;
    // Fingerprints of stored contacts with ids above `after`, in id order, at
    // most `limit` of them, each with its groups as `groups` gives them.
    QList<QPair<qint64, QByteArray>> localStates(qint64 after, int limit,
                                                 const QHash<qint64, QStringList> &groups) const;
    // The fingerprint of one stored contact; empty when it is gone.
    QByteArray localState(qint64 id) const;
    // A stored contact with its groups and its photo (Base64 PNG), null when
    // it is gone.
    std::unique_ptr<Contact> loadContact(qint64 id, QByteArray *photo) const;
    // Writes the contact's fields and photo, inserting the record when missing.
    void storeContact(const Contact &contact, const QByteArray &photo);

    // The conflict copy `copyId` holds the version of `originalId` made here.
    void putConflict(qint64 copyId, qint64 originalId);
    // The pairs of copy and original whose contacts are both stored.
    QList<QPair<qint64, qint64>> conflicts() const;
    // Forgets the pairs of which one contact is gone: the person kept one.
    void dropSettledConflicts();

private:
    SqliteDatabase *m_store;
};
