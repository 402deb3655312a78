#include "model/contactsproxymodel.h"

#include "record/contact.h"
#include "record/contactgroups.h"
#include "record/grouplabels.h"

#include <QSettings>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace {
const QString sortRoleKey = QStringLiteral("sortRole");
const QString groupLabelsKey = QStringLiteral("groupLabels");

bool isContactRole(int role)
{
    return role >= ContactsModel::IdRole && role <= ContactsModel::LinkListRole;
}

} // namespace

ContactsProxyModel::ContactsProxyModel(QObject *parent)
    : QAbstractProxyModel(parent),
      m_newContact(new Contact(this))
{
    QSettings settings;
    const int savedRole = settings.value(sortRoleKey, int(ContactsModel::FullNameRole)).toInt();
    // A value that names no contact role (a damaged settings file) would
    // leave the list unsorted; it falls back to the full name.
    m_sortRole = isContactRole(savedRole) ? ContactsModel::ContactRoles(savedRole)
                                          : ContactsModel::FullNameRole;
    m_groupLabels = settings.value(groupLabelsKey, GroupLabels::defaults()).toStringList();
    // The selection is kept as the chosen contact's id: every change of the
    // shown rows holds it while the views move their current rows, then the
    // contact's new row is found (see followCurrentContact()).
    const auto hold = [this] {
        holdSelection();
    };
    connect(this, &QAbstractItemModel::rowsInserted, this, hold);
    connect(this, &QAbstractItemModel::rowsRemoved, this, hold);
    connect(this, &QAbstractItemModel::layoutChanged, this, hold);
    connect(this, &QAbstractItemModel::modelReset, this, hold);
}

void ContactsProxyModel::setCurrentIndex(int index)
{
    // A row chosen while the rows are not changing names the contact chosen.
    if (!m_selectionHeld && m_source) {
        const bool shown = index >= 0 && index < rowCount();
        const int sourceRow = shown ? m_rows[size_t(index)] : -1;
        setCurrentId(shown ? m_source->contactAt(sourceRow)->id : QString());
        m_currentSourceRow = sourceRow;
    }
    if (m_currentIndex != index) {
        m_currentIndex = index;
        emit currentIndexChanged();
    }
}

void ContactsProxyModel::setExistingLetters(const QStringList &letters)
{
    if (m_existingLetters != letters) {
        m_existingLetters = letters;
        emit existingLettersChanged();
    }
}

void ContactsProxyModel::setGroupLabels(const QStringList &labels)
{
    if (m_groupLabels != labels) {
        m_groupLabels = labels;
        emit groupLabelsChanged();
    }
}

void ContactsProxyModel::setSortRoleValue(ContactsModel::ContactRoles role)
{
    if (m_sortRole != role) {
        m_sortRole = role;
        emit sortRoleChanged();
    }
}

QVariant ContactsProxyModel::currentData(int role) const
{
    const QModelIndex source = currentSourceIndex();
    return source.isValid() ? m_source->data(source, role) : QVariant();
}

void ContactsProxyModel::setSourceModel(ContactsModel *sourceModel)
{
    setSourceModel(static_cast<QAbstractItemModel *>(sourceModel));
}

void ContactsProxyModel::setSourceModel(QAbstractItemModel *sourceModel)
{
    if (sourceModel == this->sourceModel()) {
        return;
    }
    beginResetModel();
    if (m_source) {
        disconnect(m_source, nullptr, this, nullptr);
    }
    m_source = qobject_cast<ContactsModel *>(sourceModel);
    QAbstractProxyModel::setSourceModel(sourceModel);
    if (m_source) {
        m_source->contactIndex().setSortRole(m_sortRole);
        connectSource();
    }
    m_rows = wantedRows();
    m_currentSourceRow = -1;
    endResetModel();
}

// The source's changes reach the rows through these handlers, after the
// source's contact index has followed them (it is connected first).
void ContactsProxyModel::connectSource()
{
    using Model = QAbstractItemModel;
    using View = ContactsProxyModel;
    connect(m_source, &Model::rowsInserted, this, &View::sourceRowsInserted);
    connect(m_source, &Model::rowsAboutToBeRemoved, this, &View::sourceRowsAboutToBeRemoved);
    connect(m_source, &Model::rowsRemoved, this, &View::sourceRowsRemoved);
    connect(m_source, &Model::dataChanged, this, &View::sourceDataChanged);
    connect(m_source, &Model::layoutChanged, this, &View::sourceLayoutChanged);
    connect(m_source, &ContactsModel::groupRenamed, this,
            [this](const QString &from, const QString &to) {
                if (from != m_filter.group) {
                    return;
                }
                if (to.isEmpty()) {
                    narrowTo(false, QString());
                } else {
                    m_filter.group = to;
                    emit groupFilterChanged();
                }
            });
    connect(m_source, &Model::modelAboutToBeReset, this, &View::beginResetModel);
    connect(m_source, &Model::modelReset, this, [this] {
        m_rows = wantedRows();
        endResetModel();
    });
    connect(m_source, &QObject::destroyed, this, [this] {
        beginResetModel();
        m_rows.clear();
        endResetModel();
    });
}

QModelIndex ContactsProxyModel::index(int row, int column, const QModelIndex &parent) const
{
    if (parent.isValid() || row < 0 || row >= int(m_rows.size()) || column != 0) {
        return QModelIndex();
    }
    return createIndex(row, column);
}

QModelIndex ContactsProxyModel::parent(const QModelIndex &) const
{
    return QModelIndex();
}

int ContactsProxyModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ContactsProxyModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_source ? 0 : 1;
}

bool ContactsProxyModel::hasChildren(const QModelIndex &parent) const
{
    return !parent.isValid() && !m_rows.empty();
}

QModelIndex ContactsProxyModel::mapToSource(const QModelIndex &proxyIndex) const
{
    if (!proxyIndex.isValid() || proxyIndex.model() != this || !m_source
        || proxyIndex.row() >= int(m_rows.size())) {
        return QModelIndex();
    }
    return m_source->index(m_rows[size_t(proxyIndex.row())], 0);
}

QModelIndex ContactsProxyModel::mapFromSource(const QModelIndex &sourceIndex) const
{
    if (!m_source || sourceIndex.model() != m_source || !sourceIndex.isValid()) {
        return QModelIndex();
    }
    const int row = viewRowOf(sourceIndex.row());
    return row < 0 ? QModelIndex() : index(row, 0);
}

// Where a source row stands in the view's order: its rank once sorted, its
// row before.
int ContactsProxyModel::placeOf(int sourceRow) const
{
    return m_sorted ? m_source->contactIndex().rank(sourceRow) : sourceRow;
}

// The shown rows are in the order of their places: a binary search.
int ContactsProxyModel::viewRowOf(int sourceRow) const
{
    if (!m_source || sourceRow < 0 || sourceRow >= m_source->rowCount()) {
        return -1;
    }
    const int place = placeOf(sourceRow);
    const auto at = std::lower_bound(m_rows.begin(), m_rows.end(), place,
                                     [this](int row, int wanted) { return placeOf(row) < wanted; });
    return at != m_rows.end() && *at == sourceRow ? int(at - m_rows.begin()) : -1;
}

// The rows to show now, in order: those of `among` (or of the whole source)
// that pass the filter.
std::vector<int> ContactsProxyModel::wantedRows(const std::vector<int> *among) const
{
    return m_source ? m_source->contactIndex().rowsPassing(m_filter, m_sorted, among)
                    : std::vector<int>();
}

// Brings the view from its rows to `rows` (in order). When the rows kept
// are still in order and few rows come or go, those go out as row runs;
// otherwise as one layout change, as each run costs the views a pass.
void ContactsProxyModel::show(std::vector<int> rows)
{
    if (rows == m_rows) {
        return;
    }
    const size_t limit = std::max(8, 1000000 / std::max(1, m_source ? m_source->rowCount() : 1));
    // At least as many rows come or go as the count changes by.
    if (size_t(std::abs(qint64(rows.size()) - qint64(m_rows.size()))) > limit) {
        relayout(std::move(rows), m_rows, QAbstractItemModel::NoLayoutChangeHint);
        return;
    }
    std::vector<char> kept(m_rows.size(), 0);
    std::vector<char> added(rows.size(), 1);
    size_t changes = 0;
    bool inOrder = true;
    for (size_t shown = 0, wanted = 0; shown < m_rows.size() && inOrder;) {
        const int place = placeOf(m_rows[shown]);
        inOrder = shown == 0 || placeOf(m_rows[shown - 1]) < place;
        while (wanted < rows.size() && placeOf(rows[wanted]) < place) {
            ++wanted;
        }
        if (wanted < rows.size() && rows[wanted] == m_rows[shown]) {
            kept[shown] = 1;
            added[wanted++] = 0;
        }
        ++shown;
    }
    changes = size_t(std::count(kept.begin(), kept.end(), 0))
              + size_t(std::count(added.begin(), added.end(), 1));
    if (inOrder && changes <= limit) {
        changeRuns(rows, kept, added);
        return;
    }
    relayout(std::move(rows), m_rows, QAbstractItemModel::NoLayoutChangeHint);
}

// Removes the runs of rows not kept, last run first, then inserts each run
// of added rows where `rows` has it: the rows before it are in place by then.
void ContactsProxyModel::changeRuns(const std::vector<int> &rows, const std::vector<char> &kept,
                                    const std::vector<char> &added)
{
    for (int last = int(m_rows.size()) - 1; last >= 0; --last) {
        if (kept[size_t(last)]) {
            continue;
        }
        int first = last;
        while (first > 0 && !kept[size_t(first - 1)]) {
            --first;
        }
        beginRemoveRows(QModelIndex(), first, last);
        m_rows.erase(m_rows.begin() + first, m_rows.begin() + last + 1);
        endRemoveRows();
        last = first;
    }
    for (size_t first = 0; first < rows.size(); ++first) {
        if (!added[first]) {
            continue;
        }
        size_t last = first;
        while (last + 1 < rows.size() && added[last + 1]) {
            ++last;
        }
        beginInsertRows(QModelIndex(), int(first), int(last));
        m_rows.insert(m_rows.begin() + long(first), rows.begin() + long(first),
                      rows.begin() + long(last) + 1);
        endInsertRows();
        first = last;
    }
}

// One layout change to `rows`; the views' indexes follow their source rows
// (oldSourceRows[i]: the source row of old view row i).
void ContactsProxyModel::relayout(std::vector<int> rows, std::vector<int> oldSourceRows,
                                  QAbstractItemModel::LayoutChangeHint hint)
{
    emit layoutAboutToBeChanged({}, hint);
    const QModelIndexList from = persistentIndexList();
    m_rows = std::move(rows);
    QModelIndexList to;
    for (const QModelIndex &old : from) {
        const size_t row = size_t(old.row());
        to.append(row < oldSourceRows.size() ? index(viewRowOf(oldSourceRows[row]), 0)
                                             : QModelIndex());
    }
    changePersistentIndexList(from, to);
    emit layoutChanged({}, hint);
}

void ContactsProxyModel::sourceRowsInserted(const QModelIndex &, int first, int last)
{
    const int count = last - first + 1;
    for (int &row : m_rows) {
        row += row >= first ? count : 0;
    }
    show(wantedRows());
}

// The rows go while the source still has them, so that everything the
// view announces can still be read.
void ContactsProxyModel::sourceRowsAboutToBeRemoved(const QModelIndex &, int first, int last)
{
    std::vector<char> kept(m_rows.size(), 1);
    for (size_t row = 0; row < m_rows.size(); ++row) {
        kept[row] = m_rows[row] < first || m_rows[row] > last;
    }
    changeRuns({}, kept, {});
}

void ContactsProxyModel::sourceRowsRemoved(const QModelIndex &, int first, int last)
{
    const int count = last - first + 1;
    for (int &row : m_rows) {
        row -= row > last ? count : 0;
    }
    m_currentSourceRow = -1;
}

// A changed row may join or leave the view or move in it; the rows still
// shown are then announced as changed. A row that stays as it was costs no
// pass over the rows, so that an import's merges one by one stay cheap.
void ContactsProxyModel::sourceDataChanged(const QModelIndex &topLeft,
                                           const QModelIndex &bottomRight,
                                           const QVector<int> &roles)
{
    const int first = topLeft.row();
    const int last = bottomRight.row();
    bool inPlace = last - first < 8;
    for (int row = first; row <= last && inPlace; ++row) {
        inPlace = staysInPlace(row);
    }
    if (!inPlace) {
        show(wantedRows());
    }
    int firstShown = -1;
    int lastShown = -1;
    for (int row = first; row <= last; ++row) {
        const int shown = viewRowOf(row);
        if (shown >= 0) {
            firstShown = firstShown < 0 ? shown : std::min(firstShown, shown);
            lastShown = std::max(lastShown, shown);
        }
    }
    if (firstShown >= 0) {
        emit dataChanged(index(firstShown, 0), index(lastShown, 0), roles);
    }
    const int current = sourceRowOfContact(m_currentId);
    if (current >= first && current <= last) {
        emit currentContactDataChanged();
    }
}

// A row whose place did not change is found by the binary search; only a
// row that moved needs a pass over the shown rows.
bool ContactsProxyModel::staysInPlace(int sourceRow) const
{
    const int shown = viewRowOf(sourceRow);
    const auto at = shown >= 0 ? m_rows.begin() + shown
                               : std::find(m_rows.begin(), m_rows.end(), sourceRow);
    if (at == m_rows.end()) {
        return !m_source->contactIndex().passes(sourceRow, m_filter);
    }
    const int place = placeOf(sourceRow);
    return m_source->contactIndex().passes(sourceRow, m_filter)
           && (at == m_rows.begin() || placeOf(*(at - 1)) < place)
           && (at + 1 == m_rows.end() || place < placeOf(*(at + 1)));
}

// The source moves rows only to take them out in one run (see
// ContactsModel::takeRows), keeping the order of the rows that stay and of
// those that go: the rows shown keep their order, not their numbers.
void ContactsProxyModel::sourceLayoutChanged()
{
    std::vector<int> rows = wantedRows();
    m_currentSourceRow = -1;
    if (rows.size() == m_rows.size()) {
        m_rows = std::move(rows);
    } else {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
    }
}

void ContactsProxyModel::sort()
{
    m_sorted = m_source != nullptr;
    if (m_source) {
        m_source->contactIndex().setSortRole(m_sortRole);
        show(wantedRows());
        // Once the rows are shown, so that the first keystroke finds the
        // search texts ready.
        QTimer::singleShot(0, this, [this] {
            if (m_source) {
                m_source->contactIndex().fold();
            }
        });
    }
    updateExistingLetters();
}

void ContactsProxyModel::setFilterFixedString(const QString &text)
{
    const ContactSearch search(text);
    if (search == m_filter.search) {
        return;
    }
    const bool narrower = search.narrows(m_filter.search);
    m_filter.search = search;
    show(wantedRows(narrower ? &m_rows : nullptr));
}

void ContactsProxyModel::updateExistingLetters()
{
    QHash<QString, int> letterIndex;
    QStringList letters{QStringLiteral("#")};
    if (m_source) {
        letters += m_source->contactIndex().lettersOf(m_rows, letterIndex);
    }
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
    return viewRowOf(sourceRowOfContact(contactId));
}

void ContactsProxyModel::showFavouriteGroup(bool show)
{
    narrowTo(show, QString());
}

void ContactsProxyModel::showGroup(const QString &group)
{
    narrowTo(false, m_source ? ContactGroups::spellingIn(m_source->groupNames(), group) : group);
}

// Only the shown rows are tested when the new filter can only take rows
// away.
void ContactsProxyModel::narrowTo(bool favouritesOnly, const QString &group)
{
    if (favouritesOnly == m_filter.favouritesOnly && group == m_filter.group) {
        return;
    }
    const bool narrower = (favouritesOnly || !m_filter.favouritesOnly)
                          && (m_filter.group.isEmpty() || group == m_filter.group);
    const bool groupChanged = group != m_filter.group;
    m_filter.favouritesOnly = favouritesOnly;
    m_filter.group = group;
    m_letterIndex.clear();
    show(wantedRows(narrower ? &m_rows : nullptr));
    updateExistingLetters();
    if (groupChanged) {
        emit groupFilterChanged();
    }
}

void ContactsProxyModel::setSortRole(int role)
{
    // Only the contact roles carry a text to sort by.
    if (role == m_sortRole || !isContactRole(role)) {
        return;
    }
    m_sortRole = ContactsModel::ContactRoles(role);
    QSettings().setValue(sortRoleKey, role);
    // A view that has been sorted is sorted again by the new role.
    if (m_sorted) {
        m_source->contactIndex().setSortRole(role);
        relayout(wantedRows(), m_rows, QAbstractItemModel::VerticalSortHint);
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
    addGroupLabels({label});
}

void ContactsProxyModel::addGroupLabels(const QStringList &labels)
{
    if (GroupLabels::addMissing(m_groupLabels, labels)) {
        saveGroupLabels();
    }
}

void ContactsProxyModel::removeGroupLabel(const QString &label)
{
    if (m_groupLabels.removeOne(label)) {
        saveGroupLabels();
    }
}

// The chosen contact, wherever the rows have moved it.
QModelIndex ContactsProxyModel::currentSourceIndex() const
{
    if (!m_source) {
        return QModelIndex();
    }
    if (!m_currentId.isEmpty()) {
        const int row = sourceRowOfContact(m_currentId);
        return row < 0 ? QModelIndex() : m_source->index(row, 0);
    }
    return mapToSource(index(m_currentIndex, 0));
}

void ContactsProxyModel::saveContactChanges(const QString &photoPath)
{
    const QModelIndex source = currentSourceIndex();
    if (!source.isValid() || !m_newContact) {
        return;
    }
    m_newContact->fullname = m_newContact->composedFullName();
    m_source->saveContactChanges(source, m_newContact.data(), photoPath);
    updateExistingLetters();
}

void ContactsProxyModel::addNewContact(const QString &photoPath)
{
    if (!m_source || !m_newContact) {
        return;
    }
    m_newContact->isFavorite = m_filter.favouritesOnly;
    ContactGroups::add(m_newContact->groups, {m_filter.group});
    m_newContact->fullname = m_newContact->composedFullName();
    m_source->addContact(m_newContact.data(), photoPath);
    m_lastAddedId = m_source->contactAt(m_source->rowCount() - 1)->id;
    updateExistingLetters();
}

QStringList ContactsProxyModel::contactsToRemove() const
{
    QStringList rows;
    for (const QPersistentModelIndex &mark : m_marked) {
        if (mark.isValid()) {
            rows.append(QString::number(mark.row()));
        }
    }
    return rows;
}

// Only a view row can name a contact; anything else is skipped rather than
// read as row 0. The marks are persistent indexes, so that rows moving
// between the marking and the removal (an undo puts contacts back among
// them) cannot turn a mark onto another contact.
void ContactsProxyModel::setContactsToRemove(const QStringList &rows)
{
    m_marked.clear();
    for (const QString &entry : rows) {
        bool ok = false;
        const int row = entry.toInt(&ok);
        if (ok && row >= 0 && row < rowCount()) {
            m_marked.append(QPersistentModelIndex(index(row, 0)));
        }
    }
}

void ContactsProxyModel::removeContacts()
{
    if (!m_source || m_marked.isEmpty()) {
        return;
    }
    // The marks are spent: they need not follow the rows the removal takes.
    const QList<QPersistentModelIndex> marks = std::exchange(m_marked, {});
    QModelIndexList sourceIndexes;
    for (const QPersistentModelIndex &mark : marks) {
        if (mark.isValid()) {
            sourceIndexes.append(mapToSource(mark));
        }
    }
    m_source->removeContacts(sourceIndexes);
    updateExistingLetters();
}

bool ContactsProxyModel::removeContact(const QString &contactId)
{
    const int sourceRow = sourceRowOfContact(contactId);
    if (sourceRow < 0) {
        return false;
    }
    m_source->removeContacts({m_source->index(sourceRow, 0)});
    updateExistingLetters();
    return true;
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

// The views answer a change of the rows by moving their current row
// themselves and writing it back; the contact is found again only once
// they are done, on the next turn of the event loop, and the letter index
// is made for the rows then shown.
void ContactsProxyModel::holdSelection()
{
    m_selectionHeld = true;
    if (!m_followQueued) {
        m_followQueued = true;
        QMetaObject::invokeMethod(
                this, [this] { followCurrentContact(); }, Qt::QueuedConnection);
    }
}

void ContactsProxyModel::followCurrentContact()
{
    m_followQueued = false;
    m_selectionHeld = false;
    if (!m_source) {
        return;
    }
    if (m_currentId.isEmpty()) {
        // A row chosen while nothing was known (the first row a view selects
        // by itself) names the contact from now on.
        setCurrentIndex(m_currentIndex);
    } else {
        const int row = indexOfContact(m_currentId);
        if (row < 0) {
            setCurrentId(QString());
        }
        if (row != m_currentIndex) {
            m_currentIndex = row;
            emit currentIndexChanged();
        }
    }
    updateExistingLetters();
}

void ContactsProxyModel::setCurrentId(const QString &id)
{
    if (m_currentId != id) {
        m_currentId = id;
        emit currentIdChanged();
    }
}

// The selected contact is looked for where it was last found first.
int ContactsProxyModel::sourceRowOfContact(const QString &contactId) const
{
    if (!m_source || contactId.isEmpty()) {
        return -1;
    }
    const Contact *last = m_source->contactAt(m_currentSourceRow);
    if (last && last->id == contactId) {
        return m_currentSourceRow;
    }
    for (int row = 0; row < m_source->rowCount(); ++row) {
        if (m_source->contactAt(row)->id == contactId) {
            if (contactId == m_currentId) {
                m_currentSourceRow = row;
            }
            return row;
        }
    }
    return -1;
}

bool ContactsProxyModel::selectContact(const QString &contactId)
{
    const int row = indexOfContact(contactId);
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

void ContactsProxyModel::importEnded(const QStringList &labels)
{
    addGroupLabels(labels);
    sort();
}

QList<Contact *> ContactsProxyModel::contactsInListOrder() const
{
    QList<Contact *> list;
    if (m_source) {
        for (int row : m_source->contactIndex().order()) {
            list.append(const_cast<Contact *>(m_source->contactAt(row)));
        }
    }
    return list;
}

qint64 ContactsProxyModel::searchTextBytes() const
{
    return m_source ? m_source->contactIndex().searchTextBytes() : 0;
}
