#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

class Contact;

// The contact store: the one interface through which contacts and their
// photos are read and written. Implemented by the SQLite store and by the
// fallback store inside the settings file.
//
// A store also says what the main window must tell the user about it: that it
// waits for its file, or that changes could not be saved yet.
class DataBase : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString statusMessage READ statusMessage NOTIFY statusMessageChanged)
    Q_PROPERTY(bool hasUnsavedChanges READ hasUnsavedChanges NOTIFY statusMessageChanged)

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
    // Stores an image given as Base64 text (an imported photo), prepared as
    // every stored photo is, as the id's photo; a text that is no image
    // stores nothing. A store that keeps no photos ignores it.
    virtual void savePhotoData(const QString &id, const QByteArray &base64);
    // The card the record came from, kept beside it (empty for none, and in
    // a store that keeps no cards), with the digest of the photo it was
    // kept with.
    virtual QByteArray loadCard(const QString &id, QByteArray *photoDigest = nullptr);
    // Gives each record its stored photo (as Base64 text, as an import gives
    // it) and its kept card, as loadPhoto and loadCard read them by the
    // record's id; the digests the cards were kept with, in order.
    virtual QVector<QByteArray> loadPhotosAndCards(const QVector<Contact *> &records);
    // Keeps this card beside the stored contact with the digest of the photo
    // it was kept with (as loadCard gives them); an empty card removes the
    // contact's. A store that keeps no cards ignores it.
    virtual void saveCard(const QString &id, const QByteArray &card, const QByteArray &photoDigest);
    // The contacts whose kept cards have these UIDs (by UID), so that an
    // import of a card knows its contact again.
    virtual QHash<QString, QString> contactsOfCardUids(const QStringList &uids);
    // The pairs of contacts the person said are not the same person, each
    // as (smaller id, larger id): the duplicate search never offers them
    // again. A store that keeps none has none.
    virtual QList<QPair<QString, QString>> distinctPairs();
    virtual void addDistinctPair(const QString &first, const QString &second);
    // The contacts' named groups, also those without members, in the order
    // made; a record's own groups are stored with the record (its `groups`).
    // Names are stored as given: the book keeps each group in one spelling.
    // A store that keeps none has none.
    virtual QStringList groupNames();
    virtual void addGroup(const QString &name);
    // Renames the group for every member as well.
    virtual void renameGroup(const QString &from, const QString &to);
    // Removes the group from every member; the contacts stay.
    virtual void removeGroup(const QString &name);

    // The text the main window shows about this store; empty while all is
    // well.
    QString statusMessage() const;
    void setStatusMessage(const QString &text);
    // True while changes made in this run are not yet in the file.
    virtual bool hasUnsavedChanges() const;
    // Tries to save the unsaved changes now.
    Q_INVOKABLE virtual void retry();

    // The number of contacts whose changes are not yet in the file; 0 while
    // everything is saved.
    virtual int unsavedContactCount() const;
    // The names of the added or edited contacts among them, at most limit,
    // in the order first changed.
    virtual QStringList unsavedContactNames(int limit) const;
    // Why the changes are not yet saved, as the status message words it.
    virtual QString unsavedReason() const;

    // Tries once more to save; then the question to ask before quitting
    // while changes still wait, else empty.
    Q_INVOKABLE QString quitQuestion();
    // Notes in the settings file what quitting now loses, for the next start.
    Q_INVOKABLE void noteLostChanges();
    // The message about the changes lost when the program was last closed,
    // or empty; the note is cleared, so that it is told once.
    Q_INVOKABLE QString takeLostChangesNote();

signals:
    void statusMessageChanged();
    // The stored contacts became readable after a wait: lists load again.
    void contactsAvailable();

private:
    QString m_statusMessage;
};

Q_DECLARE_METATYPE(DataBase *)
