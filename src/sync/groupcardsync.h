#pragma once

#include "sync/groupstatetable.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// Contact groups on an address book that holds group cards (Apple's, and
// vCard 4.0's KIND:group): there the group cards, not the contacts' CATEGORIES,
// say who is in which group, so that iPhones and Macs see the groups made
// here. Keeps each group card's state as last synced and works out, three
// ways, what the server changed (for the contacts here) and what changed here
// (for the group cards). The server's cards are untrusted: unknown members,
// members that are groups, the card itself and doubles change nothing here
// and stay on the card.
class GroupCardSync
{
public:
    // What the server's group cards change here: groups each contact joins
    // and leaves, groups made (also empty ones) and groups gone.
    struct ServerChanges
    {
        QHash<qint64, QPair<QStringList, QStringList>> members;
        QStringList made;
        QStringList dropped;
    };

    // A write that brings one group card to the group here: the card to put
    // over the version synced (none for a new card), or its removal.
    struct Write
    {
        GroupCardState after;
        QByteArray ifMatch;
        bool remove = false;
    };

    explicit GroupCardSync(SqliteDatabase *store);

    bool prepare() { return m_table.prepare(); }
    // Reads what the last run left; clear() forgets another address book's.
    void load();
    void clear();
    // The address book holds group cards: group changes go to them.
    bool isGroupBook() const { return !m_states.isEmpty(); }
    // A group card already synced in this version, which needs no download.
    bool isUnchanged(const QString &href, const QByteArray &etag) const;
    QStringList hrefs() const { return m_states.keys(); }

    // Takes a fetched card that is a group card; false for any other card.
    bool take(const QString &href, const QByteArray &etag, const QByteArray &data);
    // The group card is no longer on the server.
    void noteGone(const QString &href);
    // The changes of the cards taken and gone since the last call, for the
    // contacts of these UIDs and the memberships here; their state is
    // recorded as synced.
    ServerChanges serverChanges(const QHash<QString, qint64> &contactOfUid,
                                const QHash<qint64, QStringList> &memberships);
    // The writes the groups here need (every group by name, and the
    // memberships by contact), new cards placed in the address book at bookPath.
    QList<Write> plan(const QHash<QString, qint64> &contactOfUid,
                      const QHash<qint64, QStringList> &memberships, const QStringList &groupNames,
                      const QString &bookPath);
    // The server confirmed the write, with the card's new version.
    void written(const Write &write, const QByteArray &etag);

private:
    struct Taken
    {
        QString href;
        QByteArray etag;
        QByteArray data;
    };
    struct LocalGroup
    {
        QString name;
        QStringList uids;
    };
    using LocalGroups = QHash<QString, LocalGroup>;

    void takeChanges(const Taken &taken, const QHash<QString, qint64> &contactOfUid,
                     const QHash<qint64, QStringList> &memberships, ServerChanges *changes);
    static void moveMembers(const QString &from, const QString &to,
                            const QHash<qint64, QStringList> &memberships,
                            ServerChanges *changes);
    static LocalGroups localGroups(const QHash<QString, qint64> &contactOfUid,
                                   const QHash<qint64, QStringList> &memberships,
                                   const QStringList &groupNames);
    Write update(const GroupCardState &state, const LocalGroup &group,
                 const QHash<QString, qint64> &contactOfUid) const;
    Write create(const LocalGroup &group, const QString &bookPath);

    GroupStateTable m_table;
    QHash<QString, GroupCardState> m_states;
    QList<Taken> m_taken;
    QStringList m_gone;
};
