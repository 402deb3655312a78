#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class SqliteDatabase;

// What the last sync left for one group card of the address book: where it
// lives, the version seen, the group's name and member UIDs as synced, and
// the card's text, which later changes are patched into. An empty card marks
// a new card whose upload was begun but not confirmed.
struct GroupCardState
{
    QString href;
    QString uid;
    QByteArray etag;
    QString name;
    QStringList members;
    QByteArray card;
};

// The group cards' sync state in the table carddav_group of the address book
// file, written through the store's journal like the rest of the sync state.
class GroupStateTable
{
public:
    explicit GroupStateTable(SqliteDatabase *store);

    // Creates the table when missing; false when the store is not open.
    bool prepare();
    QList<GroupCardState> states() const;
    void put(const GroupCardState &state);
    void remove(const QString &href);
    // Forgets every group card: the state of another address book.
    void clear();

private:
    SqliteDatabase *m_store;
};
