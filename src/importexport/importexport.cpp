#include "importexport/importexport.h"

#include "importexport/contactsfileparser.h"
#include "importexport/eventloopturns.h"
#include "importexport/existingcontacts.h"
#include "importexport/googlecsv.h"
#include "importexport/photopreparation.h"
#include "record/contact.h"
#include "record/contactmerge.h"
#include "record/contactsearch.h"
#include "storage/cardschema.h"
#include "storage/database.h"
#include "storage/sqlitedatabase.h"
#include "vcard/carddetails.h"
#include "vcard/contactvcard.h"
#include "vcard/textdecoding.h"
#include "vcard/vcard.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>
#include <QSet>
#include <QTemporaryFile>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <sys/stat.h>
#include <utility>

namespace {

// The records a list from the scene holds, in its order; what is no contact
// stays as a null, so that the rows keep their places.
QList<Contact *> recordsOf(const QVariantList &values)
{
    QList<Contact *> records;
    records.reserve(values.size());
    for (const QVariant &value : values) {
        records.append(value.value<Contact *>());
    }
    return records;
}

// A busy cursor over the program's windows while a file is read (none
// without a GUI application).
void showBusy(bool busy)
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        return;
    }
    if (busy) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
    } else {
        QGuiApplication::restoreOverrideCursor();
    }
}

// Deletes records the import owns, in their order.
void deleteRecords(const QList<Contact *> &records)
{
    qDeleteAll(records);
}

// Contacts are personal: a new export file is readable by its owner only,
// like the address book itself.
constexpr QFileDevice::Permissions newFilePermissions =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// True when both paths name one existing file, by canonical path or by
// device and inode (a hard link).
bool sameFile(const QString &a, const QString &b)
{
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    if (canonicalA.isEmpty()) {
        return false;
    }
    if (canonicalA == QFileInfo(b).canonicalFilePath()) {
        return true;
    }
    struct stat statA;
    struct stat statB;
    return ::stat(QFile::encodeName(a).constData(), &statA) == 0
           && ::stat(QFile::encodeName(b).constData(), &statB) == 0 && statA.st_dev == statB.st_dev
           && statA.st_ino == statB.st_ino;
}

// The permissions a finished export gets: those of the file it replaces, or
// owner-only for a new file.
QFileDevice::Permissions exportPermissions(const QString &target)
{
    const QFileInfo info(target);
    return info.exists() ? info.permissions() : newFilePermissions;
}

// Adds the labels of the contact's phones, e-mails and addresses that are
// not blank and not among labels yet, in the order met.
void noteLabels(const Contact &contact, QStringList *labels, QSet<QString> *seen)
{
    for (const QStringList *list :
         {&contact.phoneGroupList, &contact.emailGroupList, &contact.addressGroupList}) {
        for (const QString &label : *list) {
            if (!label.trimmed().isEmpty() && !seen->contains(label)) {
                seen->insert(label);
                labels->append(label);
            }
        }
    }
}

} // namespace

ImportExport::ImportExport(QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<Contact *>("Contact*");
}

ImportExport::~ImportExport()
{
    if (m_reader) {
        m_reader->wait();
        delete m_reader;
        deleteRecords(m_read->contacts);
        showBusy(false);
    }
    deleteRecords(m_released);
    deleteRecords(m_parsed);
}

QVariantList ImportExport::contacts() const
{
    QVariantList contacts;
    contacts.reserve(m_contacts.size());
    for (Contact *contact : m_contacts) {
        contacts.append(QVariant::fromValue(contact));
    }
    return contacts;
}

QVariantList ImportExport::offeredMatching(const QString &search) const
{
    QVariantList found;
    const ContactSearch wanted(search);
    for (Contact *contact : m_contacts) {
        if (wanted.matches(*contact)) {
            found.append(QVariant::fromValue(contact));
        }
    }
    return found;
}

void ImportExport::setContacts(const QVariantList &contacts)
{
    const QList<Contact *> records = recordsOf(contacts);
    if (m_contacts == records) {
        return;
    }
    ++m_generation;
    m_contacts = records;
    emit contactsChanged();
}

QQmlListProperty<QObject> ImportExport::offered()
{
    return QQmlListProperty<QObject>(
            this, nullptr,
            [](QQmlListProperty<QObject> *list) {
                return static_cast<ImportExport *>(list->object)->m_contacts.size();
            },
            [](QQmlListProperty<QObject> *list, int index) -> QObject * {
                return static_cast<ImportExport *>(list->object)->m_contacts.value(index);
            });
}

QStringList ImportExport::codecNames() const
{
    QStringList names;
    for (const TextDecoding::OfferedCodec &offered : TextDecoding::offeredCodecs()) {
        names.append(QLatin1String(offered.name));
    }
    return names;
}

QStringList ImportExport::codecLabels() const
{
    QStringList labels;
    for (const TextDecoding::OfferedCodec &offered : TextDecoding::offeredCodecs()) {
        labels.append(QCoreApplication::translate("TextDecoding", offered.label));
    }
    return labels;
}

QString ImportExport::codec() const
{
    return m_codec;
}

DataBase *ImportExport::store() const
{
    return m_store;
}

void ImportExport::setStore(DataBase *store)
{
    if (m_store == store) {
        return;
    }
    m_store = store;
    emit storeChanged();
}

QStringList ImportExport::importedLabels() const
{
    return m_importedLabels;
}

void ImportExport::setList(QObject *list)
{
    m_list = list;
    m_contactList = qobject_cast<ContactList *>(list);
}

QObject *ImportExport::book() const
{
    return m_book;
}

void ImportExport::setBook(QObject *book)
{
    if (m_book == book) {
        return;
    }
    m_book = book;
    m_contactBook = qobject_cast<ContactBook *>(book);
}

bool ImportExport::isAlreadyThere(QObject *contact) const
{
    const auto found = m_alreadyThere.constFind(qobject_cast<const Contact *>(contact));
    return found != m_alreadyThere.constEnd() && found.value();
}

void ImportExport::tickNewContacts()
{
    for (Contact *contact : qAsConst(m_contacts)) {
        if (contact) {
            contact->importMe = !isAlreadyThere(contact);
        }
    }
}

void ImportExport::tickAll(bool on)
{
    for (Contact *contact : qAsConst(m_contacts)) {
        if (contact) {
            contact->importMe = on;
        }
    }
}

bool ImportExport::allTicked() const
{
    return std::all_of(m_contacts.cbegin(), m_contacts.cend(),
                       [](const Contact *contact) { return !contact || contact->importMe; });
}

// Parsed contacts already in the address book start unticked.
void ImportExport::findExistingContacts()
{
    const QList<Contact *> existing =
            m_book && m_contactBook ? m_contactBook->bookContacts() : QList<Contact *>();
    // A card whose UID is the one of a card kept here belongs to its contact.
    if (m_store) {
        QStringList uids;
        for (const Contact *parsed : qAsConst(m_parsed)) {
            if (parsed && !parsed->uid.isEmpty()) {
                uids << parsed->uid;
            }
        }
        const QHash<QString, QString> ids = m_store->contactsOfCardUids(uids);
        for (Contact *parsed : qAsConst(m_parsed)) {
            if (parsed && ids.contains(parsed->uid)) {
                parsed->uid = ids.value(parsed->uid);
            }
        }
    }
    const QHash<Contact *, Contact *> found = ExistingContacts::find(existing, m_parsed);
    m_alreadyThere.clear();
    m_alreadyThere.reserve(found.size());
    for (auto it = found.cbegin(); it != found.cend(); ++it) {
        m_alreadyThere.insert(it.key(), it.value());
        it.key()->importMe = false;
    }
}

bool ImportExport::bringsNothingNew(const Contact *parsed) const
{
    const Contact *existing = m_alreadyThere.value(parsed);
    if (!existing || ContactMerge::bringsNew(*existing, *parsed)) {
        return false;
    }
    return parsed->photoData.isEmpty() || !m_store || !m_store->loadPhoto(existing->id).isEmpty();
}

void ImportExport::setImportedLabels(const QStringList &labels)
{
    if (m_importedLabels != labels) {
        m_importedLabels = labels;
        emit importedLabelsChanged();
    }
}

QByteArray ImportExport::photoOf(const Contact *contact) const
{
    if (!contact->photoData.isEmpty()) {
        return QByteArray::fromBase64(contact->photoData);
    }
    return m_store ? m_store->loadPhoto(contact->id) : QByteArray();
}

// The card the contact came from with its fields patched in; empty when the
// store keeps none for it.
QByteArray ImportExport::cardOf(const Contact *contact, CardPatch::Version version) const
{
    QByteArray digest;
    const QByteArray card = m_store ? m_store->loadCard(contact->id, &digest) : QByteArray();
    if (card.isEmpty()) {
        return card;
    }
    const QByteArray photo = photoOf(contact);
    return CardPatch::patch(card, *contact,
                            {CardSchema::photoDigest(photo.toBase64()) != digest, photo}, version);
}

QVariantMap ImportExport::cardDetails(const QString &id, const QString &fullName) const
{
    const QByteArray card = m_store ? m_store->loadCard(id) : QByteArray();
    if (card.isEmpty()) {
        return QVariantMap();
    }
    const CardDetails details = CardDetails::of(card);
    const std::unique_ptr<Contact> names = CardPatch::read(card);
    const bool sameNames = names && names->composedFullName() == fullName.simplified();
    return {{QStringLiteral("labels"), details.labels},
            {QStringLiteral("values"), details.values},
            {QStringLiteral("formattedName"), sameNames ? details.formattedName : QString()}};
}

bool ImportExport::hasUnreadableLetters(QObject *object) const
{
    const Contact *contact = qobject_cast<const Contact *>(object);
    if (!contact) {
        return false;
    }
    const QChar mark(QChar::ReplacementCharacter);
    for (const QString &text :
         {contact->name, contact->surname, contact->middlename, contact->fullname,
          contact->organization, contact->dateOfBirth, contact->comment}) {
        if (text.contains(mark)) {
            return true;
        }
    }
    for (const QStringList &list : contact->lists()) {
        for (const QString &text : list) {
            if (text.contains(mark)) {
                return true;
            }
        }
    }
    return false;
}

void ImportExport::parseContactsFromFile(const QString &codec, const QString &file)
{
    beginParse(file);
    offerParsed(codec, ContactsFileParser::parseFile(m_importFile, codec, !file.isEmpty()));
}

void ImportExport::readContactsFromFile(const QString &codec, const QString &file)
{
    if (m_reader) {
        m_nextRead.emplace(codec, file);
        ++m_generation;
        return;
    }
    beginParse(file);
    const int generation = m_generation;
    const QString path = m_importFile;
    const bool detectCodec = !file.isEmpty();
    QThread *window = thread();
    auto read = std::make_shared<ParsedFile>();
    m_read = read;
    m_reader = QThread::create([read, path, codec, detectCodec, window] {
        *read = ContactsFileParser::parseFile(path, codec, detectCodec);
        for (Contact *contact : qAsConst(read->contacts)) {
            contact->moveToThread(window);
        }
    });
    connect(m_reader, &QThread::finished, this,
            [this, codec, generation] { endReading(codec, generation); });
    m_reader->start();
    showBusy(true);
    emit readingChanged();
}

bool ImportExport::reading() const
{
    return m_reader != nullptr;
}

void ImportExport::endReading(const QString &codec, int generation)
{
    m_reader->wait();
    delete std::exchange(m_reader, nullptr);
    const std::shared_ptr<ParsedFile> read = std::exchange(m_read, nullptr);
    showBusy(false);
    if (generation == m_generation) {
        offerParsed(codec, *read);
    } else {
        deleteRecords(read->contacts);
    }
    if (m_nextRead) {
        const auto next = *std::exchange(m_nextRead, std::nullopt);
        readContactsFromFile(next.first, next.second);
    }
    if (!m_reader) {
        emit readingChanged();
    }
}

void ImportExport::beginParse(const QString &file)
{
    ++m_generation;
    releaseParsedContacts();
    m_contacts.clear();
    emit contactsChanged();
    if (!file.isEmpty()) {
        m_importFile = file;
    }
}

void ImportExport::offerParsed(const QString &codec, const ParsedFile &parsed)
{
    const QString used =
            parsed.usedCodec.isEmpty() ? codec : TextDecoding::offeredCodecName(parsed.usedCodec);
    if (m_codec != used) {
        m_codec = used;
        emit codecChanged();
    }
    m_contacts = parsed.contacts;
    m_parsed = parsed.contacts;
    m_fileGroups = parsed.groups;
    m_groupsOfUids = parsed.groupsOfUids;
    findExistingContacts();
    emit contactsChanged();

    // A file of group cards alone gives the book's contacts their groups.
    // What of the file could not be read is said over the contacts it gave,
    // or instead of them.
    if (!parsed.error.isEmpty()) {
        emit error(parsed.error);
    } else if (!m_contacts.isEmpty() || hasFileGroups()) {
        emit parsingCompleted();
        if (!parsed.warning.isEmpty()) {
            emit warning(parsed.warning);
        }
    } else {
        emit error(parsed.warning.isEmpty() ? tr("Can't find any contacts in file.")
                                            : parsed.warning);
    }
}

bool ImportExport::importParsedContacts()
{
    // One pass picks the ticked contacts that bring something new, and
    // their photos: after a large parse each pass reads every record from
    // memory again.
    bool ticked = false;
    QList<Contact *> running;
    std::vector<PhotoPreparation::Photo> photos;
    running.reserve(m_contacts.size());
    for (int i = 0; i < m_contacts.size(); ++i) {
        Contact *contact = m_contacts.at(i);
        if (!contact || !contact->importMe) {
            continue;
        }
        ticked = true;
        if (!bringsNothingNew(contact)) {
            if (!contact->photoData.isEmpty()) {
                photos.push_back({running.size(), contact->photoData});
            }
            running.append(contact);
        }
    }
    bool imported = false;
    // A file of group cards alone has nothing to tick; a file with contacts
    // changes nothing when none is ticked.
    if (ticked || (m_contacts.isEmpty() && hasFileGroups())) {
        PhotoPreparation preparation(std::move(photos));
        // The labels are collected as each contact goes by: a pass of its
        // own over a large import would read every record from memory again.
        QStringList labels;
        QSet<QString> seen;
        runWithProgress(running.size(), [&](int i) {
            Contact *contact = running.at(i);
            noteLabels(*contact, &labels, &seen);
            contact->photoData = preparation.take(i, m_turns);
            handOver(contact);
            return true;
        });
        addFileGroups();
        endImport(labels);
        imported = true;
    }
    releaseParsedContacts();
    m_contacts.clear();
    return imported;
}

void ImportExport::handOver(Contact *contact)
{
    const QPointer<Contact> existing = m_alreadyThere.value(contact);
    ContactBook *book = m_book ? m_contactBook : nullptr;
    if (existing) {
        if (book) {
            book->mergeContact(existing->id, contact);
        }
        emit mergeContact(existing->id, contact);
    } else {
        if (book) {
            book->queueContact(contact);
        }
        emit importContact(contact);
    }
}

// A contact of the book joins a group through a merge of a record that
// holds nothing but the group: the merge adds groups as it adds any entry.
void ImportExport::addFileGroups()
{
    if (!m_book || !m_contactBook) {
        return;
    }
    if (!m_fileGroups.isEmpty()) {
        m_contactBook->addGroups(m_fileGroups);
    }
    if (!m_store || m_groupsOfUids.isEmpty()) {
        return;
    }
    // A kept card may write its UID as a URN, as group cards name members.
    const QString urn = QStringLiteral("urn:uuid:");
    QStringList uids;
    for (auto it = m_groupsOfUids.cbegin(); it != m_groupsOfUids.cend(); ++it) {
        uids << it.key() << urn + it.key();
    }
    const QHash<QString, QString> ids = m_store->contactsOfCardUids(uids);
    for (auto it = m_groupsOfUids.cbegin(); it != m_groupsOfUids.cend(); ++it) {
        const QString id = ids.value(it.key(), ids.value(urn + it.key()));
        if (!id.isEmpty()) {
            Contact member;
            member.groups = it.value();
            m_contactBook->mergeContact(id, &member);
        }
    }
}

bool ImportExport::hasFileGroups() const
{
    return !m_fileGroups.isEmpty() || !m_groupsOfUids.isEmpty();
}

void ImportExport::endImport(const QStringList &labels)
{
    setImportedLabels(labels);
    if (m_book && m_contactBook) {
        m_contactBook->addQueuedContacts();
    }
    if (m_list && m_contactList) {
        m_contactList->importEnded(labels);
    }
    emit importContactEnded();
}

void ImportExport::exportContacts()
{
    const QList<Contact *> ticked = tickedContacts();
    if (ticked.isEmpty()) {
        return;
    }
    // The end of an export is no import's: it brings no labels.
    setImportedLabels(QStringList());
    // Replacing the address book in use would throw away every contact and
    // every later change of this run.
    if (sameFile(m_exportFile, SqliteDatabase::defaultPath())) {
        emit error(tr("Unable to export into the address book in use: ") + m_exportFile);
        return;
    }
    bool written = false;
    switch (m_exportMethod) {
    case GOOGLE_CSV_METHOD:
        written = exportGoogleCsv(ticked);
        break;
    case VCARD_METHOD:
        written = exportVCard(ticked);
        break;
    case SQLITE_METHOD:
        written = exportSqlite(ticked);
        break;
    }
    // A failed export keeps its contacts, so that it can be tried again once
    // the target is mended.
    if (!written) {
        return;
    }
    emit importContactEnded();
    releaseParsedContacts();
    m_contacts.clear();
}

void ImportExport::setContactsForExport(const QVariantList &contacts)
{
    setRecordsForExport(recordsOf(contacts));
}

void ImportExport::setRecordsForExport(const QList<Contact *> &records)
{
    ++m_generation;
    if (m_contacts != records) {
        releaseParsedContacts();
        m_contacts = records;
    }
    emit contactsChanged();
}

void ImportExport::setContactsForExportFrom(QObject *list)
{
    auto *ordered = qobject_cast<ContactList *>(list);
    setRecordsForExport(ordered ? ordered->contactsInListOrder() : QList<Contact *>());
}

void ImportExport::setExportFileAndMethod(const QString &file, ExportMethod method)
{
    m_exportFile = file;
    m_exportMethod = method;
}

QList<Contact *> ImportExport::tickedContacts() const
{
    QList<Contact *> ticked;
    for (Contact *contact : m_contacts) {
        if (contact && contact->importMe) {
            ticked.append(contact);
        }
    }
    return ticked;
}

void ImportExport::releaseParsedContacts()
{
    m_alreadyThere.clear();
    m_fileGroups.clear();
    m_groupsOfUids.clear();
    if (m_parsed.isEmpty()) {
        return;
    }
    // The scenes may still read them in this turn: they go in the next one,
    // all at once. (Qt's queue of single deferred deletions grows slower
    // per object the longer it is: 42 ms to queue 100,000 against 2 ms here
    // to delete them.)
    if (m_released.isEmpty()) {
        QTimer::singleShot(0, this, [this] { deleteRecords(std::exchange(m_released, {})); });
    }
    m_released += std::exchange(m_parsed, {});
}

bool ImportExport::runWithProgress(int count, const std::function<bool(int)> &step)
{
    return runLoopWithProgress(count, [&](const std::function<void(int)> &done) {
        for (int i = 0; i < count; ++i) {
            if (!step(i)) {
                return false;
            }
            done(i);
        }
        return true;
    });
}

bool ImportExport::runLoopWithProgress(
        int count, const std::function<bool(const std::function<void(int)> &)> &loop)
{
    emit importContactStarted(count);
    m_turns.turn();
    // The progress goes out when the event loop is about to show it, and at
    // the end: the scene's handler of one costs more than importing a
    // contact, so that one per contact made a window's import of 100,000
    // contacts five times slower.
    return loop([&](int i) {
        if (i + 1 == count || m_turns.due()) {
            emit importContactProgress(i + 1);
        }
        m_turns.maybeTurn();
    });
}

QString ImportExport::openErrorText(const QString &reason) const
{
    return withReason(tr("Unable to open file for writing: ") + m_exportFile, reason);
}

QString ImportExport::writeErrorText(const QString &reason) const
{
    return withReason(tr("Unable to write file: ") + m_exportFile, reason);
}

// The system's reason after the program's text, so that the person can
// mend the target ("Permission denied", "No such file or directory").
QString ImportExport::withReason(const QString &text, const QString &reason)
{
    if (reason.isEmpty() || reason == QLatin1String("Unknown error")) {
        return text;
    }
    return text + QStringLiteral(" (") + reason + QLatin1Char(')');
}

// Writes a text export: the head, then one piece per contact with progress,
// into a file beside the target that replaces it only once complete. An open
// or write failure is reported and leaves the target as it was. The head is
// made once the export runs, so that the event loop may turn while it is.
bool ImportExport::writeTextExport(const std::function<QByteArray()> &head, int count,
                                   const std::function<QByteArray(int)> &piece)
{
    const QFileDevice::Permissions permissions = exportPermissions(m_exportFile);
    QSaveFile file(m_exportFile);
    if (!file.open(QIODevice::WriteOnly)) {
        emit error(openErrorText(file.errorString()));
        return false;
    }
    file.setPermissions(permissions);
    const auto write = [&file](const QByteArray &bytes) {
        return file.write(bytes) == bytes.size();
    };
    const bool ok = runLoopWithProgress(count, [&](const std::function<void(int)> &done) {
        if (!write(head())) {
            return false;
        }
        for (int i = 0; i < count; ++i) {
            if (!write(piece(i))) {
                return false;
            }
            done(i);
        }
        return true;
    });
    if (!ok || !file.commit()) {
        const QString reason =
                file.error() == QFileDevice::NoError ? QString() : file.errorString();
        file.cancelWriting();
        emit error(writeErrorText(reason));
        return false;
    }
    return true;
}

// Google CSV, UTF-8 without a byte-order mark, whatever the locale. The
// columns follow the contact with the most entries of each kind; finding it
// reads every contact, with the event loop turning.
bool ImportExport::exportGoogleCsv(const QList<Contact *> &contacts)
{
    GoogleCsv::Counts counts;
    return writeTextExport(
            [&] {
                counts = GoogleCsv::countsOf(contacts, [this] { m_turns.maybeTurn(); });
                return (GoogleCsv::header(counts) + QLatin1Char('\n')).toUtf8();
            },
            contacts.size(),
            [&](int i) {
                const Contact *contact = contacts.at(i);
                const QByteArray card = m_store ? m_store->loadCard(contact->id) : QByteArray();
                const QStringList kept =
                        card.isEmpty() ? QStringList() : CardDetails::columnsOf(card);
                return (GoogleCsv::line(*contact, counts, kept) + QLatin1Char('\n')).toUtf8();
            });
}

// vCard 3.0, one card per contact each followed by a line feed, UTF-8
// whatever the locale; each photo is read from the store as its card is
// written. A contact that came from a card writes that card, patched.
bool ImportExport::exportVCard(const QList<Contact *> &contacts)
{
    return writeTextExport([] { return QByteArray(); }, contacts.size(),
                           [&](int i) {
                               const Contact *contact = contacts.at(i);
                               QByteArray card = cardOf(contact, CardPatch::Version::File);
                               if (card.isEmpty()) {
                                   return ContactVCard::toVCard(*contact, photoOf(contact))
                                                  .toByteArray(vCardVersion::Version3_0)
                                          + '\n';
                               }
                               return card.endsWith('\n') ? card : card + "\r\n";
                           });
}

// Writes the contacts and the book's groups into the new file's store; false
// when not every contact was written.
bool ImportExport::writeDatabase(SqliteDatabase *store, const QList<Contact *> &contacts)
{
    // Failed inserts leave no trace but a missing row: the rows are counted
    // against the distinct ids that were written.
    QSet<qint64> ids;
    for (const Contact *contact : contacts) {
        ids.insert(contact->id.toLongLong());
    }
    bool ok = runLoopWithProgress(contacts.size(), [&](const std::function<void(int)> &done) {
        return store->insertContacts(
                contacts,
                [&done](int i) {
                    done(i);
                    return true;
                },
                [this](const Contact *contact) { return photoOf(contact).toBase64(); },
                [this](const Contact *contact) {
                    return cardOf(contact, CardPatch::Version::Own);
                });
    });
    ok = ok && store->contactCount() == ids.size();
    // Groups without members travel too.
    for (const QString &group : m_contactBook ? m_contactBook->groupNames() : QStringList()) {
        store->addGroup(group);
    }
    return ok;
}

// A database file of this program's own format. It is built under a
// temporary name beside the target, in one transaction, checked, and then
// renamed over the target.
bool ImportExport::exportSqlite(const QList<Contact *> &contacts)
{
    const QFileInfo target(m_exportFile);
    QString temporaryName;
    {
        QTemporaryFile reserve(target.absolutePath() + QStringLiteral("/.") + target.fileName()
                               + QStringLiteral(".XXXXXX"));
        if (!reserve.open()) {
            emit error(openErrorText(reserve.errorString()));
            return false;
        }
        temporaryName = reserve.fileName();
        // The name is free again when reserve is destroyed; the store creates
        // a new database (with its table) only on a file that does not exist.
    }

    auto *store = new SqliteDatabase;
    if (!store->open(temporaryName)) {
        delete store;
        QFile::remove(temporaryName);
        emit error(openErrorText());
        return false;
    }

    const bool written = writeDatabase(store, contacts);
    delete store;

    bool ok = written && QFile::setPermissions(temporaryName, exportPermissions(m_exportFile));
    if (ok) {
        ok = std::rename(QFile::encodeName(temporaryName).constData(),
                         QFile::encodeName(m_exportFile).constData())
             == 0;
    }
    if (!ok) {
        QFile::remove(temporaryName);
        emit error(writeErrorText());
    }
    return ok;
}
