#pragma once

#include "model/contactsmodel.h"
#include "record/duplicatefinder.h"
#include "storage/database.h"

#include <QAbstractListModel>
#include <QPointer>
#include <QVariantMap>
#include <QVector>

// The groups of likely duplicates of the contact list, as the duplicates
// form lists them: each group's contacts and the reasons in words, a
// preview of their merge, the merge itself (undone from the undo bar) and
// the mark "not the same person", which the store keeps so that the group
// is never offered again.
//
// The search runs on a thread of its own over a copy of what it reads of
// the contacts, so that the window keeps repainting while it runs over a
// large address book.
class DuplicatesModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(ContactsModel *contactsModel READ contactsModel WRITE setContactsModel NOTIFY
                       contactsModelChanged)
    Q_PROPERTY(DataBase *dataBase READ dataBase WRITE setDataBase NOTIFY dataBaseChanged)
    Q_PROPERTY(bool busy READ isBusy NOTIFY busyChanged)
    Q_PROPERTY(int count READ rowCount NOTIFY countChanged)

public:
    enum Roles { IdsRole = Qt::UserRole + 1, NamesRole, ReasonsRole };
    Q_ENUM(Roles)

    explicit DuplicatesModel(QObject *parent = nullptr);
    ~DuplicatesModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    ContactsModel *contactsModel() const { return m_contacts; }
    void setContactsModel(ContactsModel *model);
    DataBase *dataBase() const { return m_store; }
    void setDataBase(DataBase *store);
    bool isBusy() const { return m_busy; }

    // Searches the contact list again; the groups change when it is done.
    // Does nothing while a search runs.
    Q_INVOKABLE void find();
    // The contact the group's merge would make: "fullname", "organization",
    // "dateOfBirth", "comment", "favorite", "photoId" (a contact that has
    // the photo, empty for none), "details" (its phones, e-mail and postal
    // addresses and links in words) and "conflicts": for each field that
    // holds one value and differs, its "field" (as choices name it),
    // "label", "values" (for the photo, contact ids) and "chosen", the value
    // the merge keeps.
    Q_INVOKABLE QVariantMap preview(int row, const QVariantMap &choices) const;
    // Merges the group's contacts with the choices; the group leaves the list.
    Q_INVOKABLE bool merge(int row, const QVariantMap &choices);
    // Marks every pair of the group as not the same person; the group
    // leaves the list.
    Q_INVOKABLE void markDistinct(int row);

signals:
    void contactsModelChanged();
    void dataBaseChanged();
    void busyChanged();
    void countChanged();

private:
    void removeGroup(int row);

    QPointer<ContactsModel> m_contacts;
    QPointer<DataBase> m_store;
    QVector<DuplicateFinder::Group> m_groups;
    bool m_busy = false;
    QThread *m_worker = nullptr;
};
