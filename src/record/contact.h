#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

class vCard;

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
    Q_PROPERTY(QStringList phoneList MEMBER phoneList)
    Q_PROPERTY(QStringList phoneGroupList MEMBER phoneGroupList)
    Q_PROPERTY(QStringList emailList MEMBER emailList)
    Q_PROPERTY(QStringList emailGroupList MEMBER emailGroupList)
    Q_PROPERTY(QStringList addressList MEMBER addressList)
    Q_PROPERTY(QStringList addressGroupList MEMBER addressGroupList)
    Q_PROPERTY(QStringList linkList MEMBER linkList)
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

    // A new id: the millisecond clock, but always larger than the last id
    // handed out in this process, so that fast copies never collide.
    static QString makeId();

    // The record as a vCard 3.0 document (defined with the vCard export);
    // photo is the image file's bytes (PNG as the stores keep it), written
    // as PHOTO when not empty.
    vCard toVCard(const QByteArray &photo = QByteArray()) const;
    // One line of the Google CSV export, padded to the given numbers of
    // e-mail, phone, address and website column groups.
    QString toGoogleCsvLine(int emails, int phones, int addresses, int links) const;

    bool isFavorite = false;
    QString id;
    QString name;
    QString surname;
    QString middlename;
    QString fullname;
    QString organization;
    QString dateOfBirth;
    QString comment;
    QStringList phoneList;
    QStringList phoneGroupList;
    QStringList emailList;
    QStringList emailGroupList;
    QStringList addressList;
    QStringList addressGroupList;
    QStringList linkList;
    bool importMe = true;
    // Base64 text of an image carried by an imported vCard; not a property.
    QByteArray photoData;
    // The id that an imported card (its UID) or database row gives the
    // record: this program's id of the contact it was exported from, so that
    // an import knows its own contacts again. Not a property, never stored,
    // not copied.
    QString uid;
};

Q_DECLARE_METATYPE(Contact *)
