#include "model/contactsproxymodel.h"

#include "record/contact.h"

#include <QLocale>
#include <QSet>
#include <QSettings>
#include <QSignalBlocker>

#include <algorithm>
#include <numeric>

namespace {
const QString sortRoleKey = QStringLiteral("sortRole");
const QString groupLabelsKey = QStringLiteral("groupLabels");

bool isContactRole(int role)
{
    return role >= ContactsModel::IdRole && role <= ContactsModel::LinkListRole;
}

// The letters of the letter index and the first view row of each, from the
// initials of the rows in view order.
class LetterCollector
{
public:
    void note(const QString &letter, int row)
    {
        if (!index.contains(letter)) {
            index.insert(letter, row);
            letters.append(letter);
        }
    }

    QHash<QString, int> index;
    QStringList letters{QStringLiteral("#")};
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
    callBase([this] {
        QSortFilterProxyModel::setSortRole(m_sortRole);
        setFilterRole(ContactsModel::FullNameRole);
        setFilterCaseSensitivity(Qt::CaseInsensitive);
    });
    // The base class's filter settings, changed from outside, filter anew.
    const auto refilter = [this] {
        showRows(wantedRows());
    };
    connect(this, &QSortFilterProxyModel::filterRoleChanged, this, refilter);
    connect(this, &QSortFilterProxyModel::filterCaseSensitivityChanged, this, refilter);
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
        const bool shown = index >= 0 && index < rowCount();
        const int sourceRow = shown ? m_rows[size_t(index)] : -1;
        setCurrentId(shown ? m_source->contactAt(sourceRow)->id : QString());
        m_currentSourceRow = sourceRow;
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
    if (sourceModel == this->sourceModel()) {
        return;
    }
    beginResetModel();
    for (const QMetaObject::Connection &connection : qAsConst(m_sourceConnections)) {
        disconnect(connection);
    }
    m_sourceConnections.clear();
    auto *contacts = qobject_cast<ContactsModel *>(sourceModel);
    m_filter.attach(contacts);
    m_source = contacts;
    // Not the base class's: it would follow the source with a row map of
    // its own.
    QAbstractProxyModel::setSourceModel(sourceModel);
    connectSource(sourceModel);
    m_rows = wantedRows();
    m_viewRowsStale = true;
    m_currentSourceRow = -1;
    endResetModel();
}

// The source's changes reach the rows through these handlers, after the
// row cache has followed them (it connected first).
void ContactsProxyModel::connectSource(QAbstractItemModel *source)
{
    if (!source) {
        return;
    }
    using Model = QAbstractItemModel;
    const auto layoutAboutToChange = [this] {
        sourceLayoutAboutToBeChanged();
    };
    const auto layoutChanged = [this] {
        sourceLayoutChanged();
    };
    const auto aboutToReset = [this] {
        sourceAboutToBeReset();
    };
    const auto reset = [this] {
        sourceReset();
    };
    m_sourceConnections
            << connect(source, &Model::rowsInserted, this, &ContactsProxyModel::sourceRowsInserted)
            << connect(source, &Model::rowsAboutToBeRemoved, this,
                       &ContactsProxyModel::sourceRowsAboutToBeRemoved)
            << connect(source, &Model::rowsRemoved, this, &ContactsProxyModel::sourceRowsRemoved)
            << connect(source, &Model::dataChanged, this, &ContactsProxyModel::sourceDataChanged)
            << connect(source, &Model::layoutAboutToBeChanged, this, layoutAboutToChange)
            << connect(source, &Model::layoutChanged, this, layoutChanged)
            << connect(source, &Model::rowsAboutToBeMoved, this, layoutAboutToChange)
            << connect(source, &Model::rowsMoved, this, layoutChanged)
            << connect(source, &Model::modelAboutToBeReset, this, aboutToReset)
            << connect(source, &Model::modelReset, this, reset)
            << connect(source, &Model::columnsAboutToBeInserted, this, aboutToReset)
            << connect(source, &Model::columnsInserted, this, reset)
            << connect(source, &Model::columnsAboutToBeRemoved, this, aboutToReset)
            << connect(source, &Model::columnsRemoved, this, reset)
            << connect(source, &Model::columnsAboutToBeMoved, this, aboutToReset)
            << connect(source, &Model::columnsMoved, this, reset)
            << connect(source, &Model::headerDataChanged, this,
                       [this](Qt::Orientation orientation, int first, int last) {
                           if (orientation == Qt::Horizontal) {
                               emit headerDataChanged(orientation, first, last);
                           }
                       })
            << connect(source, &QObject::destroyed, this, [this] {
                   beginResetModel();
                   m_rows.clear();
                   m_viewRowsStale = true;
                   m_currentSourceRow = -1;
                   endResetModel();
               });
}

// The base class announces layout changes of its own (empty) row map when
// its settings change; the views learn of this view's rows from this class
// alone.
void ContactsProxyModel::callBase(const std::function<void()> &call)
{
    const QSignalBlocker blocker(this);
    call();
}

QModelIndex ContactsProxyModel::index(int row, int column, const QModelIndex &parent) const
{
    if (parent.isValid() || row < 0 || row >= int(m_rows.size()) || column < 0
        || column >= columnCount()) {
        return QModelIndex();
    }
    return createIndex(row, column);
}

QModelIndex ContactsProxyModel::parent(const QModelIndex &) const
{
    return QModelIndex();
}

QModelIndex ContactsProxyModel::sibling(int row, int column, const QModelIndex &index) const
{
    return index.isValid() && index.model() == this ? this->index(row, column) : QModelIndex();
}

int ContactsProxyModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ContactsProxyModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() || !sourceModel() ? 0 : sourceModel()->columnCount();
}

bool ContactsProxyModel::hasChildren(const QModelIndex &parent) const
{
    return !parent.isValid() && !m_rows.empty();
}

QModelIndex ContactsProxyModel::mapToSource(const QModelIndex &proxyIndex) const
{
    if (!proxyIndex.isValid() || proxyIndex.model() != this || !sourceModel()
        || proxyIndex.row() >= int(m_rows.size())) {
        return QModelIndex();
    }
    return sourceModel()->index(m_rows[size_t(proxyIndex.row())], proxyIndex.column());
}

QModelIndex ContactsProxyModel::mapFromSource(const QModelIndex &sourceIndex) const
{
    if (!sourceIndex.isValid() || sourceIndex.model() != sourceModel()
        || sourceIndex.parent().isValid()) {
        return QModelIndex();
    }
    const int row = viewRowOf(sourceIndex.row());
    return row < 0 ? QModelIndex() : index(row, sourceIndex.column());
}

int ContactsProxyModel::viewRowOf(int sourceRow) const
{
    if (m_viewRowsStale) {
        const int sourceRows = sourceModel() ? sourceModel()->rowCount() : 0;
        m_viewRows.assign(size_t(sourceRows), -1);
        for (size_t row = 0; row < m_rows.size(); ++row) {
            if (m_rows[row] < sourceRows) {
                m_viewRows[size_t(m_rows[row])] = int(row);
            }
        }
        m_viewRowsStale = false;
    }
    return sourceRow >= 0 && sourceRow < int(m_viewRows.size()) ? m_viewRows[size_t(sourceRow)]
                                                                : -1;
}

QVariant ContactsProxyModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (!sourceModel() || (orientation == Qt::Vertical && section >= int(m_rows.size()))) {
        return QVariant();
    }
    return sourceModel()->headerData(
            orientation == Qt::Vertical && section >= 0 ? m_rows[size_t(section)] : section,
            orientation, role);
}

bool ContactsProxyModel::setHeaderData(int section, Qt::Orientation orientation,
                                       const QVariant &value, int role)
{
    if (!sourceModel() || (orientation == Qt::Vertical && section >= int(m_rows.size()))) {
        return false;
    }
    return sourceModel()->setHeaderData(
            orientation == Qt::Vertical && section >= 0 ? m_rows[size_t(section)] : section,
            orientation, value, role);
}

bool ContactsProxyModel::insertRows(int, int, const QModelIndex &)
{
    return false;
}

bool ContactsProxyModel::insertColumns(int, int, const QModelIndex &)
{
    return false;
}

bool ContactsProxyModel::removeRows(int, int, const QModelIndex &)
{
    return false;
}

bool ContactsProxyModel::removeColumns(int, int, const QModelIndex &)
{
    return false;
}

void ContactsProxyModel::sort(int column, Qt::SortOrder order)
{
    callBase([&] { QSortFilterProxyModel::sort(column, order); });
    showRows(wantedRows());
}

// The rows the view should show now, in view order: from the row cache for
// a ContactsModel searched by the search field, else row by row.
std::vector<int> ContactsProxyModel::wantedRows()
{
    const QAbstractItemModel *source = sourceModel();
    if (!source) {
        return {};
    }
    syncBasePattern();
    const bool sorted = sortColumn() == 0;
    std::vector<int> rows;
    if (m_source && fastSearchUsable()) {
        rows = m_filter.acceptedRows(m_favouritesOnly, sorted);
        m_orderChangesSeen = m_filter.orderChanges();
    } else {
        std::vector<int> order = sorted ? sortedSourceRows() : std::vector<int>();
        if (!sorted) {
            order.resize(size_t(source->rowCount()));
            std::iota(order.begin(), order.end(), 0);
        }
        for (int row : order) {
            if (acceptsRow(row)) {
                rows.push_back(row);
            }
        }
    }
    if (sorted && sortOrder() == Qt::DescendingOrder) {
        std::reverse(rows.begin(), rows.end());
    }
    return rows;
}

// Every source row in sort order: kept by the row cache for a ContactsModel,
// else sorted stably with lessThan().
std::vector<int> ContactsProxyModel::sortedSourceRows() const
{
    if (m_source) {
        return m_filter.order();
    }
    const QAbstractItemModel *source = sourceModel();
    std::vector<int> order(size_t(source->rowCount()), 0);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [this, source](int a, int b) {
        return lessThan(source->index(a, 0), source->index(b, 0));
    });
    return order;
}

namespace {
// Where a source row is: among the view's rows, among the wanted rows.
enum RowPlace : char { Shown = 1, Wanted = 2 };
} // namespace

// Brings the view from its rows to `rows`. When both keep their common rows
// in the same order and few rows differ, the difference goes out as runs
// of removed, then inserted rows; otherwise as one layout change, because
// each run costs the views a pass over all rows.
void ContactsProxyModel::showRows(std::vector<int> rows)
{
    if (rows == m_rows) {
        return;
    }
    const int sourceRows = sourceModel() ? sourceModel()->rowCount() : 0;
    const int limit = qMax(8, 1000000 / qMax(1, sourceRows));
    if (std::abs(int(rows.size()) - int(m_rows.size())) > limit) {
        relayout(std::move(rows), QAbstractItemModel::NoLayoutChangeHint);
        return;
    }
    std::vector<char> places(size_t(sourceRows), 0);
    for (int row : m_rows) {
        places[size_t(row)] |= Shown;
    }
    for (int row : rows) {
        places[size_t(row)] |= Wanted;
    }
    int changes = 0;
    if (!keepsCommonOrder(rows, places, changes) || changes > limit) {
        relayout(std::move(rows), changes == 0 ? QAbstractItemModel::VerticalSortHint
                                               : QAbstractItemModel::NoLayoutChangeHint);
        return;
    }
    changeRowRuns(rows, places);
}

// Whether the rows both lists hold come in the same order in both; counts
// the rows only one of them holds.
bool ContactsProxyModel::keepsCommonOrder(const std::vector<int> &rows,
                                          const std::vector<char> &places, int &changes) const
{
    bool sameOrder = true;
    size_t next = 0;
    for (int row : m_rows) {
        if (!(places[size_t(row)] & Wanted)) {
            ++changes;
            continue;
        }
        while (next < rows.size() && !(places[size_t(rows[next])] & Shown)) {
            ++changes;
            ++next;
        }
        sameOrder = sameOrder && next < rows.size() && rows[next] == row;
        ++next;
    }
    for (; next < rows.size(); ++next) {
        changes += (places[size_t(rows[next])] & Shown) ? 0 : 1;
    }
    return sameOrder;
}

// Removes the runs of rows that are no longer wanted, last run first, then
// inserts each run of new rows where `rows` has it: the rows before it are
// in place by then.
void ContactsProxyModel::changeRowRuns(const std::vector<int> &rows,
                                       const std::vector<char> &places)
{
    for (int last = int(m_rows.size()) - 1; last >= 0; --last) {
        if (places[size_t(m_rows[size_t(last)])] & Wanted) {
            continue;
        }
        int first = last;
        while (first > 0 && !(places[size_t(m_rows[size_t(first - 1)])] & Wanted)) {
            --first;
        }
        beginRemoveRows(QModelIndex(), first, last);
        m_rows.erase(m_rows.begin() + first, m_rows.begin() + last + 1);
        m_viewRowsStale = true;
        endRemoveRows();
        last = first;
    }
    for (size_t first = 0; first < rows.size(); ++first) {
        if (places[size_t(rows[first])] & Shown) {
            continue;
        }
        size_t last = first;
        while (last + 1 < rows.size() && !(places[size_t(rows[last + 1])] & Shown)) {
            ++last;
        }
        beginInsertRows(QModelIndex(), int(first), int(last));
        m_rows.insert(m_rows.begin() + long(first), rows.begin() + long(first),
                      rows.begin() + long(last) + 1);
        m_viewRowsStale = true;
        endInsertRows();
        first = last;
    }
}

void ContactsProxyModel::relayout(std::vector<int> rows, QAbstractItemModel::LayoutChangeHint hint)
{
    emit layoutAboutToBeChanged(QList<QPersistentModelIndex>(), hint);
    const QModelIndexList from = persistentIndexList();
    std::vector<int> sourceRows;
    sourceRows.reserve(size_t(from.size()));
    for (const QModelIndex &index : from) {
        sourceRows.push_back(index.row() < int(m_rows.size()) ? m_rows[size_t(index.row())] : -1);
    }
    m_rows = std::move(rows);
    m_viewRowsStale = true;
    QModelIndexList to;
    to.reserve(from.size());
    for (int i = 0; i < from.size(); ++i) {
        const int row = sourceRows[size_t(i)] < 0 ? -1 : viewRowOf(sourceRows[size_t(i)]);
        to.append(row < 0 ? QModelIndex() : index(row, from.at(i).column()));
    }
    changePersistentIndexList(from, to);
    emit layoutChanged(QList<QPersistentModelIndex>(), hint);
}

void ContactsProxyModel::sourceRowsInserted(const QModelIndex &parent, int first, int last)
{
    if (parent.isValid()) {
        return;
    }
    const int count = last - first + 1;
    for (int &row : m_rows) {
        if (row >= first) {
            row += count;
        }
    }
    m_viewRowsStale = true;
    if (m_currentSourceRow >= first) {
        m_currentSourceRow += count;
    }
    showRows(wantedRows());
}

// The view lets the rows go while the source still has them, so that
// everything it announces can still be read.
void ContactsProxyModel::sourceRowsAboutToBeRemoved(const QModelIndex &parent, int first, int last)
{
    if (parent.isValid()) {
        return;
    }
    // Usually one row goes, or one run of the view: it is taken directly.
    int firstViewRow = -1;
    int lastViewRow = -1;
    int count = 0;
    for (size_t row = 0; row < m_rows.size(); ++row) {
        if (m_rows[row] >= first && m_rows[row] <= last) {
            firstViewRow = firstViewRow < 0 ? int(row) : firstViewRow;
            lastViewRow = int(row);
            ++count;
        }
    }
    if (count > 0 && lastViewRow - firstViewRow + 1 == count) {
        beginRemoveRows(QModelIndex(), firstViewRow, lastViewRow);
        m_rows.erase(m_rows.begin() + firstViewRow, m_rows.begin() + lastViewRow + 1);
        m_viewRowsStale = true;
        endRemoveRows();
    } else if (count > 0) {
        std::vector<int> rows;
        rows.reserve(m_rows.size());
        for (int row : m_rows) {
            if (row < first || row > last) {
                rows.push_back(row);
            }
        }
        showRows(std::move(rows));
    }
}

void ContactsProxyModel::sourceRowsRemoved(const QModelIndex &parent, int first, int last)
{
    if (parent.isValid()) {
        return;
    }
    const int count = last - first + 1;
    for (int &row : m_rows) {
        if (row > last) {
            row -= count;
        }
    }
    m_viewRowsStale = true;
    if (m_currentSourceRow > last) {
        m_currentSourceRow -= count;
    } else if (m_currentSourceRow >= first) {
        m_currentSourceRow = -1;
    }
}

// A changed row may leave or join the view or move in it; then the rows
// still shown are announced as changed.
void ContactsProxyModel::sourceDataChanged(const QModelIndex &topLeft,
                                           const QModelIndex &bottomRight,
                                           const QVector<int> &roles)
{
    if (!topLeft.isValid() || topLeft.parent().isValid()) {
        return;
    }
    if (!keepsChangedRows(topLeft.row(), bottomRight.row())) {
        showRows(wantedRows());
    }
    int first = -1;
    int last = -1;
    for (int sourceRow = topLeft.row(); sourceRow <= bottomRight.row(); ++sourceRow) {
        const int row = viewRowOf(sourceRow);
        if (row >= 0) {
            first = first < 0 ? row : qMin(first, row);
            last = qMax(last, row);
        }
    }
    if (first >= 0) {
        emit dataChanged(index(first, topLeft.column()), index(last, bottomRight.column()), roles);
    }
}

// Whether a few changed rows stay as they are in the view (shown or
// hidden, in the same order), so that an import that changes contacts one
// by one does not cost a pass over every row each time.
bool ContactsProxyModel::keepsChangedRows(int first, int last)
{
    if (!m_source || !fastSearchUsable() || last - first >= 8
        || (sortColumn() == 0 && m_filter.orderChanges() != m_orderChangesSeen)) {
        return false;
    }
    for (int row = first; row <= last; ++row) {
        if ((viewRowOf(row) >= 0) != acceptsRow(row)) {
            return false;
        }
    }
    return true;
}

void ContactsProxyModel::sourceLayoutAboutToBeChanged()
{
    emit layoutAboutToBeChanged();
    m_layoutIndexes = persistentIndexList();
    m_layoutSources.clear();
    for (const QModelIndex &index : qAsConst(m_layoutIndexes)) {
        m_layoutSources.append(QPersistentModelIndex(mapToSource(index)));
    }
}

void ContactsProxyModel::sourceLayoutChanged()
{
    m_rows = wantedRows();
    m_viewRowsStale = true;
    m_currentSourceRow = -1;
    QModelIndexList to;
    for (const QPersistentModelIndex &source : qAsConst(m_layoutSources)) {
        to.append(mapFromSource(source));
    }
    changePersistentIndexList(m_layoutIndexes, to);
    m_layoutIndexes.clear();
    m_layoutSources.clear();
    emit layoutChanged();
}

void ContactsProxyModel::sourceAboutToBeReset()
{
    beginResetModel();
}

void ContactsProxyModel::sourceReset()
{
    m_rows = wantedRows();
    m_viewRowsStale = true;
    m_currentSourceRow = -1;
    endResetModel();
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

// The row test: the star when only favourites are shown, then the search
// (the row cache's for the search field, else the base class's test of the
// filter role).
bool ContactsProxyModel::acceptsRow(int sourceRow) const
{
    if (m_source) {
        if (m_favouritesOnly && !m_filter.isFavourite(sourceRow)) {
            return false;
        }
        return fastSearchUsable()
                       ? m_filter.searchMatches(sourceRow)
                       : QSortFilterProxyModel::filterAcceptsRow(sourceRow, QModelIndex());
    }
    if (m_favouritesOnly
        && !sourceModel()->index(sourceRow, 0).data(ContactsModel::FavoriteRole).toBool()) {
        return false;
    }
    return QSortFilterProxyModel::filterAcceptsRow(sourceRow, QModelIndex());
}

// Only the base class asks this, for the row map it would keep itself and
// this class never reads: answering that no row passes keeps that map empty,
// and a base-class setter called from outside then adds or removes nothing.
// The view's rows are those that acceptsRow() passes.
bool ContactsProxyModel::filterAcceptsRow(int, const QModelIndex &) const
{
    return false;
}

void ContactsProxyModel::invalidate()
{
    m_filter.forget();
    showRows(wantedRows());
}

void ContactsProxyModel::invalidateFilter()
{
    showRows(wantedRows());
}

void ContactsProxyModel::setFilterFixedString(const QString &pattern)
{
    m_fastSearch = true;
    m_searchPattern = pattern;
    m_basePatternStale = true;
    m_filter.setSearchText(pattern);
    showRows(wantedRows());
}

// Telling the base class a pattern makes it pass over every source row
// (with its own row map): the search field's text goes to it only when its
// row test is what filters the rows.
void ContactsProxyModel::syncBasePattern()
{
    if (m_basePatternStale && !fastSearchUsable()) {
        m_basePatternStale = false;
        callBase([this] { QSortFilterProxyModel::setFilterFixedString(m_searchPattern); });
    }
}

// The other pattern setters: the base class's row test filters from now on.
void ContactsProxyModel::useBasePattern(const std::function<void()> &setPattern)
{
    m_fastSearch = false;
    m_basePatternStale = false;
    callBase(setPattern);
    showRows(wantedRows());
}

void ContactsProxyModel::setFilterRegExp(const QString &pattern)
{
    useBasePattern([&pattern, this] { QSortFilterProxyModel::setFilterRegExp(pattern); });
}

void ContactsProxyModel::setFilterRegExp(const QRegExp &regExp)
{
    useBasePattern([&regExp, this] { QSortFilterProxyModel::setFilterRegExp(regExp); });
}

void ContactsProxyModel::setFilterWildcard(const QString &pattern)
{
    useBasePattern([&pattern, this] { QSortFilterProxyModel::setFilterWildcard(pattern); });
}

void ContactsProxyModel::setFilterRegularExpression(const QString &pattern)
{
    useBasePattern(
            [&pattern, this] { QSortFilterProxyModel::setFilterRegularExpression(pattern); });
}

void ContactsProxyModel::setFilterRegularExpression(const QRegularExpression &regularExpression)
{
    useBasePattern([&regularExpression, this] {
        QSortFilterProxyModel::setFilterRegularExpression(regularExpression);
    });
}

void ContactsProxyModel::sort()
{
    // The first keystroke of a search should find the folded names ready;
    // sorting is where a pause is expected anyway.
    if (m_source) {
        m_filter.foldAllAndOrder();
    }
    sort(0, Qt::AscendingOrder);
    updateExistingLetters();
}

void ContactsProxyModel::updateExistingLetters()
{
    LetterCollector collector;
    if (m_source) {
        // Sorted rows share their initials in long runs; the row cache names
        // the rows where a run starts.
        m_filter.forEachNewInitial(m_rows, [&collector](const QString &letter, int row) {
            collector.note(letter, row);
        });
    } else {
        for (int row = 0; row < rowCount(); ++row) {
            const QString text = data(index(row, 0), m_sortRole).toString();
            if (!text.isEmpty()) {
                collector.note(ContactsFilter::initialOf(text), row);
            }
        }
    }
    publishLetters(collector.letters, collector.index);
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
    if (m_source) {
        const int sourceRow = sourceRowOfContact(contactId);
        return sourceRow < 0 ? -1 : viewRowOf(sourceRow);
    }
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
    showRows(wantedRows());
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
    callBase([role, this] { QSortFilterProxyModel::setSortRole(role); });
    // A view that has been sorted is sorted again by the new role.
    if (sortColumn() == 0) {
        showRows(wantedRows());
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
            const int row = sourceRow < 0 ? -1 : viewRowOf(sourceRow);
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
    const int rows = m_source->rowCount();
    for (int row = 0; row < rows; ++row) {
        const Contact *contact = m_source->contactAt(row);
        if (contact && contact->id == contactId) {
            if (contactId == m_currentId) {
                m_currentSourceRow = row;
            }
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
    const int row = sourceRow < 0 ? -1 : viewRowOf(sourceRow);
    if (row < 0) {
        return false;
    }
    setCurrentId(contactId);
    m_currentSourceRow = sourceRow;
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

QVariantList ContactsProxyModel::offeredMatching(QObject *offering, const QString &search) const
{
    return offering ? contactsMatching(offering->property("contacts").toList(), search)
                    : QVariantList();
}

QVariantList ContactsProxyModel::contactsMatching(const QVariantList &contacts,
                                                  const QString &search) const
{
    QVariantList found;
    for (const QVariant &value : contacts) {
        const auto *contact = value.value<Contact *>();
        if (contact && ContactsFilter::contactMatches(*contact, search)) {
            found << value;
        }
    }
    return found;
}

void ContactsProxyModel::importEnded(const QStringList &labels)
{
    addGroupLabels(labels);
    sort();
}

QList<Contact *> ContactsProxyModel::contactsInListOrder() const
{
    QList<Contact *> list;
    if (!m_source) {
        return list;
    }
    const std::vector<int> &order = m_filter.order();
    list.reserve(int(order.size()));
    for (int row : order) {
        list.append(const_cast<Contact *>(m_source->contactAt(row)));
    }
    return list;
}
