#include "storage/defaultdatabase.h"

#include "record/contact.h"
#include "storage/photoencoding.h"

#include <QSettings>
#include <QTimer>

namespace {

const QString ContactsGroup = QStringLiteral("contacts");
const QString PhotoKey = QStringLiteral("photoData");
const QString DistinctGroup = QStringLiteral("contactDistinct");
const QString GroupNamesKey = QStringLiteral("contactGroups/names");
const QString GroupsKey = QStringLiteral("groups");

// An id names one child group of "contacts": an empty id or one with a
// path separator would address the group itself or some other group.
bool isUsableId(const QString &id)
{
    return !id.isEmpty() && !id.contains(QLatin1Char('/')) && !id.contains(QLatin1Char('\\'));
}

// Every stored record has a "name" key, so its presence tells whether the
// id is stored (a lookup, not a scan of all groups).
bool isStored(QSettings &settings, const QString &id)
{
    return isUsableId(id)
           && settings.contains(ContactsGroup + QLatin1Char('/') + id + QStringLiteral("/name"));
}

QString photoKey(const QString &id)
{
    return ContactsGroup + QLatin1Char('/') + id + QLatin1Char('/') + PhotoKey;
}

} // namespace

DefaultDatabase::DefaultDatabase(QObject *parent)
    : DataBase(parent)
{
}

DefaultDatabase::~DefaultDatabase()
{
    flush();
}

QSettings &DefaultDatabase::settings()
{
    if (!m_settings) {
        m_settings = std::make_unique<QSettings>();
    }
    return *m_settings;
}

void DefaultDatabase::scheduleFlush()
{
    if (!m_flushScheduled) {
        m_flushScheduled = true;
        QTimer::singleShot(0, this, &DefaultDatabase::flush);
    }
}

void DefaultDatabase::flush()
{
    m_flushScheduled = false;
    if (m_settings) {
        m_settings->sync();
    }
}

bool DefaultDatabase::open(const QString &path)
{
    Q_UNUSED(path)
    return true;
}

QList<Contact *> DefaultDatabase::loadContacts()
{
    QList<Contact *> contacts;
    QSettings &settings = this->settings();
    settings.beginGroup(ContactsGroup);
    const QStringList ids = settings.childGroups();
    for (const QString &id : ids) {
        Contact::noteIdInUse(id.toLongLong());
        settings.beginGroup(id);
        const QString name = settings.value(QStringLiteral("name")).toString();
        const QString surname = settings.value(QStringLiteral("surname")).toString();
        const QString middlename = settings.value(QStringLiteral("middlename")).toString();
        const QString fullname = Contact::composeFullName(surname, name, middlename);
        if (!fullname.isEmpty()) {
            auto contact = new Contact(this);
            contact->id = id;
            contact->isFavorite = settings.value(QStringLiteral("isFavorite"), false).toBool();
            contact->name = name;
            contact->surname = surname;
            contact->middlename = middlename;
            contact->fullname = fullname;
            contact->organization = settings.value(QStringLiteral("organization")).toString();
            contact->dateOfBirth = settings.value(QStringLiteral("dateOfBirth")).toString();
            contact->comment = settings.value(QStringLiteral("comment")).toString();
            contact->phoneList = settings.value(QStringLiteral("phoneList")).toStringList();
            contact->phoneGroupList =
                    settings.value(QStringLiteral("phoneGroupList")).toStringList();
            contact->emailList = settings.value(QStringLiteral("emailList")).toStringList();
            contact->emailGroupList =
                    settings.value(QStringLiteral("emailGroupList")).toStringList();
            contact->addressList = settings.value(QStringLiteral("addressList")).toStringList();
            contact->addressGroupList =
                    settings.value(QStringLiteral("addressGroupList")).toStringList();
            contact->linkList = settings.value(QStringLiteral("linkList")).toStringList();
            contact->groups = settings.value(GroupsKey).toStringList();
            contacts.append(contact);
        }
        settings.endGroup();
    }
    settings.endGroup();
    return contacts;
}

// Writes the fourteen stored fields of the record; an existing photo keeps
// its value unless a new one is given.
void DefaultDatabase::writeContact(const Contact *contact, const QByteArray &photo)
{
    if (!isUsableId(contact->id)) {
        return;
    }
    QSettings &settings = this->settings();
    settings.beginGroup(ContactsGroup);
    settings.beginGroup(contact->id);
    settings.setValue(QStringLiteral("isFavorite"), contact->isFavorite);
    settings.setValue(QStringLiteral("name"), contact->name);
    settings.setValue(QStringLiteral("surname"), contact->surname);
    settings.setValue(QStringLiteral("middlename"), contact->middlename);
    settings.setValue(QStringLiteral("organization"), contact->organization);
    settings.setValue(QStringLiteral("dateOfBirth"), contact->dateOfBirth);
    settings.setValue(QStringLiteral("comment"), contact->comment);
    settings.setValue(QStringLiteral("phoneList"), contact->phoneList.toList());
    settings.setValue(QStringLiteral("phoneGroupList"), contact->phoneGroupList);
    settings.setValue(QStringLiteral("emailList"), contact->emailList.toList());
    settings.setValue(QStringLiteral("emailGroupList"), contact->emailGroupList);
    settings.setValue(QStringLiteral("addressList"), contact->addressList.toList());
    settings.setValue(QStringLiteral("addressGroupList"), contact->addressGroupList);
    settings.setValue(QStringLiteral("linkList"), contact->linkList.toList());
    if (contact->groups.isEmpty()) {
        settings.remove(GroupsKey);
    } else {
        settings.setValue(GroupsKey, contact->groups);
    }
    if (!photo.isEmpty()) {
        settings.setValue(PhotoKey, photo);
    }
    settings.endGroup();
    settings.endGroup();
    addGroups(contact->groups);
}

// A record imported with a photo keeps it: the photo is prepared as every
// stored photo is, and dropped when it is no image.
void DefaultDatabase::insertContact(Contact *contact)
{
    if (!contact) {
        return;
    }
    // Like the SQLite store: an id that is already taken changes nothing.
    if (isStored(settings(), contact->id)) {
        return;
    }
    writeContact(contact, PhotoEncoding::normalizeBase64(contact->photoData));
}

void DefaultDatabase::updateContact(Contact *contact)
{
    if (!contact) {
        return;
    }
    // An update of an unknown id must not create a record.
    if (!isStored(settings(), contact->id)) {
        return;
    }
    writeContact(contact, QByteArray());
}

void DefaultDatabase::removeContacts(const QStringList &ids)
{
    if (ids.isEmpty()) {
        return;
    }
    QSettings &settings = this->settings();
    settings.beginGroup(ContactsGroup);
    for (const QString &id : ids) {
        if (isUsableId(id)) {
            settings.remove(id);
        }
    }
    settings.endGroup();
    scheduleFlush();
}

void DefaultDatabase::toggleFavorite(const QString &id)
{
    QSettings &settings = this->settings();
    if (!isStored(settings, id)) {
        return;
    }
    settings.beginGroup(ContactsGroup);
    settings.beginGroup(id);
    const QString key = QStringLiteral("isFavorite");
    settings.setValue(key, !settings.value(key, false).toBool());
    settings.endGroup();
    settings.endGroup();
    scheduleFlush();
}

QByteArray DefaultDatabase::loadPhoto(const QString &id)
{
    if (!isUsableId(id)) {
        return QByteArray();
    }
    QSettings &settings = this->settings();
    const QByteArray photo = settings.value(photoKey(id)).toByteArray();
    return QByteArray::fromBase64(photo);
}

void DefaultDatabase::savePhoto(const QString &id, const QString &imagePath)
{
    QSettings &settings = this->settings();
    if (!isStored(settings, id)) {
        return;
    }
    const QByteArray photo = PhotoEncoding::encodeFile(imagePath);
    if (photo.isEmpty()) {
        return;
    }
    settings.setValue(photoKey(id), photo);
    flush();
}

void DefaultDatabase::savePhotoData(const QString &id, const QByteArray &base64)
{
    QSettings &settings = this->settings();
    if (!isStored(settings, id)) {
        return;
    }
    const QByteArray photo = PhotoEncoding::normalizeBase64(base64);
    if (photo.isEmpty()) {
        return;
    }
    settings.setValue(photoKey(id), photo);
    scheduleFlush();
}

QList<QPair<QString, QString>> DefaultDatabase::distinctPairs()
{
    QList<QPair<QString, QString>> pairs;
    QSettings &settings = this->settings();
    settings.beginGroup(DistinctGroup);
    for (const QString &pair : settings.childKeys()) {
        const QStringList ids = pair.split(QLatin1Char('-'));
        if (ids.size() == 2) {
            pairs.append({ids.at(0), ids.at(1)});
        }
    }
    settings.endGroup();
    return pairs;
}

void DefaultDatabase::addDistinctPair(const QString &first, const QString &second)
{
    if (!isUsableId(first) || !isUsableId(second)) {
        return;
    }
    const QString pair =
            first < second ? first + QLatin1Char('-') + second : second + QLatin1Char('-') + first;
    settings().setValue(DistinctGroup + QLatin1Char('/') + pair, true);
    scheduleFlush();
}

QStringList DefaultDatabase::groupNames()
{
    return settings().value(GroupNamesKey).toStringList();
}

void DefaultDatabase::addGroups(const QStringList &names)
{
    QStringList known = groupNames();
    for (const QString &name : names) {
        if (!known.contains(name)) {
            known.append(name);
        }
    }
    settings().setValue(GroupNamesKey, known);
    scheduleFlush();
}

void DefaultDatabase::addGroup(const QString &name)
{
    addGroups({name});
}

// Every member's list is written anew: the settings file keeps each
// contact's groups with its other fields.
void DefaultDatabase::changeGroup(const QString &name, const QString &renamed)
{
    QSettings &settings = this->settings();
    QStringList known = groupNames();
    known.removeAll(name);
    if (!renamed.isEmpty() && !known.contains(renamed)) {
        known.append(renamed);
    }
    settings.setValue(GroupNamesKey, known);
    settings.beginGroup(ContactsGroup);
    for (const QString &id : settings.childGroups()) {
        const QString key = id + QLatin1Char('/') + GroupsKey;
        QStringList groups = settings.value(key).toStringList();
        if (groups.removeAll(name) > 0) {
            if (!renamed.isEmpty() && !groups.contains(renamed)) {
                groups.append(renamed);
            }
            settings.setValue(key, groups);
        }
    }
    settings.endGroup();
    scheduleFlush();
}

void DefaultDatabase::renameGroup(const QString &from, const QString &to)
{
    changeGroup(from, to);
}

void DefaultDatabase::removeGroup(const QString &name)
{
    changeGroup(name, QString());
}
