#pragma once

#include "model/contactsfilter.h"
#include "model/contactsmodel.h"

#include <QHash>
#include <QPointer>
#include <QSortFilterProxyModel>
#include <QStringList>

#include <functional>

class Contact;

// True when a's row is less than b's row; orders index lists by row.
bool modelIndexRowLessThan(const QModelIndex &a, const QModelIndex &b);

// The contact list as the scenes show it: the contacts of ContactsModel in
// locale-aware alphabetical order, optionally only the starred ones and only
// those whose full name contains the search text. It tracks the current row,
// offers the editing operations on it, keeps the letter index beside the list
// and the user's group labels for phones, e-mails and addresses.
class ContactsProxyModel : public QSortFilterProxyModel
{
    Q_OBJECT
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
    QVariantList contactsInListOrder() const;
    // The bytes the row cache's folded search texts hold (for the benchmark).
    qint64 searchTextBytes() const { return m_filter.searchTextBytes(); }
    // The id of the contact that addNewContact() stored last.
    QString lastAddedId() const { return m_lastAddedId; }

    // The search field's slot. It hides the base class's, so that a search
    // tests only the rows it can change and a large change re-maps the view
    // once instead of row run by row run. The other pattern setters below
    // only forward, and switch the row test back to the base class's.
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

private:
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
    void refilter(const std::function<void()> &changeBase);

    QPointer<ContactsModel> m_source;
    ContactsModel::ContactRoles m_sortRole = ContactsModel::FullNameRole;
    // The role the shown order was last sorted by.
    ContactsModel::ContactRoles m_sortedRole = ContactsModel::FullNameRole;
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
    // The search text was set through setFilterFixedString of this class.
    bool m_fastSearch = true;
};
