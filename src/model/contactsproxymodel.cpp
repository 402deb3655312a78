#include "contactsproxymodel.h"

#include "contact.h"

#include <QLocale>
#include <QSettings>

#include <algorithm>

namespace {
const QString sortRoleKey = QStringLiteral("sortRole");
const QString groupLabelsKey = QStringLiteral("groupLabels");

bool isContactRole(int role)
{
    return role >= ContactsModel::IdRole && role <= ContactsModel::LinkListRole;
}

// The initial of a sort text as the letter index shows it: the first
// character (a whole surrogate pair when there is one), upper-cased.
QString initialOf(const QString &text)
{
    const int length = text.size() > 1 && text.at(0).isHighSurrogate()
                               && text.at(1).isLowSurrogate()
                       ? 2
                       : 1;
    return text.left(length).toUpper();
}
} // namespace

bool modelIndexRowLessThan(const QModelIndex &a, const QModelIndex &b)
{
    return a.row() < b.row();
}

ContactsProxyModel::ContactsProxyModel(QObject *parent)
    : QSortFilterProxyModel(parent)
    , m_newContact(new Contact(this))
    , m_collator(QLocale())
{
    // QString::localeAwareCompare collates with a collator made from the
    // default locale on its first use; touching it now makes it and the
    // collator above follow the same locale.
    QString::localeAwareCompare(QStringLiteral("a"), QStringLiteral("b"));
    m_plainOrder = m_collator.locale().language() == QLocale::C;

    QSettings settings;
    const int savedRole = settings.value(sortRoleKey, int(ContactsModel::FullNameRole)).toInt();
    // A value that names no contact role (a damaged settings file) would
    // leave the list unsorted; it falls back to the full name.
    m_sortRole = isContactRole(savedRole) ? ContactsModel::ContactRoles(savedRole)
                                          : ContactsModel::FullNameRole;
    m_groupLabels = settings.value(groupLabelsKey, defaultGroupLabels()).toStringList();

    QSortFilterProxyModel::setSortRole(m_sortRole);
    setFilterRole(ContactsModel::FullNameRole);
    setFilterCaseSensitivity(Qt::CaseInsensitive);
}

ContactsProxyModel::~ContactsProxyModel() = default;

QStringList ContactsProxyModel::defaultGroupLabels()
{
    return {tr("Mobile"), tr("Home"), tr("Work"), tr("Create new")};
}

void ContactsProxyModel::setCurrentIndex(int index)
{
    if (m_currentIndex == index) {
        return;
    }
    m_currentIndex = index;
    emit currentIndexChanged();
}

void ContactsProxyModel::setExistingLetters(const QStringList &letters)
{
    if (m_existingLetters == letters) {
        return;
    }
    m_existingLetters = letters;
    emit existingLettersChanged();
}

void ContactsProxyModel::setContactsToRemove(const QStringList &rows)
{
    m_contactsToRemove = rows;
}

void ContactsProxyModel::setGroupLabels(const QStringList &labels)
{
    if (m_groupLabels == labels) {
        return;
    }
    m_groupLabels = labels;
    emit groupLabelsChanged();
}

void ContactsProxyModel::setNewContact(Contact *contact)
{
    m_newContact = contact;
}

void ContactsProxyModel::setSortRoleValue(ContactsModel::ContactRoles role)
{
    if (m_sortRole == role) {
        return;
    }
    m_sortRole = role;
    resetKeys();
    emit sortRoleChanged();
}

QVariant ContactsProxyModel::currentData(int role) const
{
    if (m_currentIndex < 0 || m_currentIndex >= rowCount()) {
        return QVariant();
    }
    return data(index(m_currentIndex, 0), role);
}

void ContactsProxyModel::setSourceModel(ContactsModel *sourceModel)
{
    if (sourceModel == m_source) {
        return;
    }
    resetKeys();
    // The key cache follows the source's rows; its handlers are connected
    // before the base class's so that a re-sort after a source change never
    // reads a stale key.
    connectKeyCache(sourceModel);
    m_source = sourceModel;
    QSortFilterProxyModel::setSourceModel(sourceModel);
}

void ContactsProxyModel::connectKeyCache(ContactsModel *model)
{
    for (const QMetaObject::Connection &connection : qAsConst(m_keyConnections)) {
        disconnect(connection);
    }
    m_keyConnections.clear();
    if (!model) {
        return;
    }
    m_keyConnections
            << connect(model, &QAbstractItemModel::rowsInserted, this,
                       [this](const QModelIndex &parent, int first, int last) {
                           if (parent.isValid() || first > int(m_keys.size())) {
                               resetKeys();
                               return;
                           }
                           m_keys.insert(m_keys.begin() + first, size_t(last - first + 1),
                                         RowKey());
                       })
            << connect(model, &QAbstractItemModel::rowsRemoved, this,
                       [this](const QModelIndex &parent, int first, int last) {
                           if (parent.isValid() || last >= int(m_keys.size())) {
                               resetKeys();
                               return;
                           }
                           m_keys.erase(m_keys.begin() + first, m_keys.begin() + last + 1);
                       })
            << connect(model, &QAbstractItemModel::dataChanged, this,
                       [this](const QModelIndex &topLeft, const QModelIndex &bottomRight,
                              const QVector<int> &roles) {
                           if (!roles.isEmpty() && !roles.contains(m_sortRole)) {
                               return;
                           }
                           const int last = qMin(bottomRight.row(), int(m_keys.size()) - 1);
                           for (int row = qMax(0, topLeft.row()); row <= last; ++row) {
                               m_keys[size_t(row)] = RowKey();
                           }
                       })
            << connect(model, &QAbstractItemModel::modelReset, this,
                       &ContactsProxyModel::resetKeys)
            << connect(model, &QAbstractItemModel::layoutChanged, this,
                       &ContactsProxyModel::resetKeys)
            << connect(model, &QAbstractItemModel::rowsMoved, this,
                       &ContactsProxyModel::resetKeys);
}

void ContactsProxyModel::resetKeys()
{
    m_keys.clear();
}

// A cache that lost step with the source's rows starts afresh.
void ContactsProxyModel::ensureKeyStorage() const
{
    const int rows = m_source->rowCount();
    if (int(m_keys.size()) != rows) {
        m_keys.assign(size_t(rows), RowKey());
    }
}

const ContactsProxyModel::RowKey &ContactsProxyModel::rowKey(int sourceRow) const
{
    RowKey &entry = m_keys[size_t(sourceRow)];
    if (!entry.ready) {
        entry.text = m_source->data(m_source->index(sourceRow, 0), m_sortRole).toString();
        if (!m_plainOrder && !entry.text.isEmpty()) {
            entry.key = m_collator.sortKey(entry.text);
        } else {
            entry.key.reset();
        }
        entry.ready = true;
    }
    return entry;
}

// Same result as QString::localeAwareCompare(left, right) < 0: an empty text
// compares plainly, and so does every text in the C locale.
bool ContactsProxyModel::keyLess(const RowKey &left, const RowKey &right) const
{
    if (!left.key || !right.key) {
        return QString::compare(left.text, right.text, Qt::CaseSensitive) < 0;
    }
    return left.key->compare(*right.key) < 0;
}

bool ContactsProxyModel::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    if (m_source && left.model() == m_source && right.model() == m_source) {
        ensureKeyStorage();
        return keyLess(rowKey(left.row()), rowKey(right.row()));
    }
    const QString leftText = left.data(m_sortRole).toString();
    const QString rightText = right.data(m_sortRole).toString();
    return QString::localeAwareCompare(leftText, rightText) < 0;
}

bool ContactsProxyModel::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    if (m_favouritesOnly) {
        const QModelIndex source = sourceModel()->index(sourceRow, 0, sourceParent);
        if (!source.data(ContactsModel::FavoriteRole).toBool()) {
            return false;
        }
    }
    return QSortFilterProxyModel::filterAcceptsRow(sourceRow, sourceParent);
}

void ContactsProxyModel::sort()
{
    QSortFilterProxyModel::sort(0, Qt::AscendingOrder);
    updateExistingLetters();
}

void ContactsProxyModel::updateExistingLetters()
{
    QHash<QString, int> letterIndex;
    QStringList letters;
    const int rows = rowCount();
    for (int row = 0; row < rows; ++row) {
        const QString text = data(index(row, 0), m_sortRole).toString();
        if (text.isEmpty()) {
            continue;
        }
        const QString letter = initialOf(text);
        if (!letterIndex.contains(letter)) {
            letterIndex.insert(letter, row);
            letters.append(letter);
        }
    }
    letters.prepend(QStringLiteral("#"));
    const bool changed = letters != m_existingLetters || letterIndex != m_letterIndex;
    m_letterIndex = letterIndex;
    m_existingLetters = letters;
    // The rows of the letters can move while the letters stay the same;
    // either change is announced, an unchanged index is not.
    if (changed) {
        emit existingLettersChanged();
    }
}

int ContactsProxyModel::indexOfLetter(const QString &letter) const
{
    return m_letterIndex.value(letter, 0);
}

int ContactsProxyModel::indexOfContact(const QString &contactId) const
{
    const int rows = rowCount();
    for (int row = 0; row < rows; ++row) {
        if (data(index(row, 0), ContactsModel::IdRole).toString() == contactId) {
            return row;
        }
    }
    return -1;
}

void ContactsProxyModel::showFavouriteGroup(bool show)
{
    if (show == m_favouritesOnly) {
        return;
    }
    m_favouritesOnly = show;
    m_letterIndex.clear();
    invalidateFilter();
    updateExistingLetters();
}

void ContactsProxyModel::setSortRole(int role)
{
    // Only the contact roles carry a text to sort by.
    if (role == m_sortRole || !isContactRole(role)) {
        return;
    }
    m_sortRole = ContactsModel::ContactRoles(role);
    resetKeys();
    QSettings().setValue(sortRoleKey, role);
    QSortFilterProxyModel::setSortRole(role);
    emit sortRoleChanged();
}

void ContactsProxyModel::saveGroupLabels()
{
    QSettings().setValue(groupLabelsKey, m_groupLabels);
    emit groupLabelsChanged();
}

void ContactsProxyModel::addGroupLabel(const QString &label)
{
    // A blank label could not be told apart from no label in the editor.
    if (label.trimmed().isEmpty() || m_groupLabels.contains(label, Qt::CaseSensitive)) {
        return;
    }
    m_groupLabels.insert(qMax(0, m_groupLabels.size() - 1), label);
    saveGroupLabels();
}

void ContactsProxyModel::removeGroupLabel(const QString &label)
{
    const int position = m_groupLabels.indexOf(label);
    if (position < 0) {
        return;
    }
    m_groupLabels.removeAt(position);
    saveGroupLabels();
}

QModelIndex ContactsProxyModel::currentSourceIndex() const
{
    if (!m_source || m_currentIndex < 0 || m_currentIndex >= rowCount()) {
        return QModelIndex();
    }
    return mapToSource(index(m_currentIndex, 0));
}

void ContactsProxyModel::composeNewContactName()
{
    m_newContact->fullname = m_newContact->composedFullName();
}

void ContactsProxyModel::saveContactChanges(const QString &photoPath)
{
    const QModelIndex source = currentSourceIndex();
    if (!source.isValid() || !m_newContact) {
        return;
    }
    composeNewContactName();
    m_source->saveContactChanges(source, m_newContact.data(), photoPath);
    updateExistingLetters();
}

void ContactsProxyModel::addNewContact(const QString &photoPath)
{
    if (!m_source || !m_newContact) {
        return;
    }
    m_newContact->isFavorite = m_favouritesOnly;
    composeNewContactName();
    m_source->addContact(m_newContact.data(), photoPath);
    updateExistingLetters();
}

void ContactsProxyModel::removeContacts()
{
    if (!m_source || m_contactsToRemove.isEmpty()) {
        return;
    }
    const int rows = rowCount();
    QModelIndexList sourceIndexes;
    for (const QString &entry : qAsConst(m_contactsToRemove)) {
        // Only a view row can name a contact; anything else is skipped
        // rather than read as row 0.
        bool ok = false;
        const int row = entry.toInt(&ok);
        if (ok && row >= 0 && row < rows) {
            sourceIndexes.append(mapToSource(index(row, 0)));
        }
    }
    std::sort(sourceIndexes.begin(), sourceIndexes.end(), modelIndexRowLessThan);
    m_source->removeContacts(sourceIndexes);
    updateExistingLetters();
}

void ContactsProxyModel::toggleFavorite()
{
    const QModelIndex source = currentSourceIndex();
    if (source.isValid()) {
        m_source->toggleFavorite(source);
    }
}

void ContactsProxyModel::savePhoto(const QString &photoPath)
{
    const QModelIndex source = currentSourceIndex();
    if (source.isValid()) {
        m_source->savePhoto(source, photoPath);
    }
}
