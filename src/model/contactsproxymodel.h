#pragma once

#include "model/contactsmodel.h"
#include "record/contact.h"
#include "record/contactbook.h"

#include <QAbstractProxyModel>
#include <QHash>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QStringList>

#include <vector>

// The contact list as the scenes show it: the contacts of a ContactsModel in
// the order of their sort text (once sorted), optionally only the starred
// ones and only those the search finds. It holds the shown rows as one
// vector of source rows, in the order of the model's contact index, and
// follows every change of the source; a change of the search, the
// favourites or the order goes out as a few row runs or one layout change.
// It keeps the current contact by id, the letter index beside the list,
// the user's group labels for phones, e-mails and addresses, and offers the
// editing operations on the current row.
class ContactsProxyModel : public QAbstractProxyModel, public ContactList
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
    // The group whose members the list shows; empty for none.
    Q_PROPERTY(QString groupFilter READ groupFilter WRITE showGroup NOTIFY groupFilterChanged)

public:
    explicit ContactsProxyModel(QObject *parent = nullptr);

    int currentIndex() const { return m_currentIndex; }
    void setCurrentIndex(int index);
    QStringList existingLetters() const { return m_existingLetters; }
    void setExistingLetters(const QStringList &letters);
    // The view rows marked for removal, in the order marked. Each mark
    // stays on its contact while rows come, go or move (an undo, a sync);
    // a mark whose row leaves the view is dropped. Entries that name no
    // view row are ignored.
    QStringList contactsToRemove() const;
    void setContactsToRemove(const QStringList &rows);
    QStringList groupLabels() const { return m_groupLabels; }
    void setGroupLabels(const QStringList &labels);
    Contact *newContact() const { return m_newContact; }
    void setNewContact(Contact *contact) { m_newContact = contact; }
    ContactsModel::ContactRoles sortRole() const { return m_sortRole; }
    // The property write: stores and signals only; setSortRole() also
    // re-sorts and saves.
    void setSortRoleValue(ContactsModel::ContactRoles role);
    bool favouritesOnly() const { return m_filter.favouritesOnly; }
    QString groupFilter() const { return m_filter.group; }
    // The id of the selected contact; the selection follows it.
    QString currentId() const { return m_currentId; }

    // Any source other than a ContactsModel shows no rows.
    void setSourceModel(QAbstractItemModel *sourceModel) override;
    QModelIndex index(int row, int column,
                      const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex mapToSource(const QModelIndex &proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex &sourceIndex) const override;

    QList<Contact *> contactsInListOrder() const override;
    void importEnded(const QStringList &labels) override;
    // The bytes the folded search texts take (for the benchmark).
    qint64 searchTextBytes() const;

public slots:
    QVariant currentData(int role) const;
    void setSourceModel(ContactsModel *sourceModel);
    void sort();
    int indexOfLetter(const QString &letter) const;
    int indexOfContact(const QString &contactId) const;
    // "All" (false) or "Favourites" (true); either ends a group filter.
    void showFavouriteGroup(bool show);
    // Shows the members of the group only (all for an empty name).
    void showGroup(const QString &group);
    void setSortRole(int role);
    // The search field's slot (see ContactSearch).
    void setFilterFixedString(const QString &text);
    void addGroupLabel(const QString &label);
    // Adds the labels the list lacks (an import's), saving once.
    void addGroupLabels(const QStringList &labels);
    void removeGroupLabel(const QString &label);
    void saveContactChanges(const QString &photoPath);
    void addNewContact(const QString &photoPath);
    void removeContacts();
    // Removes the contact with this id, shown or not, as removeContacts()
    // does (undoable); false for an unknown id.
    bool removeContact(const QString &contactId);
    void toggleFavorite();
    void savePhoto(const QString &photoPath);
    // Selects the contact with this id when the view shows it; false (and
    // nothing changes) for an unknown or hidden contact.
    bool selectContact(const QString &contactId);
    // True when the source holds a contact with this id, shown or not.
    bool hasContact(const QString &contactId) const;
    // The id of the contact that addNewContact() stored last.
    QString lastAddedId() const { return m_lastAddedId; }

signals:
    void currentIndexChanged();
    void existingLettersChanged();
    void sortRoleChanged();
    void groupLabelsChanged();
    void currentIdChanged();
    void groupFilterChanged();
    // The selected contact's own data changed (not another contact's).
    void currentContactDataChanged();

private:
    int placeOf(int sourceRow) const;
    std::vector<int> wantedRows(const std::vector<int> *among = nullptr) const;
    void show(std::vector<int> rows);
    void changeRuns(const std::vector<int> &rows, const std::vector<char> &kept,
                    const std::vector<char> &added);
    void relayout(std::vector<int> rows, std::vector<int> oldSourceRows,
                  QAbstractItemModel::LayoutChangeHint hint);
    int viewRowOf(int sourceRow) const;
    void connectSource();
    void sourceRowsInserted(const QModelIndex &, int first, int last);
    void sourceRowsAboutToBeRemoved(const QModelIndex &, int first, int last);
    void sourceRowsRemoved(const QModelIndex &, int first, int last);
    void sourceDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                           const QVector<int> &roles);
    bool staysInPlace(int sourceRow) const;
    void sourceLayoutChanged();

    void narrowTo(bool favouritesOnly, const QString &group);
    void updateExistingLetters();
    QModelIndex currentSourceIndex() const;
    void holdSelection();
    void followCurrentContact();
    void setCurrentId(const QString &id);
    int sourceRowOfContact(const QString &contactId) const;
    void saveGroupLabels();

    QPointer<ContactsModel> m_source;
    ContactsModel::ContactRoles m_sortRole = ContactsModel::FullNameRole;
    bool m_sorted = false;
    ContactIndex::Filter m_filter;
    // The source row of each view row, in the order of placeOf().
    std::vector<int> m_rows;

    QPointer<Contact> m_newContact;
    QHash<QString, int> m_letterIndex;
    QStringList m_existingLetters;
    QList<QPersistentModelIndex> m_marked;
    QStringList m_groupLabels;
    int m_currentIndex = 0;
    QString m_currentId;
    QString m_lastAddedId;
    // While set, the shown rows are changing and a row written to
    // currentIndex says nothing about which contact is chosen.
    bool m_selectionHeld = false;
    bool m_followQueued = false;
    // Where the selected contact was last found in the source.
    mutable int m_currentSourceRow = -1;
};
