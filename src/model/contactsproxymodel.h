#pragma once

#include "record/contactbook.h"

#include "model/contactsfilter.h"
#include "model/contactsmodel.h"

#include <QHash>
#include <QPointer>
#include <QSortFilterProxyModel>
#include <QStringList>

#include <functional>
#include <vector>

class Contact;

// True when a's row is less than b's row; orders index lists by row.
bool modelIndexRowLessThan(const QModelIndex &a, const QModelIndex &b);

// The contact list as the scenes show it: the contacts of ContactsModel in
// locale-aware alphabetical order, optionally only the starred ones and only
// those the search text finds (in names, organisation, e-mails or phone
// digits). It tracks the current row,
// offers the editing operations on it, keeps the letter index beside the list
// and the user's group labels for phones, e-mails and addresses.
//
// It is a QSortFilterProxyModel to its users (the filter pattern, filter role,
// sort role, sort column and order are the base class's), but it maps its
// rows itself: the shown rows are one vector of source rows, which a change
// of the search, the favourites filter or the sort order replaces at once
// (one layout change, or a few row insertions and removals), instead of the
// base class re-sorting its row map after every such change. The rows follow
// every change of the source, as with the base class's dynamic sorting and
// filtering. Sources other than ContactsModel are sorted through lessThan()
// and filtered by the base class's row test.
class ContactsProxyModel : public QSortFilterProxyModel, public ContactList
{
    Q_OBJECT
    Q_INTERFACES(ContactList)
    Q_PROPERTY(int currentIndex READ currentIndex WRITE setCurrentIndex NOTIFY currentIndexChanged)
    Q_PROPERTY(QStringList existingLetters READ existingLetters WRITE setExistingLetters NOTIFY
                       existingLettersChanged)
    Q_PROPERTY(QStringList contactsToRemove READ contactsToRemove WRITE setContactsToRemove)
    Q_PROPERTY(
            QStringList groupLabels READ groupLabels WRITE setGroupLabels NOTIFY groupLabelsChanged)
    Q_PROPERTY(Contact *newContact READ newContact WRITE setNewContact)
    Q_PROPERTY(ContactsModel::ContactRoles sortRole READ sortRole WRITE setSortRoleValue NOTIFY
                       sortRoleChanged)
    Q_PROPERTY(QString currentId READ currentId NOTIFY currentIdChanged)

public:
    explicit ContactsProxyModel(QObject *parent = nullptr);
    ~ContactsProxyModel() override;

    int currentIndex() const { return m_currentIndex; }
    void setCurrentIndex(int index);
    QStringList existingLetters() const { return m_existingLetters; }
    void setExistingLetters(const QStringList &letters);
    QStringList contactsToRemove() const { return m_contactsToRemove; }
    void setContactsToRemove(const QStringList &rows);
    QStringList groupLabels() const { return m_groupLabels; }
    void setGroupLabels(const QStringList &labels);
    Contact *newContact() const { return m_newContact; }
    void setNewContact(Contact *contact);
    ContactsModel::ContactRoles sortRole() const { return m_sortRole; }
    // The property write: stores and signals only; setSortRole() also
    // re-sorts and saves.
    void setSortRoleValue(ContactsModel::ContactRoles role);

    bool favouritesOnly() const { return m_favouritesOnly; }
    // The id of the selected contact; the selection follows it (see
    // followCurrentContact()).
    QString currentId() const { return m_currentId; }

    // Any route that attaches a source keeps the row states in step; a
    // source that is not a ContactsModel gets the base class's row tests
    // and localeAwareCompare on its data.
    void setSourceModel(QAbstractItemModel *sourceModel) override;

    // The row map: the base class's own is never built.
    QModelIndex index(int row, int column,
                      const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    QModelIndex sibling(int row, int column, const QModelIndex &index) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex mapToSource(const QModelIndex &proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex &sourceIndex) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant &value,
                       int role = Qt::EditRole) override;
    // Rows and columns come and go through the source's own operations.
    bool insertRows(int row, int count, const QModelIndex &parent = QModelIndex()) override;
    bool insertColumns(int column, int count, const QModelIndex &parent = QModelIndex()) override;
    bool removeRows(int row, int count, const QModelIndex &parent = QModelIndex()) override;
    bool removeColumns(int column, int count, const QModelIndex &parent = QModelIndex()) override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    static QStringList defaultGroupLabels();

public slots:
    QVariant currentData(int role) const;
    void setSourceModel(ContactsModel *sourceModel);
    void sort();
    int indexOfLetter(const QString &letter) const;
    int indexOfContact(const QString &contactId) const;
    void showFavouriteGroup(bool show);
    void setSortRole(int role);
    void addGroupLabel(const QString &label);
    // Adds the labels the list lacks (an import's), saving once.
    void addGroupLabels(const QStringList &labels);
    void removeGroupLabel(const QString &label);
    void saveContactChanges(const QString &photoPath);
    void addNewContact(const QString &photoPath);
    void removeContacts();
    void toggleFavorite();
    void savePhoto(const QString &photoPath);

    // Selects the contact with this id when the view shows it; false (and
    // nothing changes) for an unknown or hidden contact.
    bool selectContact(const QString &contactId);
    // True when the source holds a contact with this id, shown or not.
    bool hasContact(const QString &contactId) const;
    // Every contact of the source (shown or not) in the list's sort order,
    // for the export form.
    QList<Contact *> contactsInListOrder() const override;
    void importEnded(const QStringList &labels) override;
    // The records of the list (Contact objects) that the search text finds, in their order.
    QVariantList contactsMatching(const QVariantList &contacts, const QString &search) const;
    // The same for the contacts property (a QVariantList of Contact*) of
    // offering, read in C++ so that the scene does not wrap every one.
    QVariantList offeredMatching(QObject *offering, const QString &search) const;
    // The bytes the row cache's folded search texts hold (for the benchmark).
    qint64 searchTextBytes() const { return m_filter.searchTextBytes(); }
    // The id of the contact that addNewContact() stored last.
    QString lastAddedId() const { return m_lastAddedId; }

    // Sorts and filters every row again, reading their texts afresh.
    void invalidate();

    // The search field's slot: a case-insensitive search of the folded
    // names, organisation, e-mails and phone digits, answered from the row
    // cache. The base class learns the text only when its own row test is
    // needed (another filter role, key column or case sensitivity), so its
    // filterRegExp() may lag behind until then. The other pattern setters
    // switch the row test back to the base class's test of the filter role.
    void setFilterFixedString(const QString &pattern);
    void setFilterRegExp(const QString &pattern);
    void setFilterWildcard(const QString &pattern);
    void setFilterRegularExpression(const QString &pattern);

public:
    void setFilterRegExp(const QRegExp &regExp);
    void setFilterRegularExpression(const QRegularExpression &regularExpression);

signals:
    void currentIndexChanged();
    void existingLettersChanged();
    void sortRoleChanged();
    void groupLabelsChanged();
    void currentIdChanged();
    // The selected contact's own data changed (not another contact's).
    void currentContactDataChanged();

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;
    void invalidateFilter();

private:
    // The row map and how it follows a change.
    std::vector<int> wantedRows();
    void syncBasePattern();
    void useBasePattern(const std::function<void()> &setPattern);
    std::vector<int> sortedSourceRows() const;
    void showRows(std::vector<int> rows);
    bool keepsCommonOrder(const std::vector<int> &rows, const std::vector<char> &places,
                          int &changes) const;
    void changeRowRuns(const std::vector<int> &rows, const std::vector<char> &places);
    void relayout(std::vector<int> rows, QAbstractItemModel::LayoutChangeHint hint);
    int viewRowOf(int sourceRow) const;
    void callBase(const std::function<void()> &call);
    void connectSource(QAbstractItemModel *source);
    void sourceRowsInserted(const QModelIndex &parent, int first, int last);
    void sourceRowsAboutToBeRemoved(const QModelIndex &parent, int first, int last);
    void sourceRowsRemoved(const QModelIndex &parent, int first, int last);
    void sourceDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                           const QVector<int> &roles);
    bool keepsChangedRows(int first, int last);
    void sourceLayoutAboutToBeChanged();
    void sourceLayoutChanged();
    void sourceAboutToBeReset();
    void sourceReset();

    void updateExistingLetters();
    void publishLetters(const QStringList &letters, const QHash<QString, int> &letterIndex);
    QModelIndex currentSourceIndex() const;

    // Selection by id and the letter index after a change of the shown rows.
    void connectSelection();
    void holdSelection();
    void followCurrentContact();
    void setCurrentId(const QString &id);
    int sourceRowOfContact(const QString &contactId) const;
    void noteSourceDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight);

    void composeNewContactName();
    void saveGroupLabels();

    bool fastSearchUsable() const;
    bool acceptsRow(int sourceRow) const;

    QPointer<ContactsModel> m_source;
    ContactsModel::ContactRoles m_sortRole = ContactsModel::FullNameRole;
    QPointer<Contact> m_newContact;
    QHash<QString, int> m_letterIndex;
    QStringList m_existingLetters;
    QStringList m_contactsToRemove;
    QStringList m_groupLabels;
    int m_currentIndex = 0;
    bool m_favouritesOnly = false;
    QString m_currentId;
    QString m_lastAddedId;
    // While set, the shown rows are changing and a row written to
    // currentIndex says nothing about which contact is chosen.
    bool m_selectionHeld = false;
    bool m_followQueued = false;

    ContactsFilter m_filter;
    // The search text was set through setFilterFixedString of this class,
    // and the base class has not been told it yet.
    bool m_fastSearch = true;
    QString m_searchPattern;
    bool m_basePatternStale = false;

    // The source row of each view row, and the inverse (-1 for a hidden
    // row), rebuilt when asked for after a change.
    std::vector<int> m_rows;
    mutable std::vector<int> m_viewRows;
    mutable bool m_viewRowsStale = true;
    QList<QMetaObject::Connection> m_sourceConnections;
    // Across a layout change of the source: the view's persistent indexes and
    // the source rows they stood for.
    QModelIndexList m_layoutIndexes;
    QList<QPersistentModelIndex> m_layoutSources;
    // The row cache's count of order changes when the rows were last made.
    quint64 m_orderChangesSeen = 0;
    // Where the selected contact was last found in the source.
    mutable int m_currentSourceRow = -1;
};
