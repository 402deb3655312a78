#pragma once

#include "importexport/eventloopturns.h"
#include "importexport/parsedfile.h"
#include "record/contactbook.h"
#include "vcard/cardpatch.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QQmlListProperty>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

class Contact;
class DataBase;
class SqliteDatabase;
class QThread;

// The scenes' way to import contacts from a file and to export contacts to a
// file. Import: a file is parsed into new contacts that the user ticks, then
// each ticked contact is handed to the scene through importContact. Export:
// the ticked contacts of a list are written as Google CSV, vCard 3.0 or a
// database file. Both report progress through the same signals.
//
// An import knows the contacts that are already in the address book (book):
// such rows start unticked, and a ticked one is merged into its contact
// (mergeContact) instead of being added again; one that brings nothing new
// is left out. The store gives the photos that the exports write and that a
// merge needs to know of.
class ImportExport : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QVariantList contacts READ contacts WRITE setContacts NOTIFY contactsChanged)
    // The same contacts for the form's list, read one at a time as its rows
    // ask for them: a QVariantList read in the scene gives every one of its
    // contacts a JavaScript wrapper at once (300 ms and 30 MiB at 100,000,
    // the wrappers of the address book's contacts kept for good).
    Q_PROPERTY(QQmlListProperty<QObject> offered READ offered NOTIFY contactsChanged)
    // The encodings the import form offers: codec names and what a person
    // knows them by, in the same order.
    Q_PROPERTY(QStringList codecNames READ codecNames CONSTANT)
    Q_PROPERTY(QStringList codecLabels READ codecLabels CONSTANT)
    // The offered codec the last import file's text was read in.
    Q_PROPERTY(QString codec READ codec NOTIFY codecChanged)
    // True while readContactsFromFile reads a file.
    Q_PROPERTY(bool reading READ reading NOTIFY readingChanged)
    // The address book (the list model), a ContactBook: each parse is checked
    // against its contacts, and each imported contact goes to it (queued, or
    // merged into the contact it matches) as importContact and mergeContact
    // announce it. It is reached here, not in the scene: what goes through
    // JavaScript gets a wrapper per contact, and a handler call per imported
    // contact cost more than the import itself.
    Q_PROPERTY(QObject *book READ book WRITE setBook)
    // The list that shows the book (the sorted view), a ContactList: an
    // import ends in it.
    Q_PROPERTY(QObject *list READ list WRITE setList)
    // The address book's store: exports write its photos.
    Q_PROPERTY(DataBase *store READ store WRITE setStore NOTIFY storeChanged)
    // The distinct labels of the contacts of the last import, for the
    // editor's label list.
    Q_PROPERTY(QStringList importedLabels READ importedLabels NOTIFY importedLabelsChanged)

public:
    enum ExportMethod {
        GOOGLE_CSV_METHOD = 0,
        VCARD_METHOD = 1,
        SQLITE_METHOD = 2,
    };
    Q_ENUM(ExportMethod)

    explicit ImportExport(QObject *parent = nullptr);
    ~ImportExport() override;

    QVariantList contacts() const;
    void setContacts(const QVariantList &contacts);
    QQmlListProperty<QObject> offered();
    // The contacts on offer that the search text finds, in their order.
    Q_INVOKABLE QVariantList offeredMatching(const QString &search) const;
    QStringList codecNames() const;
    QStringList codecLabels() const;
    QString codec() const;
    QObject *book() const;
    void setBook(QObject *book);
    QObject *list() const { return m_list; }
    void setList(QObject *list);
    DataBase *store() const;
    void setStore(DataBase *store);
    QStringList importedLabels() const;

    // A call with a file starts a new import: the codec is the form's
    // default, and text that is neither marked nor UTF-8 is read in the
    // encoding detected for the file when the detection is confident. A call
    // without a file re-reads the last one in the codec the user chose.
    Q_INVOKABLE void parseContactsFromFile(const QString &codec = QStringLiteral("Windows-1251"),
                                           const QString &file = QString());
    // parseContactsFromFile on a thread of its own, so that the window keeps
    // running while a large file is read (100,000 contacts take more than a
    // second): the same signals follow once the file is read. A read asked
    // for meanwhile follows this one, and only its contacts are offered; so
    // are none when the list is set for an export meanwhile.
    Q_INVOKABLE void readContactsFromFile(const QString &codec = QStringLiteral("Windows-1251"),
                                          const QString &file = QString());
    bool reading() const;
    Q_INVOKABLE bool importParsedContacts();
    Q_INVOKABLE void exportContacts();
    // What the card kept with the contact holds beyond its fields:
    // "labels" and "values" of the entries, and "formattedName", the card's
    // FN while the contact's names are still the card's (fullName).
    Q_INVOKABLE QVariantMap cardDetails(const QString &id, const QString &fullName) const;
    Q_INVOKABLE void setContactsForExport(const QVariantList &contacts);
    // setContactsForExport with the contacts of a list, a ContactList such
    // as the sorted view, in its order.
    Q_INVOKABLE void setContactsForExportFrom(QObject *list);
    Q_INVOKABLE void setExportFileAndMethod(const QString &file, ExportMethod method);
    // True when a text of the contact holds U+FFFD: bytes of the file that
    // the codec could not read.
    Q_INVOKABLE bool hasUnreadableLetters(QObject *contact) const;
    // True when the parsed contact is already in the address book.
    Q_INVOKABLE bool isAlreadyThere(QObject *contact) const;
    // Ticks every contact on offer but those already in the address book.
    Q_INVOKABLE void tickNewContacts();
    // Ticks or unticks every contact on offer.
    Q_INVOKABLE void tickAll(bool on);
    // True when every contact on offer is ticked.
    Q_INVOKABLE bool allTicked() const;

signals:
    void parsingCompleted();
    void importContact(Contact *contact);
    // A ticked contact that is already in the address book, as the contact
    // with existingId, and brings something new to it.
    void mergeContact(const QString &existingId, Contact *contact);
    void importContactStarted(int count);
    // p contacts are done: at most once per turn of the event loop, and at
    // the end.
    void importContactProgress(int p);
    void importContactEnded();
    void error(const QString &text);
    // The file gave contacts, but not all of it could be read.
    void warning(const QString &text);
    void contactsChanged();
    void codecChanged();
    void readingChanged();
    void storeChanged();
    void importedLabelsChanged();

private:
    // The start of a parse: the last one's contacts go, file (when given)
    // becomes the import file.
    void beginParse(const QString &file);
    // The parsed contacts become the ones on offer, with their signals.
    void offerParsed(const QString &codec, const ParsedFile &parsed);
    void endReading(const QString &codec, int generation);

    QList<Contact *> tickedContacts() const;
    // Hands an imported contact to the book: merged into the contact it
    // matches there, else queued.
    void handOver(Contact *contact);
    // The end of an import that ran: the book lists the queued contacts in
    // one step, then the list sorts once.
    void endImport(const QStringList &labels);
    // The groups of the file's group cards join the book, and so do the
    // book's contacts that they list.
    void addFileGroups();
    // Whether the file brought groups, which a file of group cards alone
    // brings without any contact to tick.
    bool hasFileGroups() const;
    // Finds which parsed contacts are already in the address book.
    void findExistingContacts();
    // True for a parsed contact already in the address book that adds
    // nothing to its contact there, photo included.
    bool bringsNothingNew(const Contact *parsed) const;
    void setImportedLabels(const QStringList &labels);
    // The image bytes an export writes for the contact: its own photoData,
    // else the store's photo.
    QByteArray photoOf(const Contact *contact) const;
    QByteArray cardOf(const Contact *contact, CardPatch::Version version) const;
    void setRecordsForExport(const QList<Contact *> &records);
    // Releases, by deferred deletion, the parsed contacts still owned.
    void releaseParsedContacts();
    // The progress frame of an import or export: started(n), then for each
    // contact step(i) and progress(i + 1), letting the event loop run at the
    // pace of m_turns. Stops early and returns false when a step fails.
    bool runWithProgress(int count, const std::function<bool(int)> &step);
    // The same frame around a loop that runs elsewhere: loop calls the
    // function it is given after each item i it has done.
    bool runLoopWithProgress(int count,
                             const std::function<bool(const std::function<void(int)> &)> &loop);

    bool writeTextExport(const std::function<QByteArray()> &head, int count,
                         const std::function<QByteArray(int)> &piece);
    bool exportGoogleCsv(const QList<Contact *> &contacts);
    bool exportVCard(const QList<Contact *> &contacts);
    bool exportSqlite(const QList<Contact *> &contacts);
    bool writeDatabase(SqliteDatabase *store, const QList<Contact *> &contacts);
    QString openErrorText(const QString &reason = QString()) const;
    QString writeErrorText(const QString &reason = QString()) const;
    static QString withReason(const QString &text, const QString &reason);

    // The contacts on offer (a null where the list set held no contact).
    QList<Contact *> m_contacts;
    QList<Contact *> m_parsed;
    // Released records, deleted in the next turn of the event loop.
    QList<Contact *> m_released;
    QPointer<QObject> m_book;
    // The book's interface, valid while m_book is.
    ContactBook *m_contactBook = nullptr;
    QPointer<QObject> m_list;
    ContactList *m_contactList = nullptr;
    // Parsed contacts already in the address book: the contact each one is.
    QHash<const Contact *, QPointer<Contact>> m_alreadyThere;
    // The groups of the parsed file's group cards, and their members that
    // are none of its contacts (ParsedFile).
    QStringList m_fileGroups;
    QHash<QString, QStringList> m_groupsOfUids;
    QPointer<DataBase> m_store;
    QStringList m_importedLabels;
    QString m_importFile;
    // The thread of a running readContactsFromFile, what it gives, and a
    // read asked for meanwhile (codec, file).
    QThread *m_reader = nullptr;
    std::shared_ptr<ParsedFile> m_read;
    std::optional<std::pair<QString, QString>> m_nextRead;
    // Counts the changes of the contacts on offer: a read whose start is not
    // the last of them offers nothing.
    int m_generation = 0;
    QString m_codec;
    QString m_exportFile;
    ExportMethod m_exportMethod = GOOGLE_CSV_METHOD;
    EventLoopTurns m_turns;
};
