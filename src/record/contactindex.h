#pragma once

#include "record/contactsearch.h"
#include "record/sortkeymaker.h"

#include <QHash>
#include <QStringList>
#include <QVector>

#include <string>
#include <vector>

class Contact;

// What the list keeps for each row of the list model to sort and search
// it: the collation key of the row's sort text, its rank in the sort order
// and its folded search texts. The list model keeps it in step with its
// rows; the sorted view reads it. The order and the search texts are made
// when first asked for, so that a new sort role costs one sort and the list
// shows before its texts are folded.
class ContactIndex
{
public:
    // The text of a record that a sort role names.
    using SortText = QString (*)(const Contact &contact, int role);
    ContactIndex(const QVector<Contact *> &rows, SortText sortText, int sortRole);

    int sortRole() const { return m_sortRole; }
    void setSortRole(int role);
    QString sortTextOf(const Contact &contact) const { return m_sortText(contact, m_sortRole); }

    // After the rows changed: rows first..last were inserted, changed or
    // removed; row i now holds what row from[i] held.
    void rowsInserted(int first, int last);
    void rowsChanged(int first, int last);
    void rowsRemoved(int first, int last);
    void rowsMoved(const std::vector<int> &from);

    // Every row in the order of its sort text (equal texts in row order),
    // and each row's place in it.
    const std::vector<int> &order() const;
    int rank(int row) const
    {
        if (!m_ordered) {
            order();
        }
        return m_ranks[size_t(row)];
    }
    // Which rows a view shows: the starred ones only, or the members of one
    // group (named in the book's spelling), or all; and of those the ones
    // the search finds.
    struct Filter
    {
        bool favouritesOnly = false;
        QString group;
        ContactSearch search;
    };
    bool passes(int row, const Filter &filter) const
    {
        if (!isShownBy(row, filter)) {
            return false;
        }
        if (filter.search.isEmpty()) {
            return true;
        }
        if (!m_folded) {
            fold();
        }
        return filter.search.matches(m_words.at(size_t(row)), m_digits.at(size_t(row)));
    }
    // The rows of `among` (all rows when null) that pass, in the sort order
    // when sorted, else in row order. The rows are tested in row order,
    // which is the order their records and texts lie in memory, and the
    // search reads its text columns from end to end.
    std::vector<int> rowsPassing(const Filter &filter, bool sorted,
                                 const std::vector<int> *among = nullptr) const;
    // Folds the search texts of every row, which are made when first
    // needed and then kept in step.
    void fold() const;
    // The initials of these rows as the letter index shows them (the first
    // character of the sort text, a whole surrogate pair when there is one,
    // upper-cased), each once, in the order the rows first show them;
    // firstRow gets the place in `rows` where each one starts.
    QStringList lettersOf(const std::vector<int> &rows, QHash<QString, int> &firstRow) const;
    // The bytes the folded search texts take.
    qint64 searchTextBytes() const;

private:
    // The texts of all rows one after another in row order, so that a
    // search over every row reads one run of memory.
    struct TextColumn
    {
        std::string bytes;
        std::vector<quint32> ends;

        std::string_view at(size_t row) const
        {
            const quint32 start = row > 0 ? ends[row - 1] : 0;
            return std::string_view(bytes).substr(start, ends[row] - start);
        }
        ContactSearch::Column column() const { return {bytes, ends}; }
        void append(std::string_view text)
        {
            bytes += text;
            ends.push_back(quint32(bytes.size()));
        }
        // Replaces `removed` rows from `first` on by the rows of `texts`.
        void splice(size_t first, size_t removed, TextColumn &&texts);
        // Puts the text of row from[i] at row i.
        void permute(const std::vector<int> &from);
    };

    bool isFavourite(int row) const;
    bool isInGroup(int row, const QString &group) const;
    // The filter's favourites and group, the search aside.
    bool isShownBy(int row, const Filter &filter) const
    {
        return (!filter.favouritesOnly || isFavourite(row))
               && (filter.group.isEmpty() || isInGroup(row, filter.group));
    }
    // Folds the texts of rows first..last in place of `replaced` rows.
    void foldTexts(int first, int last, int replaced) const;
    // Makes the row's key and initial; false when the key stayed.
    bool indexSortText(int row) const;
    static uint firstCode(const QString &text);
    int initialOf(uint code, int row) const;
    void placeInOrder(std::vector<int> rows) const;
    void rank() const;

    const QVector<Contact *> &m_rows;
    SortText m_sortText;
    int m_sortRole;
    SortKeyMaker m_keyMaker;
    // Valid while m_folded.
    mutable TextColumn m_words;
    mutable TextColumn m_digits;
    mutable bool m_folded = false;
    // Valid while m_ordered.
    mutable std::vector<std::string> m_keys;
    // Each row's initial: an index into m_letters, -1 for an empty text.
    mutable std::vector<int> m_initials;
    // The initials met so far, each once.
    mutable QStringList m_letters;
    mutable QHash<QString, int> m_letterIds;
    mutable QHash<uint, int> m_initialOfCode;
    mutable std::vector<int> m_order;
    mutable std::vector<int> m_ranks;
    mutable bool m_ordered = false;
};
