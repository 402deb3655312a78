#pragma once

#include "record/textlist.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>

// One address-book record. Scenes read and write its fields as properties by
// name; the stores, parsers and exporters pass it around as Contact*.
class Contact : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isFavorite MEMBER isFavorite)
    Q_PROPERTY(QString id MEMBER id)
    Q_PROPERTY(QString name MEMBER name)
    Q_PROPERTY(QString surname MEMBER surname)
    Q_PROPERTY(QString middlename MEMBER middlename)
    Q_PROPERTY(QString fullname MEMBER fullname)
    Q_PROPERTY(QString organization MEMBER organization)
    Q_PROPERTY(QString dateOfBirth MEMBER dateOfBirth)
    Q_PROPERTY(QString comment MEMBER comment)
    Q_PROPERTY(QStringList phoneList READ phones WRITE setPhones)
    Q_PROPERTY(QStringList phoneGroupList MEMBER phoneGroupList)
    Q_PROPERTY(QStringList emailList READ emails WRITE setEmails)
    Q_PROPERTY(QStringList emailGroupList MEMBER emailGroupList)
    Q_PROPERTY(QStringList addressList READ addresses WRITE setAddresses)
    Q_PROPERTY(QStringList addressGroupList MEMBER addressGroupList)
    Q_PROPERTY(QStringList linkList READ links WRITE setLinks)
    Q_PROPERTY(bool importMe MEMBER importMe)

public:
    explicit Contact(QObject *parent = nullptr);
    // A copy of the source's data under a fresh id. The parent is required so
    // that a copy can never be mistaken for the plain constructor.
    Contact(const Contact *source, QObject *parent);

    // Surname, name and middle name joined by blanks, white space simplified.
    static QString composeFullName(const QString &surname, const QString &name,
                                   const QString &middlename);
    QString composedFullName() const;

    // Asks the processor to start loading what a pass over many records in a
    // row (count of them, recordAt(i) giving record i) is about to read:
    // record index + 16 itself, the texts and lists of record index + 8, the
    // label texts of record index + 4, each step reading only what the one
    // before has loaded. The records of a large import have left the
    // processor's caches, and each part of a record is found only through
    // the part before it: a pass that waited on each part in turn would
    // wait on memory most of its time.
    template<typename RecordAt>
    static void prefetchAhead(int index, int count, RecordAt recordAt)
    {
        if (index + 16 < count) {
            prefetchRecord(recordAt(index + 16));
        }
        if (index + 8 < count) {
            recordAt(index + 8)->prefetchParts();
        }
        if (index + 4 < count) {
            recordAt(index + 4)->prefetchEntries();
        }
    }

    // A new id: the millisecond clock, but always larger than the last id
    // handed out in this process and than every id noted in use, so that
    // fast copies never collide.
    static QString makeId();
    // Makes every later id larger than id. A store notes its largest: an
    // import hands out an id a millisecond, ahead of the clock (100 s ahead
    // after 100,000 contacts), and a session started before the clock
    // caught up would otherwise hand out ids that its store already holds.
    static void noteIdInUse(qint64 id);

    // The lists as the scenes read and write them. The record keeps phones,
    // e-mail and postal addresses and links packed (TextList); their labels
    // stay QStringLists, which the records of a store share.
    QStringList phones() const { return phoneList; }
    void setPhones(const QStringList &list) { phoneList = list; }
    QStringList emails() const { return emailList; }
    void setEmails(const QStringList &list) { emailList = list; }
    QStringList addresses() const { return addressList; }
    void setAddresses(const QStringList &list) { addressList = list; }
    QStringList links() const { return linkList; }
    void setLinks(const QStringList &list) { linkList = list; }
    // Every list of the record, in the store's column order: phones, their
    // labels, e-mail addresses, their labels, postal addresses, their
    // labels, links.
    std::array<QStringList, 7> lists() const
    {
        return {phoneList,   phoneGroupList,   emailList, emailGroupList,
                addressList, addressGroupList, linkList};
    }

    bool isFavorite = false;
    QString id;
    QString name;
    QString surname;
    QString middlename;
    QString fullname;
    QString organization;
    QString dateOfBirth;
    QString comment;
    TextList phoneList;
    QStringList phoneGroupList;
    TextList emailList;
    QStringList emailGroupList;
    TextList addressList;
    QStringList addressGroupList;
    TextList linkList;
    bool importMe = true;
    // Base64 text of an image carried by an imported vCard; not a property.
    QByteArray photoData;
    // The id that an imported card (its UID) or database row gives the
    // record: this program's id of the contact it was exported from, so that
    // an import knows its own contacts again. Not a property, never stored,
    // not copied.
    QString uid;
    // The vCard text an imported record came from, which the store keeps
    // beside it (see CardTable); empty for none. Not a property, not copied,
    // not kept in the list.
    QByteArray card;

    // Asks the processor to start loading the record itself (not its texts),
    // for a pass that reads only its flags; a null record asks nothing.
    static void prefetchRecord(const Contact *record);

private:
    // The further steps of prefetchAhead: the record's texts, the arrays of
    // its lists and its object data; the texts of its label lists.
    void prefetchParts() const;
    void prefetchEntries() const;
};

Q_DECLARE_METATYPE(Contact *)
