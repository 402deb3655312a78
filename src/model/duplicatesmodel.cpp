#include "model/duplicatesmodel.h"

#include "model/contactsmodel.h"
#include "record/contact.h"
#include "record/duplicatemerge.h"
#include "storage/database.h"

#include <QThread>

#include <memory>

namespace {

// A list and its labels in words: "+49 30 1234567 (Mobile)".
QStringList labelled(const QStringList &values, const QStringList &labels)
{
    QStringList lines;
    for (int i = 0; i < values.size(); ++i) {
        const QString label = labels.value(i);
        lines << (label.isEmpty() ? values.at(i)
                                  : values.at(i) + QStringLiteral(" (") + label + ')');
    }
    return lines;
}

// Each conflict with the value the merge keeps now ("chosen").
QVariantList conflictsInWords(const QVector<DuplicateMerge::Conflict> &conflicts,
                              const Contact &merged, const QString &photoId)
{
    QVariantList list;
    for (const DuplicateMerge::Conflict &conflict : conflicts) {
        const QString chosen[] = {merged.fullname, merged.organization, merged.dateOfBirth,
                                  photoId};
        list.append(
                QVariantMap{{QStringLiteral("field"), DuplicateMerge::fieldName(conflict.field)},
                            {QStringLiteral("label"), conflict.label},
                            {QStringLiteral("values"), conflict.values},
                            {QStringLiteral("chosen"), chosen[conflict.field]}});
    }
    return list;
}

} // namespace

DuplicatesModel::DuplicatesModel(QObject *parent)
    : QAbstractListModel(parent)
{
    connect(this, &QAbstractItemModel::rowsRemoved, this, &DuplicatesModel::countChanged);
    connect(this, &QAbstractItemModel::modelReset, this, &DuplicatesModel::countChanged);
}

// A search still running is waited for: it reads only its own copy. Its
// thread, a child of the model, goes with it.
DuplicatesModel::~DuplicatesModel()
{
    if (m_worker) {
        m_worker->wait();
    }
}

int DuplicatesModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_groups.size();
}

QVariant DuplicatesModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_groups.size()) {
        return QVariant();
    }
    switch (role) {
    case IdsRole:
        return m_groups.at(index.row()).ids;
    case NamesRole:
        return m_groups.at(index.row()).names;
    case ReasonsRole:
        return m_groups.at(index.row()).reasons;
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> DuplicatesModel::roleNames() const
{
    return {{IdsRole, "ids"}, {NamesRole, "names"}, {ReasonsRole, "reasons"}};
}

void DuplicatesModel::setContactsModel(ContactsModel *model)
{
    if (m_contacts == model) {
        return;
    }
    m_contacts = model;
    emit contactsModelChanged();
}

void DuplicatesModel::setDataBase(DataBase *store)
{
    if (m_store == store) {
        return;
    }
    m_store = store;
    emit dataBaseChanged();
}

void DuplicatesModel::find()
{
    if (m_busy || !m_contacts) {
        return;
    }
    auto entries = std::make_shared<QVector<DuplicateFinder::Entry>>();
    entries->reserve(m_contacts->rowCount());
    for (int row = 0; row < m_contacts->rowCount(); ++row) {
        entries->append(DuplicateFinder::entryOf(*m_contacts->contactAt(row)));
    }
    DuplicateFinder finder;
    QSet<QPair<QString, QString>> distinct;
    for (const auto &pair : m_store ? m_store->distinctPairs() : QList<QPair<QString, QString>>()) {
        distinct.insert(DuplicateFinder::pairOf(pair.first, pair.second));
    }
    finder.setDistinctPairs(distinct);
    auto found = std::make_shared<QVector<DuplicateFinder::Group>>();
    // The entries are let go of on the search's thread too.
    m_worker = QThread::create([finder, entries, found] {
        *found = finder.find(*entries);
        *entries = {};
    });
    m_worker->setParent(this);
    connect(m_worker, &QThread::finished, this, [this, found] {
        m_worker->deleteLater();
        m_worker = nullptr;
        beginResetModel();
        m_groups = *found;
        endResetModel();
        m_busy = false;
        emit busyChanged();
    });
    m_busy = true;
    emit busyChanged();
    m_worker->start();
}

QVariantMap DuplicatesModel::preview(int row, const QVariantMap &choices) const
{
    if (row < 0 || row >= m_groups.size() || !m_contacts) {
        return {};
    }
    const QVector<Contact *> records = m_contacts->storedRecords(m_groups.at(row).ids);
    QVector<DuplicateMerge::Conflict> conflicts;
    const std::unique_ptr<Contact> merged = DuplicateMerge::mergeAll(
            QVector<const Contact *>(records.cbegin(), records.cend()), choices, &conflicts);
    QString photoId;
    for (const Contact *record : records) {
        if (photoId.isEmpty() && !record->photoData.isEmpty() && merged
            && DuplicateMerge::isSamePhoto(record->photoData, merged->photoData)) {
            photoId = record->id;
        }
    }
    qDeleteAll(records);
    if (!merged) {
        return {};
    }
    const QStringList details = labelled(merged->phones(), merged->phoneGroupList)
                                + labelled(merged->emails(), merged->emailGroupList)
                                + labelled(merged->addresses(), merged->addressGroupList)
                                + merged->links();
    return {{QStringLiteral("fullname"), merged->fullname},
            {QStringLiteral("organization"), merged->organization},
            {QStringLiteral("dateOfBirth"), merged->dateOfBirth},
            {QStringLiteral("comment"), merged->comment},
            {QStringLiteral("favorite"), merged->isFavorite},
            {QStringLiteral("photoId"), photoId},
            {QStringLiteral("details"), details},
            {QStringLiteral("conflicts"), conflictsInWords(conflicts, *merged, photoId)}};
}

bool DuplicatesModel::merge(int row, const QVariantMap &choices)
{
    if (row < 0 || row >= m_groups.size() || !m_contacts
        || !m_contacts->mergeContacts(m_groups.at(row).ids, choices)) {
        return false;
    }
    removeGroup(row);
    return true;
}

void DuplicatesModel::markDistinct(int row)
{
    if (row < 0 || row >= m_groups.size()) {
        return;
    }
    const QStringList ids = m_groups.at(row).ids;
    for (int i = 0; m_store && i < ids.size(); ++i) {
        for (int j = i + 1; j < ids.size(); ++j) {
            m_store->addDistinctPair(ids.at(i), ids.at(j));
        }
    }
    removeGroup(row);
}

void DuplicatesModel::removeGroup(int row)
{
    beginRemoveRows(QModelIndex(), row, row);
    m_groups.remove(row);
    endRemoveRows();
}
