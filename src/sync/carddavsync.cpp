#include "sync/carddavsync.h"

#include "record/contact.h"
#include "record/contactgroups.h"
#include "storage/cardschema.h"
#include "storage/photoencoding.h"
#include "storage/sqlitedatabase.h"
#include "sync/davmultistatus.h"
#include "sync/davorigin.h"
#include "sync/synccard.h"
#include "vcard/cardpatch.h"
#include "vcard/groupcard.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QThreadPool>
#include <QTimer>
#include <QUuid>

#include <algorithm>
#include <set>
#include <utility>

namespace {

// Small steps keep every turn of the event loop short.
constexpr int LocalChunk = 50;
// Work that runs in one turn of the event loop stops after this long.
constexpr qint64 TurnMs = 8;
constexpr int MultigetBatch = 50;
// A batch's answer above this size is fetched again a card at a time, so that
// one large card is skipped alone.
constexpr qint64 MultigetBodyBytes = qint64(32) * 1024 * 1024;
// What one card's answer may hold beside the card itself.
constexpr qint64 CardAnswerSlack = 64 * 1024;
// Sync-collection reports that the server cut into parts (507, RFC 6578
// 3.6) are followed for this many parts at most.
constexpr int MaxReportParts = 1000;
constexpr int ParallelDownloads = 2;
constexpr int ParallelUploads = 4;
// A run whose uploads met newer server versions lists again at once, a few times.
constexpr int MaxPasses = 3;
// The groups a server's card may give one contact; more are dropped.
constexpr int MaxGroupsPerContact = 200;

const QByteArray CollectionBody =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?><d:propfind xmlns:d=\"DAV:\"><d:prop>"
        "<d:sync-token/><d:resourcetype/></d:prop></d:propfind>";
const QByteArray EtagBody =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?><d:propfind xmlns:d=\"DAV:\"><d:prop>"
        "<d:getetag/><d:resourcetype/></d:prop></d:propfind>";

QByteArray syncCollectionBody(const QString &token)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?><d:sync-collection xmlns:d=\"DAV:\">"
           "<d:sync-token>"
           + token.toHtmlEscaped().toUtf8()
           + "</d:sync-token><d:sync-level>1</d:sync-level><d:prop><d:getetag/><d:resourcetype/>"
             "</d:prop></d:sync-collection>";
}

// A listing that cannot go on: the server is away, refuses the account, has
// no such address book or failed, or its answer was cut off or refused. Any
// other refusal (501 too) means it does not offer the report asked for.
bool listingFailed(const DavResponse &response)
{
    return response.status == 0 || response.status == 401 || response.status == 404
           || (response.status >= 500 && response.status != 501)
           || (response.status < 300 && !response.isSuccess());
}

// The names looked up in every resource of a listing, made once.
struct ListingNames
{
    const QString etag = DavNames::dav("getetag");
    const QString resourceType = DavNames::dav("resourcetype");
    const QString collection = DavNames::dav("collection");
};

bool isCollection(const DavResource &resource, const ListingNames &names)
{
    const auto type = resource.properties.constFind(names.resourceType);
    return type != resource.properties.cend() && type->children.contains(names.collection);
}

QString withSlash(QString path)
{
    if (!path.endsWith(QLatin1Char('/'))) {
        path += QLatin1Char('/');
    }
    return path;
}

// Whether a report says that the server left changes out (507 on the
// collection itself, RFC 6578 3.6).
bool isTruncated(const DavMultiStatus &status, const QString &bookPath)
{
    return std::any_of(status.resources.cbegin(), status.resources.cend(),
                       [&bookPath](const DavResource &resource) {
                           return resource.status == 507 && withSlash(resource.path) == bookPath;
                       });
}

QString cutOff()
{
    return CardDavSync::tr("The server's answer was cut off");
}

} // namespace

CardDavSync::CardDavSync(SqliteDatabase *store, QObject *parent)
    : QObject(parent),
      m_store(store),
      m_table(store),
      m_keptCards(store),
      m_groups(store)
{
}

CardDavSync::~CardDavSync()
{
    qDeleteAll(m_storedContacts);
}

void CardDavSync::setAccount(const QUrl &addressBook, const QString &user, const QString &password)
{
    m_book = addressBook;
    m_book.setPath(withSlash(addressBook.path(QUrl::FullyDecoded)), QUrl::DecodedMode);
    m_user = user;
    m_password = password;
}

QUrl CardDavSync::urlOf(const QString &path) const
{
    QUrl url = m_book;
    url.setPath(path, QUrl::DecodedMode);
    return url;
}

void CardDavSync::start()
{
    begin(false);
}

void CardDavSync::push()
{
    begin(true);
}

void CardDavSync::begin(bool pushOnly)
{
    if (m_running) {
        return;
    }
    if (!m_store || !m_book.isValid() || !m_table.prepare() || !m_keptCards.prepare()
        || !m_groups.prepare()) {
        emit finished(tr("Sync needs an address book on a server and the address book file"));
        return;
    }
    m_running = true;
    ++m_run;
    m_pass = 0;
    m_again = false;
    m_pushOnly = pushOnly;
    m_unreadable.clear();
    m_tooLarge.clear();
    m_conflictsKept = 0;
    emit runningChanged();
    listChanges();
}

void CardDavSync::stop()
{
    if (m_running) {
        fail(tr("Sync stopped"));
    }
}

void CardDavSync::fail(const QString &error)
{
    if (m_client) {
        m_client->abortAll();
    }
    m_running = false;
    // What was stored before the failure stays, and the lists take it.
    announceChanges();
    emit runningChanged();
    emit finished(error);
}

bool CardDavSync::storeFailed()
{
    if (m_store && !m_store->hasUnsavedChanges()) {
        return false;
    }
    fail(m_store ? m_store->statusMessage() : tr("The address book file is closed"));
    return true;
}

QList<Contact *> CardDavSync::takeStoredContacts(int max)
{
    const int count = qMin(max, m_storedContacts.size());
    const QList<Contact *> taken = m_storedContacts.mid(0, count);
    m_storedContacts.erase(m_storedContacts.begin(), m_storedContacts.begin() + count);
    if (!m_storedContacts.isEmpty()) {
        announceChanges();
    }
    return taken;
}

QStringList CardDavSync::takeRemovedIds()
{
    return std::exchange(m_removedIds, {});
}

QList<QPair<qint64, qint64>> CardDavSync::conflicts() const
{
    return m_store ? m_table.conflicts() : QList<QPair<qint64, qint64>>();
}

void CardDavSync::dropSettledConflicts()
{
    if (m_store && m_table.prepare()) {
        m_table.dropSettledConflicts();
    }
}

void CardDavSync::noteStored(std::unique_ptr<Contact> contact)
{
    m_storedContacts.append(contact.release());
    if (m_storedContacts.size() >= ChangesPerStep) {
        announceChanges();
    }
}

void CardDavSync::noteRemoved(qint64 contactId)
{
    const QString id = QString::number(contactId);
    for (int i = m_storedContacts.size() - 1; i >= 0; --i) {
        if (m_storedContacts.at(i)->id == id) {
            delete m_storedContacts.takeAt(i);
        }
    }
    m_removedIds.append(id);
    announceChanges();
}

// Changes are announced once per turn of the event loop at most, after the
// turn that made them.
void CardDavSync::announceChanges()
{
    if (m_announced) {
        return;
    }
    m_announced = true;
    QTimer::singleShot(0, this, [this] {
        m_announced = false;
        if (!m_storedContacts.isEmpty() || !m_removedIds.isEmpty()) {
            emit contactsChanged();
        }
    });
}

// Parses a multistatus answer a slice per turn of the event loop; done runs
// only while the run that asked is still on.
void CardDavSync::readMultiStatus(const QByteArray &body, const QUrl &base, const ReadDone &done)
{
    continueReading(std::make_shared<DavMultiStatusReader>(body, base), done);
}

void CardDavSync::continueReading(const std::shared_ptr<DavMultiStatusReader> &reader,
                                  const ReadDone &done)
{
    if (!reader->read(TurnMs)) {
        later([this, reader, done] { continueReading(reader, done); });
        return;
    }
    done(reader->result());
}

// Runs the step in a later turn of the event loop, when the run that asked
// for it is still on: not after a stop, nor in the next run.
void CardDavSync::later(const std::function<void()> &step)
{
    QTimer::singleShot(0, this, [this, run = m_run, step] {
        if (m_running && run == m_run) {
            step();
        }
    });
}

void CardDavSync::step(int count)
{
    m_done += count;
    emit progressChanged();
}

// Starts a pass: what changed on the server since the saved sync token, or
// every card's ETag when there is no token or the server refuses it.
void CardDavSync::listChanges()
{
    delete m_client;
    m_client = new DavClient(this);
    m_client->setCredentials(m_book, m_user, m_password);
    m_client->setLimits(m_limits);
    m_inFlight = 0;
    m_done = 0;
    m_total = 0;
    // The last run's tables are freed on a worker thread: for 10,000 cards
    // that takes longer than a turn of the event loop may last. Texts in them
    // may still be shared with this thread's, which Qt's atomic reference
    // counts allow.
    QThreadPool::globalInstance()->start(
            [remote = std::exchange(m_remote, {}), local = std::exchange(m_local, {}),
             items = std::exchange(m_items, {}), hrefOf = std::exchange(m_hrefOf, {})] {});
    m_remoteGone.clear();
    // Each pass lists again, and names what it found outside once.
    m_outside.clear();
    m_downloads.clear();
    m_oneByOne.clear();
    m_uploads.clear();
    m_cards.clear();
    m_remoteDeletes.clear();
    m_groups.load();
    m_groupNames = m_store->groupNames();
    m_groupsLeft.clear();
    m_groupWrites.clear();
    m_groupWritesPlanned = false;
    // The state of another address book is dropped only once this one has
    // been listed, so that a wrong address changes nothing.
    m_sameBook = m_table.collectionUrl() == m_book.toString();
    const QString token = m_sameBook && !m_again ? m_table.syncToken() : QString();
    m_again = false;
    // The local side is read while the server lists its side.
    m_listed = false;
    m_localRead = false;
    later([this] { readItems(QString()); });
    if (m_pushOnly && !token.isEmpty()) {
        // Nothing of the server is known but what the last run left: the
        // local changes are planned against it.
        m_fullListing = false;
        m_listed = true;
        return;
    }
    m_pushOnly = false;
    if (token.isEmpty()) {
        listAll();
        return;
    }
    // An expired or unknown token: everything is listed instead.
    reportChanges(
            token, [this] { listAll(); },
            [this](const DavMultiStatus &status) { readChanges(status, 0); });
}

// Asks for the changes since the token, every card without one. A refusal
// that is not a failure runs refused; the answer goes to read.
void CardDavSync::reportChanges(const QString &token, const std::function<void()> &refused,
                                const ReadDone &read)
{
    m_client->report(m_book, 1, syncCollectionBody(token),
                     [this, refused, read](const DavResponse &response) {
                         if (listingFailed(response)) {
                             failListing(response);
                         } else if (!response.isSuccess()) {
                             refused();
                         } else {
                             readMultiStatus(response.body, m_book, read);
                         }
                     });
}

// The changes of one part of a report; a report cut into parts is asked
// again from the part's token until the last part came.
void CardDavSync::readChanges(const DavMultiStatus &status, int part)
{
    if (!status.valid) {
        fail(cutOff());
        return;
    }
    m_fullListing = false;
    m_token = status.syncToken;
    const QString bookPath = m_book.path(QUrl::FullyDecoded);
    const ListingNames names;
    for (const DavResource &resource : status.resources) {
        if (withSlash(resource.path) == bookPath || !isCard(resource)) {
            continue;
        }
        if (resource.status == 404 || resource.status == 410) {
            m_remote.remove(resource.path);
            m_remoteGone.insert(resource.path);
        } else if (resource.has(names.etag)) {
            m_remoteGone.remove(resource.path);
            m_remote.insert(resource.path, resource.text(names.etag).toUtf8());
        }
    }
    if (isTruncated(status, bookPath) && part < MaxReportParts && !m_token.isEmpty()) {
        reportChanges(
                m_token, [this] { listAll(); },
                [this, part](const DavMultiStatus &next) { readChanges(next, part + 1); });
        return;
    }
    m_listed = true;
    planWhenReady();
}

// A card of this address book; one named outside it is noted and left alone.
bool CardDavSync::isCard(const DavResource &resource)
{
    if (DavOrigin::isMember(resource.url, m_book)) {
        return true;
    }
    m_outside.append(resource.url.toString());
    return false;
}

// An address book that is gone takes its sync token with it: if one is
// made again at the same place, the next run lists it whole and uploads what
// it lacks instead of trusting a token of the old one.
void CardDavSync::failListing(const DavResponse &response)
{
    if ((response.status == 404 || response.status == 410) && m_sameBook) {
        m_table.setCollection(m_book.toString(), QString());
    }
    fail(DavClient::errorMessage(response));
}

// Every card with its ETag: a sync-collection report without a token
// (RFC 6578 3.4) answers with all of them and the token in one go. A depth-1
// PROPFIND serves servers without the report; Radicale takes seconds per
// thousand cards for it, against a fraction of a second for the report.
void CardDavSync::listAll()
{
    reportChanges(
            QString(), [this] { listByPropfind(); },
            [this](const DavMultiStatus &status) {
                // A listing the server cut short (507 on the address book
                // itself) would make every card left out look deleted.
                if (!status.valid) {
                    fail(cutOff());
                    return;
                }
                if (isTruncated(status, m_book.path(QUrl::FullyDecoded))) {
                    listByPropfind();
                    return;
                }
                readEtags(status.syncToken, status);
            });
}

// The collection's token is read before the listing, so that a change made
// while listing is listed again next time.
void CardDavSync::listByPropfind()
{
    m_client->propfind(m_book, 0, CollectionBody, [this](const DavResponse &response) {
        if (!response.isSuccess()) {
            failListing(response);
            return;
        }
        const DavMultiStatus status = DavMultiStatus::parse(response.body, m_book);
        if (!status.valid) {
            fail(cutOff());
            return;
        }
        listEtags(status.resources.isEmpty()
                          ? QString()
                          : status.resources.first().text(DavNames::dav("sync-token")));
    });
}

void CardDavSync::listEtags(const QString &token)
{
    m_client->propfind(m_book, 1, EtagBody, [this, token](const DavResponse &response) {
        if (!response.isSuccess()) {
            failListing(response);
            return;
        }
        readMultiStatus(response.body, m_book,
                        [this, token](const DavMultiStatus &status) { readEtags(token, status); });
    });
}

void CardDavSync::readEtags(const QString &token, const DavMultiStatus &status)
{
    // Every card left out of a listing would be taken as deleted.
    if (!status.valid) {
        fail(cutOff());
        return;
    }
    if (!m_sameBook) {
        m_table.setCollection(m_book.toString(), QString());
        m_groups.clear();
    }
    m_fullListing = true;
    m_token = token;
    const QString bookPath = m_book.path(QUrl::FullyDecoded);
    const ListingNames names;
    m_remote.reserve(status.resources.size());
    for (const DavResource &resource : status.resources) {
        if (withSlash(resource.path) != bookPath && !isCollection(resource, names)
            && resource.has(names.etag) && isCard(resource)) {
            m_remote.insert(resource.path, resource.text(names.etag).toUtf8());
        }
    }
    m_listed = true;
    planWhenReady();
}

// The synced state of each card of this address book, as many chunks per
// turn of the event loop as fit in one.
void CardDavSync::readItems(QString after)
{
    if (!m_running || storeFailed()) {
        return;
    }
    QElapsedTimer turn;
    turn.start();
    while (m_sameBook) {
        const QList<SyncItem> items = m_table.items(after, LocalChunk);
        for (const SyncItem &item : items) {
            // A card noted outside the address book (by an earlier version)
            // is forgotten: its contact goes up as a new card of the book.
            if (!DavOrigin::isMember(urlOf(item.href), m_book)) {
                m_table.removeItem(item.href);
                continue;
            }
            m_items.insert(item.href, item);
            m_hrefOf.insert(item.contactId, item.href);
        }
        if (items.size() < LocalChunk) {
            break;
        }
        after = items.last().href;
        if (turn.hasExpired(TurnMs)) {
            later([this, after] { readItems(after); });
            return;
        }
    }
    later([this] { readLocal(0); });
}

// The fingerprints of the stored contacts, likewise.
void CardDavSync::readLocal(qint64 after)
{
    if (!m_running || storeFailed()) {
        return;
    }
    QElapsedTimer turn;
    turn.start();
    if (after == 0) {
        m_memberships = m_table.memberships();
    }
    for (;;) {
        const QList<QPair<qint64, QByteArray>> states =
                m_table.localStates(after, LocalChunk, m_memberships);
        for (const auto &state : states) {
            if (!state.second.isEmpty()) {
                m_local.insert(state.first, state.second);
            }
        }
        if (states.size() < LocalChunk) {
            break;
        }
        after = states.last().first;
        if (turn.hasExpired(TurnMs)) {
            later([this, after] { readLocal(after); });
            return;
        }
    }
    m_memberships.clear();
    m_localRead = true;
    planWhenReady();
}

// Planning looks at every card once, in a turn of its own, when both
// sides are read.
void CardDavSync::planWhenReady()
{
    if (m_listed && m_localRead) {
        later([this] { plan(); });
    }
}

void CardDavSync::plan()
{
    // A full listing that has none of the cards synced before means a new
    // address book at the same place (deleted and created again, or
    // restored): nothing local is deleted for it; every card is uploaded
    // again, at its old place, as one begun but not confirmed.
    if (m_fullListing) {
        bool anyConfirmed = false;
        bool anyPresent = false;
        for (const SyncItem &item : qAsConst(m_items)) {
            anyConfirmed = anyConfirmed || !item.etag.isEmpty();
            anyPresent = anyPresent || m_remote.contains(item.href);
        }
        if (anyConfirmed && !anyPresent) {
            for (SyncItem &item : m_items) {
                item.etag.clear();
                m_table.putItem(item);
            }
        }
    }
    const QList<SyncItem> items = m_items.values();
    for (const SyncItem &item : items) {
        planItem(item);
    }
    for (auto it = m_remote.cbegin(); it != m_remote.cend(); ++it) {
        if (!m_items.contains(it.key()) && !m_groups.isUnchanged(it.key(), it.value())) {
            m_downloads.append(it.key());
        }
    }
    for (const QString &href : m_groups.hrefs()) {
        if (m_fullListing ? !m_remote.contains(href) : m_remoteGone.contains(href)) {
            m_groups.noteGone(href);
        }
    }
    QList<qint64> fresh;
    for (auto it = m_local.cbegin(); it != m_local.cend(); ++it) {
        if (!m_hrefOf.contains(it.key())) {
            fresh.append(it.key());
        }
    }
    std::sort(fresh.begin(), fresh.end());
    m_total = m_downloads.size() + m_uploads.size() + m_remoteDeletes.size() + fresh.size();
    emit progressChanged();
    registerNew(fresh, 0);
}

void CardDavSync::planItem(const SyncItem &item)
{
    const bool exists = m_local.contains(item.contactId);
    const bool localChanged = exists && m_local.value(item.contactId) != item.state;
    const bool listed = m_remote.contains(item.href);
    const QByteArray remoteEtag = m_remote.value(item.href);
    const bool gone = m_fullListing ? !listed : m_remoteGone.contains(item.href);
    if (item.etag.isEmpty()) {
        // An upload that was begun: the card there, if any, is our own.
        if (exists) {
            m_uploads.append(
                    {item.contactId, item.href, item.uid, listed ? remoteEtag : QByteArray()});
        } else if (listed) {
            m_remoteDeletes.append({item.href, item.contactId, item.uid, remoteEtag, item.state});
        } else if (!m_pushOnly) {
            m_table.removeItem(item.href);
        }
    } else if (gone) {
        if (!exists) {
            m_table.removeItem(item.href);
        } else if (localChanged) {
            m_uploads.append({item.contactId, item.href, item.uid, QByteArray()});
        } else {
            m_table.removeContact(item);
            noteRemoved(item.contactId);
        }
    } else if (listed && remoteEtag != item.etag) {
        m_downloads.append(item.href);
    } else if (!exists) {
        m_remoteDeletes.append(item);
    } else if (localChanged) {
        m_uploads.append({item.contactId, item.href, item.uid, item.etag});
    }
}

// New local contacts get their card's place and UID written down before any
// upload, a chunk per turn: an upload cut short is then repeated at the same
// place, never duplicated.
void CardDavSync::registerNew(const QList<qint64> &fresh, int from)
{
    if (!m_running) {
        return;
    }
    QElapsedTimer turn;
    turn.start();
    while (from < fresh.size() && !turn.hasExpired(TurnMs)) {
        addNewUpload(fresh.at(from++));
    }
    if (from < fresh.size()) {
        later([this, fresh, from] { registerNew(fresh, from); });
        return;
    }
    download();
}

void CardDavSync::addNewUpload(qint64 contactId)
{
    const QString uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const SyncItem item{m_book.path(QUrl::FullyDecoded) + uid + QStringLiteral(".vcf"), contactId,
                        uid, QByteArray(), QByteArray()};
    m_table.putItem(item);
    m_items.insert(item.href, item);
    m_hrefOf.insert(contactId, item.href);
    m_uploads.append({contactId, item.href, uid, QByteArray()});
}

void CardDavSync::download()
{
    if (!m_running || storeFailed()) {
        return;
    }
    while (m_inFlight < ParallelDownloads && !(m_downloads.isEmpty() && m_oneByOne.isEmpty())) {
        if (!m_oneByOne.isEmpty()) {
            fetch({m_oneByOne.takeFirst()}, DavMultiStatus::MaxTextChars + CardAnswerSlack);
            continue;
        }
        const QStringList batch = m_downloads.mid(0, MultigetBatch);
        m_downloads.erase(m_downloads.begin(), m_downloads.begin() + batch.size());
        fetch(batch, MultigetBodyBytes);
    }
    if (m_inFlight == 0 && m_downloads.isEmpty() && m_oneByOne.isEmpty() && m_cards.isEmpty()) {
        settleGroups();
    }
}

// Fetches a batch of cards with addressbook-multiget. An answer above the
// batch's size is asked again a card at a time; one card above its own is
// skipped and named at the end.
void CardDavSync::fetch(const QStringList &batch, qint64 maxBodyBytes)
{
    ++m_inFlight;
    const auto received = [this, batch](const DavResponse &response) {
        --m_inFlight;
        if (response.refused == DavResponse::Refused::TooLarge) {
            if (batch.size() == 1) {
                m_tooLarge.append(batch.first());
                step();
            } else {
                m_oneByOne += batch;
            }
            download();
            return;
        }
        if (!response.isSuccess()) {
            fail(DavClient::errorMessage(response));
            return;
        }
        readMultiStatus(response.body, m_book,
                        [this, batch](const DavMultiStatus &status) { readCards(batch, status); });
    };
    m_client->report(m_book, 1, multiget(batch), received, maxBodyBytes);
}

QByteArray CardDavSync::multiget(const QStringList &hrefs) const
{
    QByteArray body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                      "<c:addressbook-multiget xmlns:d=\"DAV:\" "
                      "xmlns:c=\"urn:ietf:params:xml:ns:carddav\">"
                      "<d:prop><d:getetag/><c:address-data/></d:prop>";
    for (const QString &href : hrefs) {
        body += "<d:href>" + urlOf(href).path(QUrl::FullyEncoded).toHtmlEscaped().toUtf8()
                + "</d:href>";
    }
    return body + "</c:addressbook-multiget>";
}

// Takes the cards of a multiget answer that were asked for.
void CardDavSync::readCards(const QStringList &batch, const DavMultiStatus &status)
{
    if (!status.valid) {
        fail(cutOff());
        return;
    }
    const QString data = DavNames::cardDav("address-data");
    const QSet<QString> asked(batch.cbegin(), batch.cend());
    for (const DavResource &resource : status.resources) {
        if (!resource.has(data) || !asked.contains(resource.path) || !isCard(resource)) {
            continue;
        }
        if (resource.properties.value(data).tooLong) {
            m_tooLarge.append(resource.path);
            continue;
        }
        m_cards.append({resource.path, resource.text(DavNames::dav("getetag")).toUtf8(),
                        resource.text(data).toUtf8()});
    }
    step(batch.size());
    applyCards();
}

// Stores the fetched cards a few at a time, one turn of the event loop after
// another, then fetches more.
void CardDavSync::applyCards()
{
    if (!m_running) {
        return;
    }
    QElapsedTimer turn;
    turn.start();
    while (!m_cards.isEmpty() && !turn.hasExpired(TurnMs)) {
        const FetchedCard card = m_cards.takeFirst();
        apply(card.href, card.etag, card.data);
    }
    if (!m_cards.isEmpty()) {
        later([this] { applyCards(); });
        return;
    }
    download();
}

// Stores a server card: as a new contact, over its contact, or, when the
// contact was also changed here, over it with the local version kept as a
// conflict copy. A contact deleted here comes back with the server's edit.
void CardDavSync::apply(const QString &href, const QByteArray &etag, const QByteArray &data)
{
    if (m_groups.take(href, etag, data)) {
        return;
    }
    QString uid;
    bool tooLarge = false;
    std::unique_ptr<Contact> contact = SyncCard::read(data, &uid, &tooLarge);
    if (!contact) {
        (tooLarge ? m_tooLarge : m_unreadable).append(href);
        return;
    }
    const QByteArray remotePhoto = contact->photoData;
    QByteArray photo = PhotoEncoding::normalizeBase64(contact->photoData);
    contact->photoData.clear();
    if (uid.isEmpty()) {
        uid = href.section(QLatin1Char('/'), -1).section(QLatin1Char('.'), 0, 0);
    }
    const auto known = m_items.constFind(href);
    takeGroups(contact.get(), known == m_items.cend() ? 0 : known->contactId);
    const QByteArray state = SyncCard::fingerprint(*contact, photo);
    const QByteArray serverPhotoDigest = CardSchema::photoDigest(photo);
    bool merged = false;
    if (known == m_items.cend()) {
        contact->id = Contact::makeId();
    } else {
        const QByteArray current = m_table.localState(known->contactId);
        if (!current.isEmpty() && current != known->state && current != state) {
            merged = mergeLocalEdits(known->contactId, remotePhoto, contact.get(), &photo);
            if (!merged) {
                keepConflictCopy(known->contactId);
            }
        }
        contact->id = QString::number(known->contactId);
    }
    m_table.storeContact(*contact, photo);
    m_keptCards.setCard(contact->id.toLongLong(), {data, serverPhotoDigest});
    const SyncItem item{href, contact->id.toLongLong(), uid, etag, state};
    if (merged) {
        // The edits made here go up onto the server's new card.
        m_uploads.append({item.contactId, href, uid, etag});
        ++m_total;
    }
    m_table.putItem(item);
    m_items.insert(href, item);
    m_hrefOf.insert(item.contactId, href);
    noteStored(std::move(contact));
}

// A contact changed here and on the server since its card was last synced
// takes the server's edits of the fields it left alone and keeps its own
// edits; false, changing nothing, when one field was changed on both sides
// (or the photo was), or the card last synced is not known.
bool CardDavSync::mergeLocalEdits(qint64 id, const QByteArray &remotePhoto, Contact *remote,
                                  QByteArray *photo)
{
    const CardTable::Card kept = m_keptCards.card(id);
    const std::unique_ptr<Contact> base = CardPatch::read(kept.text);
    QByteArray localPhoto;
    const std::unique_ptr<Contact> local = m_table.loadContact(id, &localPhoto);
    if (!base || !local) {
        return false;
    }
    const bool photoHere = CardSchema::photoDigest(localPhoto) != kept.photoDigest;
    const bool photoThere = remotePhoto != base->photoData;
    if ((photoHere && photoThere) || !SyncCard::merge(*base, *local, remote)) {
        return false;
    }
    if (photoHere) {
        *photo = localPhoto;
    }
    return true;
}

void CardDavSync::keepConflictCopy(qint64 id)
{
    QByteArray photo;
    const std::unique_ptr<Contact> local = m_table.loadContact(id, &photo);
    if (!local) {
        return;
    }
    Contact copy(local.get(), nullptr);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    copy.comment = tr("Conflict copy") + QLatin1Char(' ') + stamp
                   + (local->comment.isEmpty() ? QString() : QLatin1Char('\n') + local->comment);
    m_table.storeContact(copy, photo);
    m_table.putConflict(copy.id.toLongLong(), id);
    ++m_conflictsKept;
    addNewUpload(copy.id.toLongLong());
    noteStored(std::make_unique<Contact>(&copy, nullptr));
    m_storedContacts.last()->id = copy.id;
    ++m_total;
}

// The groups of a server's card in the spelling this book keeps, at most
// MaxGroupsPerContact of them and none with a name longer than a group
// card's. On an address book of group cards a contact known here keeps the
// groups it has here: the group cards decide them.
void CardDavSync::takeGroups(Contact *contact, qint64 knownId)
{
    std::unique_ptr<Contact> here = knownId ? m_table.loadContact(knownId, nullptr) : nullptr;
    const QStringList local = here ? here->groups : QStringList();
    if (m_groups.isGroupBook() && here) {
        contact->groups = local;
        return;
    }
    QStringList names = contact->groups.mid(0, MaxGroupsPerContact);
    names.erase(std::remove_if(
                        names.begin(), names.end(),
                        [](const QString &name) { return name.size() > GroupCard::MaxNameChars; }),
                names.end());
    QStringList groups;
    ContactGroups::add(groups, names, m_groupNames);
    ContactGroups::add(m_groupNames, groups);
    for (const QString &name : local) {
        if (ContactGroups::indexIn(groups, name) < 0) {
            m_groupsLeft.append(name);
        }
    }
    contact->groups = groups;
}

QHash<QString, qint64> CardDavSync::contactsOfUids() const
{
    QHash<QString, qint64> contacts;
    contacts.reserve(m_items.size());
    for (const SyncItem &item : m_items) {
        if (!item.uid.isEmpty()) {
            contacts.insert(item.uid, item.contactId);
        }
    }
    return contacts;
}

// After the downloads: the group cards the server changed change the groups
// of their members here. On an address book without group cards a group
// that lost its last member through the server's cards is gone here too.
void CardDavSync::settleGroups()
{
    if (!m_running || storeFailed()) {
        return;
    }
    const GroupCardSync::ServerChanges changes =
            m_groups.serverChanges(contactsOfUids(), m_table.memberships());
    for (const QString &name : changes.made) {
        if (ContactGroups::indexIn(m_store->groupNames(), name) < 0) {
            m_store->addGroup(name);
        }
    }
    QStringList dropped = changes.dropped;
    if (!m_groups.isGroupBook()) {
        dropped += m_groupsLeft;
    }
    QList<QPair<qint64, QPair<QStringList, QStringList>>> members;
    for (auto it = changes.members.cbegin(); it != changes.members.cend(); ++it) {
        members.append({it.key(), it.value()});
    }
    changeGroups(members, dropped);
}

// The contacts' group changes a few per turn of the event loop, then the
// groups left without members are removed and the uploads begin.
void CardDavSync::changeGroups(QList<QPair<qint64, QPair<QStringList, QStringList>>> changes,
                               const QStringList &dropped)
{
    if (!m_running || storeFailed()) {
        return;
    }
    QElapsedTimer turn;
    turn.start();
    while (!changes.isEmpty() && !turn.hasExpired(TurnMs)) {
        const auto change = changes.takeFirst();
        changeGroupsOf(change.first, change.second.first, change.second.second);
    }
    if (!changes.isEmpty()) {
        later([this, changes, dropped] { changeGroups(changes, dropped); });
        return;
    }
    if (!dropped.isEmpty()) {
        std::set<std::string> used;
        const QHash<qint64, QStringList> memberships = m_table.memberships();
        for (const QStringList &groups : memberships) {
            for (const QString &name : groups) {
                used.insert(ContactGroups::key(name));
            }
        }
        for (const QString &name : dropped) {
            if (used.count(ContactGroups::key(name)) == 0) {
                m_store->removeGroup(ContactGroups::spellingIn(m_store->groupNames(), name));
            }
        }
    }
    upload();
}

// A change the server made: a contact not changed here since its last sync
// stays synced.
void CardDavSync::changeGroupsOf(qint64 id, const QStringList &join, const QStringList &leave)
{
    QByteArray photo;
    std::unique_ptr<Contact> contact = m_table.loadContact(id, &photo);
    if (!contact) {
        return;
    }
    const QByteArray before = SyncCard::fingerprint(*contact, photo);
    bool changed = false;
    for (const QString &name : leave) {
        changed = ContactGroups::remove(contact->groups, name) || changed;
    }
    changed = ContactGroups::add(contact->groups, join, m_groupNames) || changed;
    ContactGroups::add(m_groupNames, contact->groups);
    if (!changed) {
        return;
    }
    m_table.storeContact(*contact, photo);
    const QByteArray after = SyncCard::fingerprint(*contact, photo);
    const auto item = m_items.find(m_hrefOf.value(id));
    if (item != m_items.end() && item->state == before) {
        item->state = after;
        m_table.putItem(*item);
    }
    if (m_local.contains(id)) {
        m_local.insert(id, after);
    }
    noteStored(std::move(contact));
}

void CardDavSync::upload()
{
    if (!m_running || storeFailed()) {
        return;
    }
    while (m_inFlight < ParallelUploads && !m_uploads.isEmpty()) {
        const Upload upload = m_uploads.takeFirst();
        QByteArray photo;
        const std::unique_ptr<Contact> contact = m_table.loadContact(upload.contactId, &photo);
        if (!contact) {
            // Deleted meanwhile: the next run deletes the card.
            step();
            continue;
        }
        const QByteArray state = SyncCard::fingerprint(*contact, photo);
        const CardTable::Card kept = m_keptCards.card(upload.contactId);
        if (m_groups.isGroupBook()) {
            // The group cards carry the groups: the contact's card keeps
            // the CATEGORIES it has.
            const std::unique_ptr<Contact> keptRecord =
                    kept.isEmpty() ? nullptr : CardPatch::read(kept.text);
            contact->groups = keptRecord ? keptRecord->groups : QStringList();
        }
        const CardTable::Card card{SyncCard::write(*contact, upload.uid, photo, kept),
                                   CardSchema::photoDigest(photo)};
        // The server holds this card already: nothing to send.
        if (!upload.ifMatch.isEmpty() && card.text == kept.text) {
            recordEtag({upload.href, upload.contactId, upload.uid, QByteArray(), state},
                       upload.ifMatch);
            step();
            continue;
        }
        ++m_inFlight;
        m_client->put(urlOf(upload.href), card.text, upload.ifMatch,
                      [this, upload, state, card](const DavResponse &response) {
                          --m_inFlight;
                          uploaded(upload, state, card, response);
                      });
    }
    if (m_inFlight == 0 && m_uploads.isEmpty()) {
        writeGroups();
    }
}

// A server version newer than the one listed (412) is fetched by another
// pass; any other failure ends the run. The card sent is the card the
// contact now has on the server.
void CardDavSync::uploaded(const Upload &sent, const QByteArray &state, const CardTable::Card &card,
                           const DavResponse &response)
{
    if (response.status == 412) {
        m_again = true;
    } else if (!response.isSuccess()) {
        fail(DavClient::errorMessage(response));
        return;
    } else {
        m_keptCards.setCard(sent.contactId, card);
        recordEtag({sent.href, sent.contactId, sent.uid, QByteArray(), state}, response.etag);
    }
    step();
    upload();
}

// A server that does not name the new version in its answer may have
// changed the card it was sent (RFC 6352 6.3.2.3): it is fetched back.
void CardDavSync::recordEtag(const SyncItem &item, const QByteArray &etag)
{
    if (!etag.isEmpty()) {
        SyncItem stored = item;
        stored.etag = etag;
        m_table.putItem(stored);
        m_items.insert(stored.href, stored);
        return;
    }
    fetchBack(item);
}

// The card as the server keeps it becomes the contact's kept card, and its
// version the one synced; the contact itself stays as it is here.
void CardDavSync::fetchBack(const SyncItem &item)
{
    ++m_inFlight;
    const auto received = [this, item](const DavResponse &response) {
        --m_inFlight;
        const DavMultiStatus status = DavMultiStatus::parse(response.body, m_book);
        const QString data = DavNames::cardDav("address-data");
        for (const DavResource &resource : status.resources) {
            const QByteArray etag = resource.text(DavNames::dav("getetag")).toUtf8();
            if (!status.valid || resource.path != item.href || etag.isEmpty()) {
                continue;
            }
            if (resource.has(data) && !resource.properties.value(data).tooLong) {
                CardTable::Card card = m_keptCards.card(item.contactId);
                card.text = resource.text(data).toUtf8();
                m_keptCards.setCard(item.contactId, card);
            }
            recordEtag(item, etag);
        }
        upload();
    };
    m_client->report(m_book, 1, multiget({item.href}), received,
                     DavMultiStatus::MaxTextChars + CardAnswerSlack);
}

// On an address book of group cards, after the contacts' uploads (so that
// the members are there): each group card brought to the group here, a
// card made for a new group and removed for a group deleted here, with
// If-Match and If-None-Match as every upload.
void CardDavSync::writeGroups()
{
    if (!m_running || storeFailed()) {
        return;
    }
    if (!m_groupWritesPlanned) {
        m_groupWritesPlanned = true;
        if (m_groups.isGroupBook()) {
            m_groupWrites = m_groups.plan(contactsOfUids(), m_table.memberships(),
                                          m_store->groupNames(), m_book.path(QUrl::FullyDecoded));
        }
        m_total += m_groupWrites.size();
        emit progressChanged();
    }
    while (m_inFlight < ParallelUploads && !m_groupWrites.isEmpty()) {
        const GroupCardSync::Write write = m_groupWrites.takeFirst();
        ++m_inFlight;
        const auto done = [this, write](const DavResponse &response) {
            --m_inFlight;
            if (response.status == 412) {
                m_again = true;
            } else if (!response.isSuccess() && !(write.remove && response.status == 404)) {
                fail(DavClient::errorMessage(response));
                return;
            } else {
                m_groups.written(write, response.etag);
            }
            step();
            writeGroups();
        };
        if (write.remove) {
            m_client->remove(urlOf(write.after.href), write.ifMatch, done);
        } else {
            m_client->put(urlOf(write.after.href), write.after.card, write.ifMatch, done);
        }
    }
    if (m_inFlight == 0 && m_groupWrites.isEmpty()) {
        deleteRemote();
    }
}

void CardDavSync::deleteRemote()
{
    if (!m_running || storeFailed()) {
        return;
    }
    while (m_inFlight < ParallelUploads && !m_remoteDeletes.isEmpty()) {
        const SyncItem item = m_remoteDeletes.takeFirst();
        ++m_inFlight;
        m_client->remove(urlOf(item.href), item.etag, [this, item](const DavResponse &response) {
            --m_inFlight;
            if (response.status == 412) {
                m_again = true;
            } else if (!response.isSuccess() && response.status != 404) {
                fail(DavClient::errorMessage(response));
                return;
            } else {
                m_table.removeItem(item.href);
                m_items.remove(item.href);
            }
            step();
            deleteRemote();
        });
    }
    if (m_inFlight == 0 && m_remoteDeletes.isEmpty()) {
        finish();
    }
}

void CardDavSync::finish()
{
    if (storeFailed()) {
        return;
    }
    // Another pass after newer server versions met an upload lists
    // everything again (m_again makes it skip the token), both ways also
    // after a pass that listed nothing.
    if (m_again && ++m_pass < MaxPasses) {
        listChanges();
        return;
    }
    if (m_again) {
        fail(tr("The server refused the changes made here again and again: they are kept "
                "here and sent with the next sync"));
        return;
    }
    if (!m_again && !m_pushOnly) {
        m_table.setCollection(m_book.toString(), m_token);
    }
    m_running = false;
    announceChanges();
    emit runningChanged();
    emit finished(skippedCards());
}

// The cards this run left alone, in words; empty when there were none.
QString CardDavSync::skippedCards() const
{
    QStringList notes;
    if (!m_unreadable.isEmpty()) {
        notes << tr("%n card(s) on the server cannot be read, first: %1", nullptr,
                    m_unreadable.size())
                         .arg(m_unreadable.first());
    }
    if (!m_tooLarge.isEmpty()) {
        notes << tr("%n card(s) on the server are too large, first: %1", nullptr, m_tooLarge.size())
                         .arg(m_tooLarge.first());
    }
    if (!m_outside.isEmpty()) {
        notes << tr("%n card(s) named outside the address book were ignored, first: %1", nullptr,
                    m_outside.size())
                         .arg(m_outside.first());
    }
    return notes.join(QStringLiteral("; "));
}
