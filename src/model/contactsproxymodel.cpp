#include "model/contactsproxymodel.h"

#include "record/contact.h"

#include <QLocale>
#include <QSet>
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
    const int length =
            text.size() > 1 && text.at(0).isHighSurrogate() && text.at(1).isLowSurrogate() ? 2 : 1;
    return text.left(length).toUpper();
}

// The letters of the letter index and the first view row of each, from the
// sort texts of the rows in view order.
class LetterCollector
{
public:
    void note(const QString &text, int row)
    {
        if (text.isEmpty()) {
            return;
        }
        // Sorted rows share their initials in long runs: a row that starts
        // like the one before it cannot add a letter.
        if (!m_previous.isEmpty() && text.at(0) == m_previous.at(0) && !text.at(0).isSurrogate()) {
            return;
        }
        m_previous = text;
        const QString letter = initialOf(text);
        if (!index.contains(letter)) {
            index.insert(letter, row);
            letters.append(letter);
        }
    }

    QHash<QString, int> index;
    QStringList letters;

private:
    QString m_previous;
};
} // namespace

bool modelIndexRowLessThan(const QModelIndex &a, const QModelIndex &b)
{
    return a.row() < b.row();
}

ContactsProxyModel::ContactsProxyModel(QObject *parent)
    : QSortFilterProxyModel(parent),
      m_newContact(new Contact(this))
{
    QSettings settings;
    const int savedRole = settings.value(sortRoleKey, int(ContactsModel::FullNameRole)).toInt();
    // A value that names no contact role (a damaged settings file) would
    // leave the list unsorted; it falls back to the full name.
    m_sortRole = isContactRole(savedRole) ? ContactsModel::ContactRoles(savedRole)
                                          : ContactsModel::FullNameRole;
    m_groupLabels = settings.value(groupLabelsKey, defaultGroupLabels()).toStringList();

    m_filter.setSortRole(m_sortRole);
    QSortFilterProxyModel::setSortRole(m_sortRole);
    setFilterRole(ContactsModel::FullNameRole);
    setFilterCaseSensitivity(Qt::CaseInsensitive);
    connectSelection();
}

ContactsProxyModel::~ContactsProxyModel() = default;

QStringList ContactsProxyModel::defaultGroupLabels()
{
    return {tr("Mobile"), tr("Home"), tr("Work"), tr("Create new")};
}

void ContactsProxyModel::setCurrentIndex(int index)
{
    // A row chosen while the rows are not changing names the contact chosen.
    if (!m_selectionHeld && m_source) {
        setCurrentId(index >= 0 && index < rowCount()
                             ? data(this->index(index, 0), ContactsModel::IdRole).toString()
                             : QString());
    }
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
    m_filter.setSortRole(role);
    emit sortRoleChanged();
}

QVariant ContactsProxyModel::currentData(int role) const
{
    if (m_source && !m_currentId.isEmpty()) {
        const QModelIndex source = currentSourceIndex();
        return source.isValid() ? m_source->data(source, role) : QVariant();
    }
    if (m_currentIndex < 0 || m_currentIndex >= rowCount()) {
        return QVariant();
    }
    return data(index(m_currentIndex, 0), role);
}

void ContactsProxyModel::setSourceModel(ContactsModel *sourceModel)
{
    setSourceModel(static_cast<QAbstractItemModel *>(sourceModel));
}

void ContactsProxyModel::setSourceModel(QAbstractItemModel *sourceModel)
{
    if (sourceModel == QSortFilterProxyModel::sourceModel()) {
        return;
    }
    auto *contacts = qobject_cast<ContactsModel *>(sourceModel);
    m_filter.attach(contacts);
    m_source = contacts;
    QSortFilterProxyModel::setSourceModel(sourceModel);
}

bool ContactsProxyModel::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    const ContactsModel *source = m_source.data();
    if (source && left.model() == source && right.model() == source) {
        return m_filter.lessThan(left.row(), right.row());
    }
    const QString leftText = left.data(m_sortRole).toString();
    const QString rightText = right.data(m_sortRole).toString();
    return QString::localeAwareCompare(leftText, rightText) < 0;
}

// The row test of the base class with a case-insensitive fixed text on the
// full name is a case-folded substring test, which the row states cache.
bool ContactsProxyModel::fastSearchUsable() const
{
    return m_fastSearch && filterRole() == ContactsModel::FullNameRole && filterKeyColumn() == 0
           && filterCaseSensitivity() == Qt::CaseInsensitive;
}

bool ContactsProxyModel::acceptsRow(int sourceRow) const
{
    const Contact *contact = m_source->contactAt(sourceRow);
    if (!contact) {
        return false;
    }
    if (m_favouritesOnly && !contact->isFavorite) {
        return false;
    }
    if (!fastSearchUsable()) {
        return QSortFilterProxyModel::filterAcceptsRow(sourceRow, QModelIndex());
    }
    return m_filter.searchMatches(sourceRow);
}

bool ContactsProxyModel::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    if (!m_source || sourceParent.isValid()) {
        return QSortFilterProxyModel::filterAcceptsRow(sourceRow, sourceParent);
    }
    return m_filter.filterRow(sourceRow, [this](int row) { return acceptsRow(row); });
}

void ContactsProxyModel::refilter(const std::function<void()> &changeBase)
{
    m_filter.refilter([this](int row) { return acceptsRow(row); }, changeBase,
                      [this] { invalidate(); });
}

void ContactsProxyModel::setFilterFixedString(const QString &pattern)
{
    m_fastSearch = true;
    m_filter.setSearchText(pattern);
    refilter([this, &pattern] { QSortFilterProxyModel::setFilterFixedString(pattern); });
}

void ContactsProxyModel::setFilterRegExp(const QString &pattern)
{
    m_fastSearch = false;
    QSortFilterProxyModel::setFilterRegExp(pattern);
}

void ContactsProxyModel::setFilterRegExp(const QRegExp &regExp)
{
    m_fastSearch = false;
    QSortFilterProxyModel::setFilterRegExp(regExp);
}

void ContactsProxyModel::setFilterWildcard(const QString &pattern)
{
    m_fastSearch = false;
    QSortFilterProxyModel::setFilterWildcard(pattern);
}

void ContactsProxyModel::setFilterRegularExpression(const QString &pattern)
{
    m_fastSearch = false;
    QSortFilterProxyModel::setFilterRegularExpression(pattern);
}

void ContactsProxyModel::setFilterRegularExpression(const QRegularExpression &regularExpression)
{
    m_fastSearch = false;
    QSortFilterProxyModel::setFilterRegularExpression(regularExpression);
}

void ContactsProxyModel::sort()
{
    const bool ranked = m_filter.ranked();
    if (sortColumn() == 0 && m_sortedRole != m_sortRole) {
        // The sortRole property was written without re-sorting; the base
        // class would take the view as sorted and do nothing.
        invalidate();
    }
    m_sortedRole = m_sortRole;
    // The first keystroke of a search should find the folded names ready;
    // sorting is where a pause is expected anyway.
    m_filter.foldAll();
    QSortFilterProxyModel::sort(0, Qt::AscendingOrder);
    // Sorting by the keys leaves every shown row in key order; when all
    // rows are shown that order gives the ranks for free, and later
    // re-mappings compare integers.
    if (!ranked && m_source && rowCount() == m_source->rowCount()) {
        std::vector<int> order(size_t(rowCount()), 0);
        for (int row = 0; row < rowCount(); ++row) {
            order[size_t(row)] = mapToSource(index(row, 0)).row();
        }
        m_filter.setRanksFromOrder(order);
    }
    updateExistingLetters();
}

void ContactsProxyModel::updateExistingLetters()
{
    LetterCollector collector;
    const int rows = rowCount();
    const std::vector<int> shown =
            sortColumn() == 0 ? m_filter.acceptedInRankOrder(rows) : std::vector<int>();
    if (!shown.empty()) {
        // The view shows the accepted rows in rank order; read it from the
        // row cache instead of asking the view row by row.
        int viewRow = 0;
        for (int sourceRow : shown) {
            collector.note(m_filter.sortText(sourceRow), viewRow++);
        }
    } else {
        for (int row = 0; row < rows; ++row) {
            collector.note(data(index(row, 0), m_sortRole).toString(), row);
        }
    }
    publishLetters(QStringList{QStringLiteral("#")} + collector.letters, collector.index);
}

// The rows of the letters can move while the letters stay the same; either
// change is announced, an unchanged index is not.
void ContactsProxyModel::publishLetters(const QStringList &letters,
                                        const QHash<QString, int> &letterIndex)
{
    const bool changed = letters != m_existingLetters || letterIndex != m_letterIndex;
    m_letterIndex = letterIndex;
    m_existingLetters = letters;
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
    refilter([this] { invalidateFilter(); });
    updateExistingLetters();
}

void ContactsProxyModel::setSortRole(int role)
{
    // Only the contact roles carry a text to sort by.
    if (role == m_sortRole || !isContactRole(role)) {
        return;
    }
    m_sortRole = ContactsModel::ContactRoles(role);
    m_filter.setSortRole(m_sortRole);
    QSettings().setValue(sortRoleKey, role);
    QSortFilterProxyModel::setSortRole(role);
    if (sortColumn() == 0) {
        m_sortedRole = m_sortRole;
    }
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

void ContactsProxyModel::addGroupLabels(const QStringList &labels)
{
    QSet<QString> known(m_groupLabels.cbegin(), m_groupLabels.cend());
    QStringList added;
    for (const QString &label : labels) {
        if (!label.trimmed().isEmpty() && !known.contains(label)) {
            known.insert(label);
            added.append(label);
        }
    }
    if (added.isEmpty()) {
        return;
    }
    // Before the action entry "Create new", which stays last.
    const int position = qMax(0, m_groupLabels.size() - 1);
    for (int i = 0; i < added.size(); ++i) {
        m_groupLabels.insert(position + i, added.at(i));
    }
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
    // The chosen contact, wherever the rows have moved it.
    if (m_source && !m_currentId.isEmpty()) {
        const int row = sourceRowOfContact(m_currentId);
        return row < 0 ? QModelIndex() : m_source->index(row, 0);
    }
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
    m_lastAddedId =
            m_source->data(m_source->index(m_source->rowCount() - 1, 0), ContactsModel::IdRole)
                    .toString();
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

// The selection is kept as the chosen contact's id. Every change of the
// shown rows (filter, search, sort, adds, edits, removals, imports) holds it
// while the views adjust their rows, then finds the contact's new row, or
// clears the selection when it is no longer shown, and rebuilds the letter
// index for the rows now shown.
void ContactsProxyModel::connectSelection()
{
    const auto hold = [this] {
        holdSelection();
    };
    connect(this, &QAbstractItemModel::rowsAboutToBeInserted, this, hold);
    connect(this, &QAbstractItemModel::rowsAboutToBeRemoved, this, hold);
    connect(this, &QAbstractItemModel::rowsInserted, this, hold);
    connect(this, &QAbstractItemModel::rowsRemoved, this, hold);
    connect(this, &QAbstractItemModel::layoutAboutToBeChanged, this, hold);
    connect(this, &QAbstractItemModel::layoutChanged, this, hold);
    connect(this, &QAbstractItemModel::modelAboutToBeReset, this, hold);
    connect(this, &QAbstractItemModel::modelReset, this, hold);
    // Views connect to the rows of this model before any handler below runs
    // on the source, so the source's data changes are watched directly.
    connect(this, &QAbstractProxyModel::sourceModelChanged, this, [this] {
        if (m_source) {
            connect(m_source.data(), &QAbstractItemModel::dataChanged, this,
                    &ContactsProxyModel::noteSourceDataChanged, Qt::UniqueConnection);
        }
    });
}

// The views answer a change of the rows by moving their current row
// themselves and writing it back; the contact is found again only once
// they are done, on the next turn of the event loop.
void ContactsProxyModel::holdSelection()
{
    m_selectionHeld = true;
    if (m_followQueued) {
        return;
    }
    m_followQueued = true;
    QMetaObject::invokeMethod(
            this, [this] { followCurrentContact(); }, Qt::QueuedConnection);
}

void ContactsProxyModel::followCurrentContact()
{
    m_followQueued = false;
    m_selectionHeld = false;
    if (m_source) {
        if (m_currentId.isEmpty()) {
            // A row chosen while nothing was known (the first row a view
            // selects by itself) names the contact from now on.
            setCurrentIndex(m_currentIndex);
        } else {
            const int sourceRow = sourceRowOfContact(m_currentId);
            const int row = sourceRow < 0 ? -1 : mapFromSource(m_source->index(sourceRow, 0)).row();
            if (row < 0) {
                setCurrentId(QString());
            }
            if (row != m_currentIndex) {
                m_currentIndex = row;
                emit currentIndexChanged();
            }
        }
    }
    updateExistingLetters();
}

void ContactsProxyModel::setCurrentId(const QString &id)
{
    if (m_currentId == id) {
        return;
    }
    m_currentId = id;
    emit currentIdChanged();
}

int ContactsProxyModel::sourceRowOfContact(const QString &contactId) const
{
    if (!m_source || contactId.isEmpty()) {
        return -1;
    }
    const int rows = m_source->rowCount();
    for (int row = 0; row < rows; ++row) {
        const Contact *contact = m_source->contactAt(row);
        if (contact && contact->id == contactId) {
            return row;
        }
    }
    return -1;
}

void ContactsProxyModel::noteSourceDataChanged(const QModelIndex &topLeft,
                                               const QModelIndex &bottomRight)
{
    const int row = sourceRowOfContact(m_currentId);
    if (row >= 0 && row >= topLeft.row() && row <= bottomRight.row()) {
        emit currentContactDataChanged();
    }
}

bool ContactsProxyModel::selectContact(const QString &contactId)
{
    const int sourceRow = sourceRowOfContact(contactId);
    if (sourceRow < 0) {
        return false;
    }
    const int row = mapFromSource(m_source->index(sourceRow, 0)).row();
    if (row < 0) {
        return false;
    }
    setCurrentId(contactId);
    if (row != m_currentIndex) {
        m_currentIndex = row;
        emit currentIndexChanged();
    }
    return true;
}

bool ContactsProxyModel::hasContact(const QString &contactId) const
{
    return sourceRowOfContact(contactId) >= 0;
}

QVariantList ContactsProxyModel::contactsInListOrder() const
{
    QVariantList list;
    if (!m_source) {
        return list;
    }
    std::vector<int> rows(size_t(m_source->rowCount()), 0);
    for (size_t row = 0; row < rows.size(); ++row) {
        rows[row] = int(row);
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [this](int a, int b) { return m_filter.lessThan(a, b); });
    list.reserve(int(rows.size()));
    for (int row : rows) {
        list.append(QVariant::fromValue(const_cast<Contact *>(m_source->contactAt(row))));
    }
    return list;
}
