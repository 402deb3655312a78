#pragma once

#include "storage/cardtable.h"
#include "sync/davclient.h"
#include "sync/groupcardsync.h"
#include "sync/syncstatetable.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>

class Contact;
class DavMultiStatusReader;
struct DavMultiStatus;
struct DavResource;
class SqliteDatabase;

// Two-way sync of the contact store with one CardDAV address book, in small
// asynchronous steps on the window's thread: list what changed on the
// server (the sync token of RFC 6578 where offered, else every ETag from a
// depth-1 PROPFIND), read the local fingerprints, fetch changed cards with
// addressbook-multiget, upload local changes with If-Match or
// If-None-Match: *, delete what was deleted. Each step's result is written
// with the state of the card it concerns, so that a sync cut short by a
// crash or a fault is completed by the next one without duplicates.
//
// Conflicts lose no edit: when both sides changed a contact the server's
// version is stored and the local one kept as a new contact whose comment
// begins with "Conflict copy" and the date; a contact deleted on one side
// and edited on the other is kept with the edit.
class CardDavSync : public QObject
{
    Q_OBJECT

public:
    // Stored contacts handed to the lists in one step at most.
    static constexpr int ChangesPerStep = 200;

    explicit CardDavSync(SqliteDatabase *store, QObject *parent = nullptr);
    ~CardDavSync() override;

    void setAccount(const QUrl &addressBook, const QString &user, const QString &password);
    // What the server's answers may take; the defaults suit real servers.
    void setLimits(const DavLimits &limits) { m_limits = limits; }

    bool isRunning() const { return m_running; }
    // Cards and contacts handled in this run, of how many.
    int done() const { return m_done; }
    int total() const { return m_total; }

    // The contacts the sync stored (added or changed) since the last call,
    // at most `max` of them, oldest first; the caller owns them. When more
    // are left, contactsChanged() comes again.
    QList<Contact *> takeStoredContacts(int max = ChangesPerStep);
    // The ids of the contacts the sync removed since the last call.
    QStringList takeRemovedIds();

    // The conflict copies the last run made.
    int conflictsKept() const { return m_conflictsKept; }
    // Each conflict copy with the contact it was copied from, while both are
    // stored; and forgetting the pairs of which one is gone.
    QList<QPair<qint64, qint64>> conflicts() const;
    void dropSettledConflicts();

public slots:
    // A run both ways. Does nothing while a run is under way.
    void start();
    // A run that sends the local changes without listing the server first,
    // as after an edit here. Every request is conditional, so a card changed
    // there meanwhile makes the run list the server's changes and sync both
    // ways after all. Without an earlier run on this address book it syncs
    // both ways. Does nothing while a run is under way.
    void push();
    // Ends a run at once; what was written so far stays.
    void stop();

signals:
    void runningChanged();
    void progressChanged();
    // The end of a run: the failure in words, or empty after a success.
    void finished(const QString &error);
    // Contacts in the store were added, changed or removed by the sync: what
    // changed is taken with takeStoredContacts() and takeRemovedIds(). It
    // comes while the sync runs, once per few steps, so that the lists can
    // follow in small steps.
    void contactsChanged();

private:
    struct FetchedCard
    {
        QString href;
        QByteArray etag;
        QByteArray data;
    };

    struct Upload
    {
        qint64 contactId;
        QString href;
        QString uid;
        QByteArray ifMatch;
    };

    using ReadDone = std::function<void(const DavMultiStatus &)>;

    void readMultiStatus(const QByteArray &body, const QUrl &base, const ReadDone &done);
    void continueReading(const std::shared_ptr<DavMultiStatusReader> &reader, const ReadDone &done);
    void later(const std::function<void()> &step);
    void noteStored(std::unique_ptr<Contact> contact);
    void noteRemoved(qint64 contactId);
    void announceChanges();
    void begin(bool pushOnly);
    void listChanges();
    void reportChanges(const QString &token, const std::function<void()> &refused,
                       const ReadDone &read);
    void readChanges(const DavMultiStatus &status, int part);
    bool isCard(const DavResource &resource);
    void readEtags(const QString &token, const DavMultiStatus &status);
    void listAll();
    void listByPropfind();
    void failListing(const DavResponse &response);
    void listEtags(const QString &token);
    void readItems(QString after);
    void readLocal(qint64 after);
    void planWhenReady();
    void plan();
    void planItem(const SyncItem &item);
    void registerNew(const QList<qint64> &fresh, int from);
    void addNewUpload(qint64 contactId);
    void download();
    void fetch(const QStringList &batch, qint64 maxBodyBytes);
    QByteArray multiget(const QStringList &hrefs) const;
    void readCards(const QStringList &batch, const DavMultiStatus &status);
    void applyCards();
    void apply(const QString &href, const QByteArray &etag, const QByteArray &data);
    bool mergeLocalEdits(qint64 id, const QByteArray &remotePhoto, Contact *remote,
                         QByteArray *photo);
    void keepConflictCopy(qint64 id);
    void takeGroups(Contact *contact, qint64 knownId);
    QHash<QString, qint64> contactsOfUids() const;
    void settleGroups();
    void changeGroups(QList<QPair<qint64, QPair<QStringList, QStringList>>> changes,
                      const QStringList &dropped);
    void changeGroupsOf(qint64 id, const QStringList &join, const QStringList &leave);
    void upload();
    void uploaded(const Upload &sent, const QByteArray &state, const CardTable::Card &card,
                  const DavResponse &response);
    void recordEtag(const SyncItem &item, const QByteArray &etag);
    void fetchBack(const SyncItem &item);
    void writeGroups();
    void deleteRemote();
    void finish();
    QString skippedCards() const;
    void fail(const QString &error);
    void step(int count = 1);
    QUrl urlOf(const QString &path) const;
    bool storeFailed();

    QPointer<SqliteDatabase> m_store;
    SyncStateTable m_table;
    CardTable m_keptCards;
    GroupCardSync m_groups;
    DavClient *m_client = nullptr;
    QUrl m_book;
    DavLimits m_limits;
    QString m_user;
    QString m_password;
    bool m_running = false;
    int m_done = 0;
    int m_total = 0;
    int m_pass = 0;
    int m_inFlight = 0;
    bool m_again = false;
    bool m_sameBook = false;
    // Counts the runs, so that a step queued by a run that ended does nothing.
    int m_run = 0;
    QList<Contact *> m_storedContacts;
    QStringList m_removedIds;
    bool m_announced = false;
    int m_conflictsKept = 0;

    QString m_token;
    // This pass sends the local changes and lists nothing.
    bool m_pushOnly = false;
    bool m_fullListing = false;
    bool m_listed = false;
    bool m_localRead = false;
    QHash<QString, QByteArray> m_remote;
    QSet<QString> m_remoteGone;
    QHash<QString, SyncItem> m_items;
    QHash<qint64, QString> m_hrefOf;
    QHash<qint64, QByteArray> m_local;
    QStringList m_downloads;
    // Cards of batches whose answer was too large, fetched one at a time.
    QStringList m_oneByOne;
    QList<FetchedCard> m_cards;
    QList<Upload> m_uploads;
    QList<SyncItem> m_remoteDeletes;
    // The groups of the contacts here while the local side is read, the
    // groups this book has, and those a server's card took a contact out of.
    QHash<qint64, QStringList> m_memberships;
    QStringList m_groupNames;
    QStringList m_groupsLeft;
    QList<GroupCardSync::Write> m_groupWrites;
    bool m_groupWritesPlanned = false;
    QStringList m_unreadable;
    QStringList m_tooLarge;
    QStringList m_outside;
};
