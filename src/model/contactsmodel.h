#pragma once

#include "record/contactbook.h"
#include "record/contactgroups.h"
#include "record/contactindex.h"

#include <QAbstractListModel>
#include <QHash>
#include <QPointer>
#include <QStringList>
#include <QVariantMap>
#include <QVector>

class Contact;
class DataBase;

// The in-memory list of every contact of the active store. It owns the
// Contact objects; each change goes to the store first, then to the record,
// then out through the standard model signals. It also keeps the index
// alphabet (English or Russian initials) shown beside the list.
class ContactsModel : public QAbstractListModel, public ContactBook
{
    Q_OBJECT
    Q_INTERFACES(ContactBook)
    Q_PROPERTY(QStringList alphabet READ alphabet WRITE setAlphabet NOTIFY alphabetChanged)
    Q_PROPERTY(int count READ rowCount NOTIFY countChanged)
    Q_PROPERTY(int undoableCount READ undoableCount NOTIFY undoableCountChanged)
    Q_PROPERTY(bool undoableMerge READ undoableMerge NOTIFY undoableCountChanged)
    Q_PROPERTY(bool englishAlphabet READ englishAlphabet WRITE setEnglishAlphabet NOTIFY
                       englishAlphabetChanged)
    // Every group of the book, also those without members, sorted.
    Q_PROPERTY(QStringList groupNames READ groupNames NOTIFY groupsChanged)

public:
    enum ContactRoles {
        IdRole = Qt::UserRole + 1,
        FavoriteRole,
        NameRole,
        SurnameRole,
        MiddleNameRole,
        FullNameRole,
        OrganizationRole,
        BirthDateRole,
        CommentRole,
        PhoneListRole,
        PhoneGroupListRole,
        EmailListRole,
        EmailGroupListRole,
        AddressListRole,
        AddressGroupListRole,
        LinkListRole,
        GroupsRole
    };
    Q_ENUM(ContactRoles)

    explicit ContactsModel(QObject *parent = nullptr);
    ~ContactsModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    QStringList alphabet() const { return m_alphabet; }
    void setAlphabet(const QStringList &alphabet);
    bool englishAlphabet() const { return m_englishAlphabet; }
    void setEnglishAlphabet(bool englishAlphabet);
    QStringList groupNames() const override { return m_groups.names(); }

    // Row-level operations of the sorted view. Each does nothing when the
    // index is not a row of this model.
    void saveContactChanges(const QModelIndex &index, Contact *source, const QString &photoPath);
    void toggleFavorite(const QModelIndex &index);
    void savePhoto(const QModelIndex &index, const QString &photoPath);
    // Removes the given rows in one run (repeats and foreign indexes are
    // ignored) and their ids from the store in one call. The records and
    // photos are kept until the next removal or undoRemoval().
    void removeContacts(const QModelIndexList &indexes);
    // How many contacts the last removal took that can still come back.
    int undoableCount() const { return m_removed.size(); }
    // Whether what can come back is a merge (undoableCount contacts made one).
    bool undoableMerge() const { return !m_mergedId.isEmpty(); }
    // The records of these ids as the store keeps them, with their photos
    // and cards, for a merge; the caller owns them. Ids without a row are
    // left out.
    QVector<Contact *> storedRecords(const QStringList &ids,
                                     QVector<QByteArray> *cardDigests = nullptr);

    // The record of a row; null when the row is out of range.
    const Contact *contactAt(int row) const;
    // A record's data in a role, as data() gives it for its row, and as
    // text (the names and the organisation without a QVariant).
    static QVariant dataOf(const Contact &contact, int role);
    static QString textOf(const Contact &contact, int role);
    // The sort keys, order and search texts of the rows, kept in step with
    // them before each change is announced.
    ContactIndex &contactIndex() { return m_index; }

public slots:
    void addContact(Contact *contact, const QString &photoPath);
    // ContactBook
    QList<Contact *> bookContacts() const override;
    void queueContact(Contact *contact) override;
    void addQueuedContacts() override;
    // Takes contacts that were written to the store by someone else (a sync)
    // into the list without reading the store again: each record's fields
    // replace the row with its id, or come as a new row; the rows of
    // removedIds go. The records (Contact objects) stay the caller's.
    void takeStoredContacts(const QVariantList &stored, const QStringList &removedIds);
    void mergeContact(const QString &id, Contact *imported) override;
    void addGroups(const QStringList &names) override;
    // Each group's name and number of members ("name", "count"), in the
    // order of groupNames.
    QVariantList groupCounts() const;
    // The book's spelling of the group that name means (case and accents
    // aside); empty when the book has no such group.
    QString groupNamed(const QString &name) const;
    // Makes a group without members; false for a blank name or a group the
    // book has.
    bool addGroup(const QString &name);
    // Renames the group for every member; to a group that exists, the two
    // become one. False for an unknown group or a blank name.
    bool renameGroup(const QString &from, const QString &to);
    // Removes the group; its contacts stay. False for an unknown group.
    bool removeGroup(const QString &name);
    void setDataBase(DataBase *db);
    void loadModel();
    void changeAlphabet(bool englishAlphabet);
    QVariantList getAllContacts() const;
    // Makes the contacts of these ids one (DuplicateMerge::mergeAll with the
    // choices): their rows go as a removal takes them, and one row of the
    // merged fields, photo and card comes under the kept contact's id.
    // Undone like a removal. False when fewer than two of the ids are rows.
    bool mergeContacts(const QStringList &ids, const QVariantMap &choices);
    // Puts the contacts of the last removal back, with their ids, fields,
    // stars, photos and cards, into the list and the store; after a merge,
    // in place of the merged contact.
    void undoRemoval();
    // Forgets the last removal: it can no longer be undone.
    void dropUndo();

signals:
    void alphabetChanged();
    void englishAlphabetChanged();
    void undoableCountChanged();
    void countChanged();
    void groupsChanged();
    // A group was renamed; `to` is empty when it was removed.
    void groupRenamed(const QString &from, const QString &to);

private:
    bool isRow(const QModelIndex &index) const;
    // Appends the records as new rows in one insertion.
    void appendRows(const QVector<Contact *> &contacts);
    QVector<Contact *> takeRows(QVector<int> rows);
    void removeUndoably(const QVector<int> &rows);
    int rowOfId(const QString &id);
    Contact *storedCopy(Contact *contact, const QString &photoPath);
    // Gives the record the book's spellings of its groups; a group new to
    // the book is announced by announceGroups() once the change is done.
    void adoptGroups(Contact *contact);
    void announceGroups();
    // Adds the group to the book and the store, to be announced.
    void storeGroup(const QString &name);
    bool changeGroup(const QString &from, const QString &to);
    void buildAlphabet();
    // Deferred deletion of a record that left the list.
    static void release(Contact *contact);

    QPointer<DataBase> m_store;
    QVector<Contact *> m_contacts;
    ContactIndex m_index{m_contacts, &ContactsModel::textOf, FullNameRole};
    // The records of the last removal (a merge removes the contacts it
    // merges), each with its photo in photoData, its card and the digest the
    // card was kept with.
    QVector<Contact *> m_removed;
    QVector<QByteArray> m_removedDigests;
    // The contact the last merge made; empty when the last change was a
    // removal.
    QString m_mergedId;
    QVector<Contact *> m_queued;
    // The row of each id, built for the merges of an import; any change of
    // the rows drops it.
    QHash<QString, int> m_rowOfId;
    GroupList m_groups;
    bool m_groupsAdded = false;
    QStringList m_alphabet;
    bool m_englishAlphabet = false;
};
