#include "model/contactsmodel.h"

#include "record/contact.h"
#include "record/contactmerge.h"
#include "record/duplicatemerge.h"
#include "storage/database.h"
#include "vcard/cardcombine.h"

#include <QLocale>
#include <QSettings>

#include <algorithm>
#include <functional>
#include <numeric>

namespace {
const QString englishAlphabetKey = QStringLiteral("englishAlphabet");

// Each role: its name in the scenes and its value for a record.
struct RoleField
{
    int role;
    const char *name;
    QVariant (*get)(const Contact &);
};
using M = ContactsModel;
const RoleField roleFields[] = {
        {M::IdRole, "idString", [](const Contact &c) -> QVariant { return c.id; }},
        {M::FavoriteRole, "isFavorite", [](const Contact &c) -> QVariant { return c.isFavorite; }},
        {M::NameRole, "name", [](const Contact &c) -> QVariant { return c.name; }},
        {M::SurnameRole, "surname", [](const Contact &c) -> QVariant { return c.surname; }},
        {M::MiddleNameRole, "middlename", [](const Contact &c) -> QVariant { return c.middlename; }},
        {M::FullNameRole, "fullname", [](const Contact &c) -> QVariant { return c.fullname; }},
        {M::OrganizationRole, "organization",
         [](const Contact &c) -> QVariant { return c.organization; }},
        {M::BirthDateRole, "dateOfBirth", [](const Contact &c) -> QVariant { return c.dateOfBirth; }},
        {M::CommentRole, "comment", [](const Contact &c) -> QVariant { return c.comment; }},
        {M::PhoneListRole, "phones", [](const Contact &c) -> QVariant { return c.phoneList.toList(); }},
        {M::PhoneGroupListRole, "phoneGroups",
         [](const Contact &c) -> QVariant { return c.phoneGroupList; }},
        {M::EmailListRole, "emails", [](const Contact &c) -> QVariant { return c.emailList.toList(); }},
        {M::EmailGroupListRole, "emailGroups",
         [](const Contact &c) -> QVariant { return c.emailGroupList; }},
        {M::AddressListRole, "addresses",
         [](const Contact &c) -> QVariant { return c.addressList.toList(); }},
        {M::AddressGroupListRole, "addressGroups",
         [](const Contact &c) -> QVariant { return c.addressGroupList; }},
        {M::LinkListRole, "links", [](const Contact &c) -> QVariant { return c.linkList.toList(); }},
        {M::GroupsRole, "groups", [](const Contact &c) -> QVariant { return c.groups; }},
};
} // namespace

ContactsModel::ContactsModel(QObject *parent)
    : QAbstractListModel(parent)
{
    qRegisterMetaType<Contact *>();
    qRegisterMetaType<DataBase *>();
    // Connected first, so that the index has followed a change before any
    // view hears of it.
    connect(this, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) { m_index.rowsInserted(first, last); });
    connect(this, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex &, int first, int last) { m_index.rowsRemoved(first, last); });
    connect(this, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &topLeft, const QModelIndex &bottomRight,
                   const QVector<int> &roles) {
                // A star or a group changes no sort or search text.
                if (roles != QVector<int>{FavoriteRole} && roles != QVector<int>{GroupsRole}) {
                    m_index.rowsChanged(topLeft.row(), bottomRight.row());
                }
            });

    // Russian initials are the default only for a Russian (Russia) locale.
    const bool defaultEnglish = QLocale().name() != QLatin1String("ru_RU");
    m_englishAlphabet = QSettings().value(englishAlphabetKey, defaultEnglish).toBool();
    buildAlphabet();
    emit englishAlphabetChanged();
    emit alphabetChanged();
    connect(this, &QAbstractItemModel::rowsInserted, this, &ContactsModel::countChanged);
    connect(this, &QAbstractItemModel::rowsRemoved, this, &ContactsModel::countChanged);
    connect(this, &QAbstractItemModel::modelReset, this, &ContactsModel::countChanged);
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved}) {
        connect(this, signal, this, [this] { m_rowOfId.clear(); });
    }
    connect(this, &QAbstractItemModel::modelReset, this, [this] { m_rowOfId.clear(); });
    connect(this, &QAbstractItemModel::layoutChanged, this, [this] { m_rowOfId.clear(); });
}

ContactsModel::~ContactsModel()
{
    qDeleteAll(m_contacts);
    qDeleteAll(m_removed);
    qDeleteAll(m_queued);
}

int ContactsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_contacts.size();
}

QVariant ContactsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.model() != this || index.column() != 0
        || index.row() >= m_contacts.size()) {
        return QVariant();
    }
    return dataOf(*m_contacts.at(index.row()), role);
}

QVariant ContactsModel::dataOf(const Contact &contact, int role)
{
    for (const RoleField &field : roleFields) {
        if (field.role == role) {
            return field.get(contact);
        }
    }
    return QVariant();
}

QString ContactsModel::textOf(const Contact &contact, int role)
{
    switch (role) {
    case NameRole:
        return contact.name;
    case SurnameRole:
        return contact.surname;
    case MiddleNameRole:
        return contact.middlename;
    case OrganizationRole:
        return contact.organization;
    case FullNameRole:
        return contact.fullname;
    default:
        return dataOf(contact, role).toString();
    }
}

QHash<int, QByteArray> ContactsModel::roleNames() const
{
    QHash<int, QByteArray> names;
    for (const RoleField &field : roleFields) {
        names.insert(field.role, QByteArray(field.name));
    }
    return names;
}

void ContactsModel::setAlphabet(const QStringList &alphabet)
{
    if (m_alphabet == alphabet) {
        return;
    }
    m_alphabet = alphabet;
    emit alphabetChanged();
}

void ContactsModel::setEnglishAlphabet(bool englishAlphabet)
{
    if (m_englishAlphabet == englishAlphabet) {
        return;
    }
    m_englishAlphabet = englishAlphabet;
    emit englishAlphabetChanged();
}

// Russian initials run from А to Я without Ё, Й, Щ, Ъ, Ы and Ь: no Russian
// name starts with them often enough to deserve a place in the index.
void ContactsModel::buildAlphabet()
{
    const QString letters = m_englishAlphabet ? QStringLiteral("#ABCDEFGHIJKLMNOPQRSTUVWXYZ")
                                              : QStringLiteral("#АБВГДЕЖЗИКЛМНОПРСТУФХЦЧШЭЮЯ");
    m_alphabet.clear();
    for (const QChar letter : letters) {
        m_alphabet.append(QString(letter));
    }
}

void ContactsModel::changeAlphabet(bool englishAlphabet)
{
    if (englishAlphabet == m_englishAlphabet) {
        return;
    }
    m_englishAlphabet = englishAlphabet;
    QSettings().setValue(englishAlphabetKey, englishAlphabet);
    buildAlphabet();
    emit englishAlphabetChanged();
    emit alphabetChanged();
}

void ContactsModel::setDataBase(DataBase *db)
{
    // A removal is undone only into the store it was taken from.
    if (db != m_store) {
        dropUndo();
    }
    m_store = db;
}

void ContactsModel::release(Contact *contact)
{
    contact->deleteLater();
}

void ContactsModel::loadModel()
{
    dropUndo();
    // Queued contacts are in the store already: the reload reads them back.
    std::for_each(m_queued.begin(), m_queued.end(), &ContactsModel::release);
    m_queued.clear();
    if (!m_contacts.isEmpty()) {
        beginRemoveRows(QModelIndex(), 0, m_contacts.size() - 1);
        const QVector<Contact *> dropped = std::exchange(m_contacts, {});
        endRemoveRows();
        // Released only after the removal is announced, so that nothing that
        // still looks at the old rows meets a deleted record.
        std::for_each(dropped.begin(), dropped.end(), &ContactsModel::release);
    }
    if (!m_store) {
        return;
    }
    QList<Contact *> loaded = m_store->loadContacts();
    loaded.removeAll(nullptr);
    m_groups.reset(m_store->groupNames());
    // The model owns the records from now on, through its list, whatever
    // parent the store gave them: a store that goes away must not take the
    // rows with it. They get no parent: making the model the parent of each
    // of 100,000 records cost the start-up some 40 M instructions, and no
    // record of the list is handed to the scenes. The book has the groups
    // of every record.
    for (Contact *contact : qAsConst(loaded)) {
        contact->setParent(nullptr);
        m_groups.adopt(*contact);
    }
    m_groupsAdded = false;
    emit groupsChanged();
    appendRows(loaded.toVector());
}

void ContactsModel::appendRows(const QVector<Contact *> &contacts)
{
    if (contacts.isEmpty()) {
        return;
    }
    beginInsertRows(QModelIndex(), m_contacts.size(), m_contacts.size() + contacts.size() - 1);
    m_contacts += contacts;
    endInsertRows();
}

Contact *ContactsModel::storedCopy(Contact *contact, const QString &photoPath)
{
    auto *copy = new Contact(contact, this);
    adoptGroups(copy);
    if (m_store) {
        // The card an imported record came from is stored with it, not listed.
        copy->card = contact->card;
        m_store->insertContact(copy);
        copy->card.clear();
        m_store->savePhoto(copy->id, photoPath);
    }
    return copy;
}

void ContactsModel::addContact(Contact *contact, const QString &photoPath)
{
    if (!contact) {
        return;
    }
    addQueuedContacts();
    appendRows({storedCopy(contact, photoPath)});
    announceGroups();
}

void ContactsModel::queueContact(Contact *contact)
{
    if (contact) {
        m_queued.append(storedCopy(contact, QString()));
    }
}

void ContactsModel::addQueuedContacts()
{
    // The import is over: its merges need the rows' ids no longer, and the
    // groups its records and merges brought are announced.
    m_rowOfId.clear();
    announceGroups();
    appendRows(std::exchange(m_queued, {}));
}

void ContactsModel::takeStoredContacts(const QVariantList &stored, const QStringList &removedIds)
{
    addQueuedContacts();
    QVector<int> gone;
    for (const QString &id : removedIds) {
        const int row = rowOfId(id);
        if (row >= 0) {
            gone.append(row);
        }
    }
    const QVector<Contact *> dropped = takeRows(gone);
    std::for_each(dropped.begin(), dropped.end(), &ContactsModel::release);
    QVector<Contact *> added;
    QHash<QString, int> addedAt;
    for (const QVariant &value : stored) {
        const auto *record = value.value<Contact *>();
        if (!record) {
            continue;
        }
        auto *copy = new Contact(record, this);
        copy->id = record->id;
        adoptGroups(copy);
        const int row = rowOfId(copy->id);
        if (row >= 0) {
            release(std::exchange(m_contacts[row], copy));
            emit dataChanged(index(row), index(row), {});
        } else if (addedAt.contains(copy->id)) {
            release(std::exchange(added[addedAt.value(copy->id)], copy));
        } else {
            addedAt.insert(copy->id, added.size());
            added.append(copy);
        }
    }
    appendRows(added);
    announceGroups();
}

int ContactsModel::rowOfId(const QString &id)
{
    if (m_rowOfId.isEmpty()) {
        m_rowOfId.reserve(m_contacts.size());
        for (int row = 0; row < m_contacts.size(); ++row) {
            m_rowOfId.insert(m_contacts.at(row)->id, row);
        }
    }
    return m_rowOfId.value(id, -1);
}

void ContactsModel::mergeContact(const QString &id, Contact *imported)
{
    const int row = imported ? rowOfId(id) : -1;
    if (row < 0) {
        return;
    }
    Contact *contact = m_contacts.at(row);
    const bool changed = ContactMerge::mergeInto(contact, *imported);
    adoptGroups(contact);
    if (m_store && changed) {
        m_store->updateContact(contact);
    }
    if (m_store && !imported->photoData.isEmpty() && m_store->loadPhoto(id).isEmpty()) {
        m_store->savePhotoData(id, imported->photoData);
    }
    if (changed) {
        emit dataChanged(index(row), index(row), {});
    }
}

void ContactsModel::adoptGroups(Contact *contact)
{
    m_groupsAdded = m_groups.adopt(*contact) || m_groupsAdded;
}

// Once per change of the book, however many groups it brought: an import
// of thousands of groups is one change.
void ContactsModel::announceGroups()
{
    if (std::exchange(m_groupsAdded, false)) {
        emit groupsChanged();
    }
}

void ContactsModel::storeGroup(const QString &name)
{
    const QString spelling = m_groups.add(name);
    if (spelling.isEmpty()) {
        return;
    }
    m_groupsAdded = true;
    if (m_store) {
        m_store->addGroup(spelling);
    }
}

void ContactsModel::addGroups(const QStringList &names)
{
    for (const QString &name : names) {
        storeGroup(name);
    }
    announceGroups();
}

QVariantList ContactsModel::groupCounts() const
{
    const QHash<QString, int> counts = GroupList::counts(m_contacts);
    QVariantList list;
    for (const QString &name : m_groups.names()) {
        list.append(QVariantMap{{QStringLiteral("name"), name},
                                {QStringLiteral("count"), counts.value(name)}});
    }
    return list;
}

QString ContactsModel::groupNamed(const QString &name) const
{
    const int index = ContactGroups::indexIn(m_groups.names(), name);
    return index < 0 ? QString() : m_groups.names().at(index);
}

bool ContactsModel::addGroup(const QString &name)
{
    storeGroup(name);
    const bool added = m_groupsAdded;
    announceGroups();
    return added;
}

bool ContactsModel::renameGroup(const QString &from, const QString &to)
{
    return !ContactGroups::cleaned(to).isEmpty() && changeGroup(from, to);
}

bool ContactsModel::removeGroup(const QString &name)
{
    return changeGroup(name, QString());
}

// The store changes the members in one statement; the rows announce it.
bool ContactsModel::changeGroup(const QString &from, const QString &to)
{
    if (!m_groups.contains(from)) {
        return false;
    }
    const QString name = ContactGroups::spellingIn(m_groups.names(), from);
    const QVector<int> rows = m_groups.change(m_contacts, name, to);
    const QString renamed =
            to.isEmpty() ? QString() : ContactGroups::spellingIn(m_groups.names(), to);
    if (m_store) {
        if (renamed.isEmpty()) {
            m_store->removeGroup(name);
        } else {
            m_store->renameGroup(name, renamed);
        }
    }
    // Views that show the group follow it before its members change.
    emit groupRenamed(name, renamed);
    for (int first = 0, last = 0; first < rows.size(); first = last) {
        while (++last < rows.size() && rows.at(last) == rows.at(last - 1) + 1) { }
        emit dataChanged(index(rows.at(first)), index(rows.at(last - 1)), {GroupsRole});
    }
    emit groupsChanged();
    return true;
}

QList<Contact *> ContactsModel::bookContacts() const
{
    return QList<Contact *>(m_contacts.cbegin(), m_contacts.cend());
}

QVariantList ContactsModel::getAllContacts() const
{
    QVariantList list;
    list.reserve(m_contacts.size());
    for (Contact *contact : m_contacts) {
        list.append(QVariant::fromValue(contact));
    }
    return list;
}

bool ContactsModel::isRow(const QModelIndex &index) const
{
    return index.isValid() && index.model() == this && index.row() >= 0
           && index.row() < m_contacts.size();
}

const Contact *ContactsModel::contactAt(int row) const
{
    return row >= 0 && row < m_contacts.size() ? m_contacts.at(row) : nullptr;
}

void ContactsModel::saveContactChanges(const QModelIndex &index, Contact *source,
                                       const QString &photoPath)
{
    if (!isRow(index) || !source) {
        return;
    }
    Contact *contact = m_contacts.at(index.row());
    contact->takeFields(*source);
    adoptGroups(contact);
    if (m_store) {
        m_store->updateContact(contact);
        m_store->savePhoto(contact->id, photoPath);
    }
    emit dataChanged(index, index, {});
    announceGroups();
}

void ContactsModel::toggleFavorite(const QModelIndex &index)
{
    if (!isRow(index)) {
        return;
    }
    Contact *contact = m_contacts.at(index.row());
    if (m_store) {
        m_store->toggleFavorite(contact->id);
    }
    contact->isFavorite = !contact->isFavorite;
    emit dataChanged(index, index, {FavoriteRole});
}

void ContactsModel::savePhoto(const QModelIndex &index, const QString &photoPath)
{
    if (!isRow(index) || !m_store) {
        return;
    }
    m_store->savePhoto(m_contacts.at(index.row())->id, photoPath);
}

void ContactsModel::removeContacts(const QModelIndexList &indexes)
{
    QVector<int> rows;
    rows.reserve(indexes.size());
    for (const QModelIndex &index : indexes) {
        if (isRow(index)) {
            rows.append(index.row());
        }
    }
    addQueuedContacts();
    if (rows.isEmpty()) {
        return;
    }
    dropUndo();
    removeUndoably(rows);
    emit undoableCountChanged();
}

// The records keep their photos, cards and the digests the cards were kept
// with, so that an undo stores each as it was.
void ContactsModel::removeUndoably(const QVector<int> &rows)
{
    m_removed = takeRows(rows);
    QStringList ids;
    ids.reserve(m_removed.size());
    for (const Contact *contact : qAsConst(m_removed)) {
        ids.append(contact->id);
    }
    if (m_store) {
        m_removedDigests = m_store->loadPhotosAndCards(m_removed);
        m_store->removeContacts(ids);
    }
}

// Takes the rows out of the list (repeats ignored), lowest first. Rows that
// are not one run are first moved behind the others, both keeping their
// order, so that they go in one removal: a view follows one change, not
// one per row.
QVector<Contact *> ContactsModel::takeRows(QVector<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.isEmpty()) {
        return {};
    }
    int first = rows.first();
    const int count = rows.size();
    if (rows.last() - first + 1 != count) {
        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        std::vector<int> from(size_t(m_contacts.size()));
        std::iota(from.begin(), from.end(), 0);
        std::stable_partition(from.begin(), from.end(), [&rows](int row) {
            return !std::binary_search(rows.cbegin(), rows.cend(), row);
        });
        std::vector<int> to(from.size());
        QVector<Contact *> moved;
        moved.reserve(m_contacts.size());
        for (size_t row = 0; row < from.size(); ++row) {
            to[size_t(from[row])] = int(row);
            moved.append(m_contacts.at(from[row]));
        }
        m_contacts = moved;
        const QModelIndexList persistent = persistentIndexList();
        QModelIndexList now;
        for (const QModelIndex &index : persistent) {
            now.append(this->index(to[size_t(index.row())]));
        }
        changePersistentIndexList(persistent, now);
        m_index.rowsMoved(from);
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
        first = m_contacts.size() - count;
    }
    beginRemoveRows(QModelIndex(), first, first + count - 1);
    const QVector<Contact *> taken = m_contacts.mid(first, count);
    m_contacts.remove(first, count);
    endRemoveRows();
    return taken;
}

// After a merge the merged contact goes first; its records come back with
// the others.
void ContactsModel::undoRemoval()
{
    if (m_removed.isEmpty()) {
        return;
    }
    const int mergedRow = m_mergedId.isEmpty() ? -1 : rowOfId(std::exchange(m_mergedId, {}));
    if (mergedRow >= 0) {
        if (m_store) {
            m_store->removeContacts({m_contacts.at(mergedRow)->id});
        }
        const QVector<Contact *> merged = takeRows({mergedRow});
        std::for_each(merged.begin(), merged.end(), &ContactsModel::release);
    }
    const QVector<Contact *> restored = std::exchange(m_removed, {});
    const QVector<QByteArray> digests = std::exchange(m_removedDigests, {});
    for (int i = 0; i < restored.size(); ++i) {
        Contact *contact = restored.at(i);
        if (m_store) {
            m_store->insertContact(contact);
            m_store->saveCard(contact->id, contact->card, digests.value(i));
        }
        contact->photoData.clear();
        contact->card.clear();
    }
    // Back in the order they were listed in.
    appendRows(restored);
    emit undoableCountChanged();
}

void ContactsModel::dropUndo()
{
    m_mergedId.clear();
    if (m_removed.isEmpty()) {
        return;
    }
    const QVector<Contact *> dropped = std::exchange(m_removed, {});
    m_removedDigests.clear();
    std::for_each(dropped.begin(), dropped.end(), &ContactsModel::release);
    emit undoableCountChanged();
}

QVector<Contact *> ContactsModel::storedRecords(const QStringList &ids,
                                                QVector<QByteArray> *cardDigests)
{
    QVector<Contact *> records;
    for (const QString &id : ids) {
        const int row = rowOfId(id);
        if (row >= 0) {
            records.append(new Contact(m_contacts.at(row), nullptr));
            records.last()->id = id;
        }
    }
    const QVector<QByteArray> digests =
            m_store ? m_store->loadPhotosAndCards(records) : QVector<QByteArray>(records.size());
    if (cardDigests) {
        *cardDigests = digests;
    }
    return records;
}

// The contacts are removed as a removal takes them, undoably; the merged
// one comes as a new row under the kept id, its card kept with the digest
// the kept card had, so that a photo chosen from another contact is not
// taken for the card's own.
bool ContactsModel::mergeContacts(const QStringList &ids, const QVariantMap &choices)
{
    addQueuedContacts();
    QVector<QByteArray> digests;
    QVector<Contact *> records = storedRecords(ids, &digests);
    if (records.size() < 2) {
        qDeleteAll(records);
        return false;
    }
    const std::unique_ptr<Contact> merged = DuplicateMerge::mergeAll(
            QVector<const Contact *>(records.cbegin(), records.cend()), choices);
    QVector<int> rows;
    QByteArray keptDigest;
    for (int i = 0; i < records.size(); ++i) {
        const Contact *record = records.at(i);
        rows.append(rowOfId(record->id));
        if (record->id == merged->id) {
            keptDigest = digests.at(i);
        } else if (!record->card.isEmpty()) {
            merged->card = CardCombine::withPropertiesOf(merged->card, record->card);
        }
    }
    qDeleteAll(records);
    dropUndo();
    removeUndoably(rows);
    auto *contact = new Contact(merged.get(), this);
    contact->id = merged->id;
    contact->photoData.clear();
    adoptGroups(contact);
    if (m_store) {
        m_store->insertContact(merged.get());
        m_store->saveCard(merged->id, merged->card, keptDigest);
    }
    appendRows({contact});
    m_mergedId = merged->id;
    emit undoableCountChanged();
    announceGroups();
    return true;
}
