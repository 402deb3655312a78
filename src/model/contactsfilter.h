#pragma once

#include "model/contactsmodel.h"
#include "model/sortkeymaker.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <utility>
#include <vector>

// The row cache behind the sorted and searched contact list. For each row of
// a ContactsModel it keeps, in step with the source's rows, the letter its
// sort text starts with, its folded search text (names, organisation,
// e-mails; case and Latin accents folded) and phone digits, which
// characters they hold, whether they hold the search, and the star.
// It keeps every row in sort order as it changes, so that the rows a search
// or the favourites filter shows come out in order without sorting.
//
// Sorting compares collation keys as bytes, all in one buffer; once the
// order is made they are let go, and a key is made again only for a row that
// a changed or added row is compared with. The folded texts (as UTF-8) share
// one buffer too; each row has small bit sets of its characters, character
// pairs and phone digits beside it: a keystroke reads those sets in row
// order and looks into the text of a row only when the sets cannot answer.
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
    // Forgets every row's state: each is read afresh when next needed.
    void forget() { clear(); }

    // Sorting: every source row in the order of (sort text, source row),
    // made once and then kept in step; the order of two rows.
    const std::vector<int> &order() const;
    bool lessThan(int left, int right) const;
    // Counts the changes that moved rows against each other in the order
    // (a changed sort text, a new sort role, forgotten states).
    quint64 orderChanges() const { return m_orderChanges; }
    // The initial of a sort text as the letter index shows it: the first
    // character (a whole surrogate pair when there is one), upper-cased.
    static QString initialOf(const QString &text);
    // Whether a contact matches a search the way a row of the list does (for
    // lists outside the model, such as the import and export form's).
    static bool contactMatches(const Contact &contact, const QString &search);
    // For source rows listed in view order: calls note(initial, position) at
    // each row whose sort text starts with another letter than the row
    // before it; rows with an empty sort text are passed over.
    void forEachNewInitial(const std::vector<int> &rows,
                           const std::function<void(const QString &, int)> &note) const;

    // Searching: the folded search text (and its digits when it reads as a
    // phone number), and whether a row's search text or phones hold it.
    void setSearchText(const QString &text);
    bool searchMatches(int sourceRow) const;
    bool isFavourite(int sourceRow) const;
    // The rows that hold the search (and are starred, when favouritesOnly),
    // in sort order or in source order.
    std::vector<int> acceptedRows(bool favouritesOnly, bool sorted) const;
    // Makes the order and folds every row's search text, so that the first
    // search finds it ready.
    void foldAllAndOrder() const;
    // The bytes the folded texts and the search bit sets of all rows hold.
    qint64 searchTextBytes() const;

private:
    // Where a row's collation key is in m_keyBytes, if it has one.
    struct KeyPlace
    {
        static constexpr quint32 None = 0xffffffff;
        quint32 start = 0;
        quint32 length = None;
    };
    // What the loops over every row read: one byte a row.
    enum Mark : quint8 {
        Tested = 1,  // whether the row holds the search is known,
        Matches = 2, // and it does
        Favourite = 4,
        Folded = 8, // the row's folded text and sets are made
    };
    // Where a row's folded text and the phone digits after it are in m_folded.
    struct TextPlace
    {
        quint32 start = 0;
        quint32 textLength = 0;
        quint32 digitsLength = 0;
    };
    // The characters of a folded text (one bit per character class), its
    // neighbouring characters (hashed), and the digits and neighbouring
    // digits of phone numbers. Each has a vector of its own, so that a
    // search reads only the sets it needs.
    using CharacterSet = std::array<quint64, 2>;
    using PairSet = std::array<quint64, 4>;
    using DigitSet = std::array<quint64, 2>;
    // The search as the sets test it.
    struct Needle
    {
        CharacterSet characters{};
        PairSet pairs{};
        DigitSet digits{};
        bool exactText = false;
        bool searchesDigits = false;
        bool exactDigits = false;
    };

    void clear();
    void resetStates(int rows) const;
    void insertStates(int first, int count) const;
    void applyRemovals() const;
    void rowsInserted(const QModelIndex &parent, int first, int last);
    void rowsRemoved(const QModelIndex &parent, int first, int last);
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QVector<int> &roles);
    void sortTextsChanged(int first, int last);
    void foldedTextsChanged(int first, int last);
    void sync() const;
    QString sortTextOf(int sourceRow) const;
    void keyRow(int sourceRow) const;
    void noteInitial(int sourceRow, const QString &text) const;
    void dropKey(int sourceRow) const;
    void releaseKeys() const;
    void compactKeys() const;
    void foldRow(int sourceRow) const;
    bool foldRowInto(int sourceRow, QByteArray &folded, QString &scratch) const;
    void compactFolded() const;
    int reserveFolded() const;
    void foldRows() const;
    void fitFolded() const;
    void foldMeanwhile(const std::function<void()> &order) const;
    int compareRows(int left, int right) const;
    quint64 keyPrefix(int sourceRow, quint32 from) const;
    bool rowLess(int left, int right) const;
    void ensureOrder() const;
    void placeInOrder(const std::vector<int> &rows) const;
    std::vector<int> sortedRows(const std::vector<int> &rows) const;
    enum class Verdict { Lacks, Holds, Read };
    static Verdict setsVerdict(const Needle &needle, const CharacterSet &characters,
                               const PairSet &pairs, const DigitSet &digits);
    bool textHolds(int sourceRow) const;
    bool matchRow(int sourceRow) const;
    void testUntestedRows() const;

    QPointer<ContactsModel> m_source;
    ContactsModel::ContactRoles m_sortRole = ContactsModel::FullNameRole;
    SortKeyMaker m_keyMaker;
    QList<QMetaObject::Connection> m_connections;
    mutable std::vector<KeyPlace> m_keys;
    // The collation keys of all rows; keys that no row uses any more are
    // dropped when they outgrow the rest.
    mutable std::vector<uchar> m_keyBytes;
    mutable qint64 m_unusedKeyBytes = 0;
    mutable std::vector<quint8> m_marks;
    // The letter id of each row's initial; -2 while its sort text is unread.
    mutable std::vector<int> m_initials;
    mutable std::vector<CharacterSet> m_characters;
    mutable std::vector<PairSet> m_pairs;
    mutable std::vector<DigitSet> m_digits;
    mutable std::vector<TextPlace> m_places;
    // The folded texts of all rows, as UTF-8; text that no row uses any
    // more is dropped when it outgrows the rest.
    mutable QByteArray m_folded;
    // A row's texts while they are folded, before they go to m_folded.
    mutable QString m_scratch;
    mutable qint64 m_unusedFolded = 0;
    // Every source row in the order of (sort text, source row), valid while
    // m_ordered, and each row's position in it, made when asked for.
    mutable std::vector<int> m_order;
    mutable std::vector<int> m_ranks;
    mutable bool m_ordered = false;
    quint64 m_orderChanges = 0;
    // Ranges of rows the source removed that the states still hold, each
    // below the one before it, and how many rows they hold.
    mutable std::vector<std::pair<int, int>> m_removed;
    mutable int m_removedCount = 0;
    // The initials met so far; a row's initial is an index into m_letters.
    mutable QHash<QString, int> m_letterIds;
    mutable QStringList m_letters;
    QString m_searchFold;
    QString m_searchDigits;
    QByteArray m_searchFoldBytes;
    QByteArray m_searchDigitsBytes;
    Needle m_needle;
};
