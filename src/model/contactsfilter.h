#pragma once

#include "model/contactsmodel.h"

#include <QCollator>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

// The row cache behind the sorted and searched contact list. For each row of
// a ContactsModel it keeps, in step with the source's rows, the collation
// key of its sort text (made once, so that sorting compares keys instead of
// collating texts), its folded search text (names, organisation, e-mails;
// case and Latin accents folded) and phone digits, whether they hold the
// search, and the answer last given to the view's filter. It ranks the
// rows by sort text, and brings a view to a new filter either row run by row
// run or in one re-mapping, whichever costs less.
class ContactsFilter : public QObject
{
    Q_OBJECT

public:
    explicit ContactsFilter(QObject *parent = nullptr);

    // Follows the rows of model (none: forgets every state). Call before the
    // view connects to the model, so that the states are in step before the
    // view re-sorts or re-filters after a source change.
    void attach(ContactsModel *model);
    void setSortRole(ContactsModel::ContactRoles role);

    // Sorting: whether every row has its rank, the order of two source rows,
    // the ranks taken from rows listed in sorted order.
    bool ranked() const;
    bool lessThan(int left, int right) const;
    void setRanksFromOrder(const std::vector<int> &sourceRows);
    // Folds every row's search text now, so that the first search finds it
    // ready.
    void foldAll() const;
    const QString &sortText(int sourceRow) const;
    // The accepted rows in rank order when they are `shown` many and every
    // row has its rank, else nothing: the view's rows without asking it.
    std::vector<int> acceptedInRankOrder(int shown) const;

    // Searching: the folded search text (and its digits when it reads as a
    // phone number), and whether a row's search text or phones hold it.
    void setSearchText(const QString &text);
    // The bytes the folded search texts and phone digits of all rows hold.
    qint64 searchTextBytes() const;
    bool searchMatches(int sourceRow) const;

    // The view's row test: asks accepts, or repeats the last answer while
    // refilter() has frozen the answers.
    bool filterRow(int sourceRow, const std::function<bool(int)> &accepts) const;
    // Brings the view to the rows that accepts now gives. A few changed rows
    // go through changeBase, the base class's row-by-row update, which
    // announces each run of rows; many go through remap, one re-mapping,
    // because the base class rebuilds its whole row map for every run it
    // removes or inserts. For the re-mapping changeBase runs first while the
    // answers are frozen, so that it changes no rows itself.
    void refilter(const std::function<bool(int)> &accepts, const std::function<void()> &changeBase,
                  const std::function<void()> &remap);

private:
    struct RowState
    {
        QString sortText;
        std::optional<QCollatorSortKey> key;
        // The searched fields folded, and the phones' digits.
        QString searchText;
        QString phoneDigits;
        // One bit per character of the search text (code unit modulo 64):
        // a search with a bit that the row lacks cannot be in it.
        quint64 characters = 0;
        bool keyReady = false;
        bool foldReady = false;
        signed char match = -1; // -1 unknown, 0 no, 1 yes
        bool accepted = false;
    };

    void clear();
    void invalidateKeys();
    void rowsInserted(const QModelIndex &parent, int first, int last);
    void rowsRemoved(const QModelIndex &parent, int first, int last);
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QVector<int> &roles);
    void sync() const;
    const RowState &keyedRow(int sourceRow) const;
    const RowState &foldedRow(int sourceRow) const;
    int compareRows(int left, int right) const;
    void ensureRanks() const;

    QPointer<ContactsModel> m_source;
    ContactsModel::ContactRoles m_sortRole = ContactsModel::FullNameRole;
    QCollator m_collator;
    bool m_plainOrder = false;
    QList<QMetaObject::Connection> m_connections;
    mutable std::vector<RowState> m_rows;
    // Position of each source row in the order of (sort text, source row);
    // empty while a row has none. Sorting by it gives the same order as a
    // stable sort by the sort text.
    mutable std::vector<int> m_ranks;
    QString m_searchFold;
    QString m_searchDigits;
    quint64 m_searchCharacters = 0;
    // While set, filterRow() repeats its last answers.
    bool m_frozen = false;
};
