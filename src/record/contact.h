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
    Q_PROPERTY(QStringList groups MEMBER groups)
    Q_PROPERTY(bool importMe MEMBER importMe)

public:
    explicit Contact(QObject *parent = nullptr);
    // A copy of the source's data under a fresh id. The parent is required so
    // that a copy can never be mistaken for the plain constructor.
    Contact(const Contact *source, QObject *parent);
    // Takes the source's names, texts and lists, the fields the editor
    // changes; the id, the star, the photo and the card stay.
    void takeFields(const Contact &source);

    // Surname, name and middle name joined by blanks, white space simplified.
    static QString composeFullName(const QString &surname, const QString &name,
                                   const QString &middlename);
    QString composedFullName() const;

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
    // The named groups the contact belongs to (see ContactGroups), kept in
    // the store's own tables beside the record.
    QStringList groups;
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
};

Q_DECLARE_METATYPE(Contact *)
