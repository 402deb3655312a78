#include "model/contactsproxymodel.h"

#include "record/contact.h"

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
    const int length =
            text.size() > 1 && text.at(0).isHighSurrogate() && text.at(1).isLowSurrogate() ? 2 : 1;
    return text.left(length).toUpper();
}

// The text with every code point folded on its own (simple case folding),
// which is how QString compares and searches case-insensitively; a text's
// toCaseFolded() can differ (it applies the multi-character foldings).
QString foldedText(const QString &text)
{
    QString folded;
    folded.reserve(text.size());
    const int size = text.size();
    for (int i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < size && text.at(i + 1).isLowSurrogate()) {
            const uint code = QChar::toCaseFolded(QChar::surrogateToUcs4(c, text.at(i + 1)));
            if (QChar::requiresSurrogates(code)) {
                folded += QChar(QChar::highSurrogate(code));
                folded += QChar(QChar::lowSurrogate(code));
            } else {
                folded += QChar(code);
            }
            ++i;
        } else {
            folded += QChar(QChar::toCaseFolded(c.unicode()));
        }
    }
    return folded;
}
quint64 characterBits(const QString &text)
{
    quint64 bits = 0;
    for (const QChar c : text) {
        bits |= quint64(1) << (c.unicode() % 64);
    }
    return bits;
}
} // namespace

bool modelIndexRowLessThan(const QModelIndex &a, const QModelIndex &b)
{
    return a.row() < b.row();
}

ContactsProxyModel::ContactsProxyModel(QObject *parent)
    : QSortFilterProxyModel(parent),
      m_newContact(new Contact(this)),
      m_collator(QLocale())
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
    invalidateKeys();
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
    clearRowStates();
    // The row states follow the source's rows; their handlers are connected
    // before the base class's, so that the base class's own re-sorting and
    // re-filtering after a source change never reads a stale state.
    connectRowStates(contacts);
    m_source = contacts;
    QSortFilterProxyModel::setSourceModel(sourceModel);
}

void ContactsProxyModel::connectRowStates(ContactsModel *model)
{
    for (const QMetaObject::Connection &connection : qAsConst(m_rowConnections)) {
        disconnect(connection);
    }
    m_rowConnections.clear();
    if (!model) {
        return;
    }
    m_rowConnections
            << connect(model, &QAbstractItemModel::rowsInserted, this,
                       [this](const QModelIndex &parent, int first, int last) {
                           if (parent.isValid() || first > int(m_rows.size())) {
                               clearRowStates();
                               return;
                           }
                           m_rows.insert(m_rows.begin() + first, size_t(last - first + 1),
                                         RowState());
                           m_ranks.clear();
                       })
            << connect(model, &QAbstractItemModel::rowsRemoved, this,
                       [this](const QModelIndex &parent, int first, int last) {
                           if (parent.isValid() || last >= int(m_rows.size())) {
                               clearRowStates();
                               return;
                           }
                           // The ranks of the rows that stay keep their order.
                           if (m_ranks.size() == m_rows.size()) {
                               m_ranks.erase(m_ranks.begin() + first, m_ranks.begin() + last + 1);
                           } else {
                               m_ranks.clear();
                           }
                           m_rows.erase(m_rows.begin() + first, m_rows.begin() + last + 1);
                       })
            << connect(model, &QAbstractItemModel::dataChanged, this,
                       [this](const QModelIndex &topLeft, const QModelIndex &bottomRight,
                              const QVector<int> &roles) {
                           const bool sortText = roles.isEmpty() || roles.contains(m_sortRole);
                           const bool name =
                                   roles.isEmpty() || roles.contains(ContactsModel::FullNameRole);
                           const int last = qMin(bottomRight.row(), int(m_rows.size()) - 1);
                           for (int row = qMax(0, topLeft.row()); row <= last; ++row) {
                               RowState &state = m_rows[size_t(row)];
                               if (sortText) {
                                   state.keyReady = false;
                                   m_ranks.clear();
                               }
                               if (name) {
                                   state.foldReady = false;
                                   state.match = -1;
                               }
                           }
                       })
            << connect(model, &QAbstractItemModel::modelReset, this,
                       &ContactsProxyModel::clearRowStates)
            << connect(model, &QAbstractItemModel::layoutChanged, this,
                       &ContactsProxyModel::clearRowStates)
            << connect(model, &QAbstractItemModel::rowsMoved, this,
                       &ContactsProxyModel::clearRowStates);
}

void ContactsProxyModel::clearRowStates()
{
    m_rows.clear();
    m_ranks.clear();
}

void ContactsProxyModel::invalidateKeys()
{
    for (RowState &state : m_rows) {
        state.keyReady = false;
    }
    m_ranks.clear();
}

// States that lost step with the source's rows start afresh.
void ContactsProxyModel::syncRowStates() const
{
    const size_t rows = size_t(m_source->rowCount());
    if (m_rows.size() != rows) {
        m_rows.assign(rows, RowState());
        m_ranks.clear();
    }
}

const ContactsProxyModel::RowState &ContactsProxyModel::keyedRow(int sourceRow) const
{
    RowState &state = m_rows[size_t(sourceRow)];
    if (!state.keyReady) {
        state.sortText = m_source->data(m_source->index(sourceRow, 0), m_sortRole).toString();
        if (!m_plainOrder && !state.sortText.isEmpty()) {
            state.key = m_collator.sortKey(state.sortText);
        } else {
            state.key.reset();
        }
        state.keyReady = true;
    }
    return state;
}

const ContactsProxyModel::RowState &ContactsProxyModel::foldedRow(int sourceRow) const
{
    RowState &state = m_rows[size_t(sourceRow)];
    if (!state.foldReady) {
        state.foldedName = foldedText(m_source->contactAt(sourceRow)->fullname);
        state.characters = characterBits(state.foldedName);
        state.foldReady = true;
    }
    return state;
}

// The sign of QString::localeAwareCompare(left text, right text): an empty
// text compares plainly, and so does every text in the C locale.
int ContactsProxyModel::compareRows(int left, int right) const
{
    const RowState &a = keyedRow(left);
    const RowState &b = keyedRow(right);
    if (!a.key || !b.key) {
        return QString::compare(a.sortText, b.sortText, Qt::CaseSensitive);
    }
    return a.key->compare(*b.key);
}

void ContactsProxyModel::ensureRanks() const
{
    if (!m_source) {
        return;
    }
    syncRowStates();
    if (m_ranks.size() == m_rows.size()) {
        return;
    }
    const int rows = int(m_rows.size());
    std::vector<int> order(size_t(rows), 0);
    for (int row = 0; row < rows; ++row) {
        order[size_t(row)] = row;
        keyedRow(row);
    }
    std::sort(order.begin(), order.end(), [this](int a, int b) {
        const int result = compareRows(a, b);
        return result < 0 || (result == 0 && a < b);
    });
    m_ranks.assign(size_t(rows), 0);
    for (int position = 0; position < rows; ++position) {
        m_ranks[size_t(order[size_t(position)])] = position;
    }
}

bool ContactsProxyModel::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    const ContactsModel *source = m_source.data();
    if (source && left.model() == source && right.model() == source) {
        const size_t leftRow = size_t(left.row());
        const size_t rightRow = size_t(right.row());
        if (m_ranks.size() == m_rows.size() && leftRow < m_ranks.size()
            && rightRow < m_ranks.size()) {
            return m_ranks[leftRow] < m_ranks[rightRow];
        }
        syncRowStates();
        return compareRows(left.row(), right.row()) < 0;
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

bool ContactsProxyModel::searchMatches(int sourceRow) const
{
    if (m_searchFold.isEmpty()) {
        return true;
    }
    RowState &state = m_rows[size_t(sourceRow)];
    if (state.match < 0) {
        foldedRow(sourceRow);
        const bool found = (m_searchCharacters & ~state.characters) == 0
                           && state.foldedName.contains(m_searchFold, Qt::CaseSensitive);
        state.match = found ? 1 : 0;
    }
    return state.match == 1;
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
    return searchMatches(sourceRow);
}

bool ContactsProxyModel::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    if (!m_source || sourceParent.isValid()) {
        return QSortFilterProxyModel::filterAcceptsRow(sourceRow, sourceParent);
    }
    syncRowStates();
    RowState &state = m_rows[size_t(sourceRow)];
    if (!m_frozen) {
        state.accepted = acceptsRow(sourceRow);
    }
    return state.accepted;
}

// Moves the known search results to a new search text. When the new text
// holds the old one, a row without the old one cannot have the new one; when
// the old text holds the new one, a row with the old one has the new one.
// Only the other rows are tested again, when the filter asks for them.
void ContactsProxyModel::updateSearch(const QString &text)
{
    const QString fold = foldedText(text);
    if (fold == m_searchFold) {
        return;
    }
    const bool narrower = !m_searchFold.isEmpty() && fold.contains(m_searchFold);
    const bool wider = !fold.isEmpty() && m_searchFold.contains(fold);
    for (RowState &state : m_rows) {
        if ((state.match == 0 && narrower) || (state.match == 1 && wider)) {
            continue;
        }
        state.match = -1;
    }
    m_searchFold = fold;
    m_searchCharacters = characterBits(fold);
}

// Brings the view to the rows that acceptsRow() now gives. A few changed
// rows go through the base class's row-by-row update, which announces each
// run of rows; many go through one re-mapping (a layout change), because the
// base class rebuilds its whole row map for every run it removes or inserts.
// For the re-mapping the base class first takes its new pattern while the
// filter repeats its last answers, so that it changes no rows itself.
void ContactsProxyModel::refilter(const std::function<void()> &changeBase)
{
    if (!m_source) {
        changeBase();
        return;
    }
    syncRowStates();
    const int rows = int(m_rows.size());
    const int limit = qMax(8, 1000000 / qMax(1, rows));
    int changes = 0;
    for (int row = 0; row < rows && changes <= limit; ++row) {
        if (acceptsRow(row) != m_rows[size_t(row)].accepted) {
            ++changes;
        }
    }
    if (changes <= limit) {
        changeBase();
        return;
    }
    m_frozen = true;
    changeBase();
    m_frozen = false;
    ensureRanks();
    invalidate();
}

void ContactsProxyModel::setFilterFixedString(const QString &pattern)
{
    m_fastSearch = true;
    updateSearch(pattern);
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
    const bool ranked = m_source && m_ranks.size() == size_t(m_source->rowCount());
    if (sortColumn() == 0 && m_sortedRole != m_sortRole) {
        // The sortRole property was written without re-sorting; the base
        // class would take the view as sorted and do nothing.
        invalidate();
    }
    m_sortedRole = m_sortRole;
    if (m_source) {
        // The first keystroke of a search should find the folded names
        // ready; sorting is where a pause is expected anyway.
        syncRowStates();
        for (int row = 0; row < int(m_rows.size()); ++row) {
            foldedRow(row);
        }
    }
    QSortFilterProxyModel::sort(0, Qt::AscendingOrder);
    // Sorting by the keys leaves every shown row in key order; when all
    // rows are shown that order gives the ranks for free, and later
    // re-mappings compare integers.
    if (!ranked && m_source && rowCount() == m_source->rowCount()) {
        syncRowStates();
        const int rows = rowCount();
        std::vector<int> ranks(size_t(rows), 0);
        for (int row = 0; row < rows; ++row) {
            ranks[size_t(mapToSource(index(row, 0)).row())] = row;
        }
        m_ranks = std::move(ranks);
    }
    updateExistingLetters();
}

void ContactsProxyModel::updateExistingLetters()
{
    QHash<QString, int> letterIndex;
    QStringList letters;
    QString previousText;
    auto note = [&](const QString &text, int row) {
        if (text.isEmpty()) {
            return;
        }
        // Sorted rows share their initials in long runs: a row that starts
        // like the one before it cannot add a letter.
        if (!previousText.isEmpty() && text.at(0) == previousText.at(0)
            && !text.at(0).isSurrogate()) {
            return;
        }
        previousText = text;
        const QString letter = initialOf(text);
        if (!letterIndex.contains(letter)) {
            letterIndex.insert(letter, row);
            letters.append(letter);
        }
    };

    const int rows = rowCount();
    if (m_source && sortColumn() == 0) {
        syncRowStates();
    }
    const bool ranked = m_source && sortColumn() == 0 && m_ranks.size() == m_rows.size();
    std::vector<int> byRank;
    if (ranked) {
        // The view shows the accepted rows in rank order; read it from the
        // row states instead of asking the view row by row.
        int accepted = 0;
        byRank.assign(m_rows.size(), -1);
        for (size_t row = 0; row < m_rows.size(); ++row) {
            const size_t rank = size_t(m_ranks[row]);
            if (m_rows[row].accepted && rank < byRank.size()) {
                byRank[rank] = int(row);
                ++accepted;
            }
        }
        if (accepted != rows) {
            byRank.clear();
        }
    }
    if (!byRank.empty()) {
        int viewRow = 0;
        for (int sourceRow : byRank) {
            if (sourceRow >= 0) {
                note(keyedRow(sourceRow).sortText, viewRow++);
            }
        }
    } else {
        for (int row = 0; row < rows; ++row) {
            note(data(index(row, 0), m_sortRole).toString(), row);
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
    invalidateKeys();
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
