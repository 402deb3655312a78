#include "sync/groupcardsync.h"

#include "record/contactgroups.h"
#include "vcard/groupcard.h"
#include "vcard/vcard.h"

#include <QSet>
#include <QUuid>

#include <algorithm>

namespace {

QString groupKey(const QString &name)
{
    return QString::fromStdString(ContactGroups::key(name));
}

// A cheap look before a card is read twice: a group card names its kind.
bool mayBeGroupCard(const QByteArray &data)
{
    return data.contains("KIND") || data.contains("kind") || data.contains("Kind");
}

// The UIDs of `uids` that are contacts here, by the contacts' ids.
QSet<QString> knownOf(const QStringList &uids, const QHash<QString, qint64> &contactOfUid)
{
    QSet<QString> known;
    for (const QString &uid : uids) {
        if (contactOfUid.contains(uid)) {
            known.insert(uid);
        }
    }
    return known;
}

QStringList minus(const QStringList &list, const QSet<QString> &taken)
{
    QStringList rest;
    for (const QString &item : list) {
        if (!taken.contains(item)) {
            rest.append(item);
        }
    }
    return rest;
}

QSet<QString> setOf(const QStringList &list)
{
    return QSet<QString>(list.cbegin(), list.cend());
}

} // namespace

// Every member here of the group leaves it, and joins `to` unless it is empty.
void GroupCardSync::moveMembers(const QString &from, const QString &to,
                                const QHash<qint64, QStringList> &memberships,
                                ServerChanges *changes)
{
    for (auto it = memberships.cbegin(); it != memberships.cend(); ++it) {
        if (ContactGroups::indexIn(it.value(), from) >= 0) {
            if (!to.isEmpty()) {
                changes->members[it.key()].first.append(to);
            }
            changes->members[it.key()].second.append(from);
        }
    }
}

GroupCardSync::GroupCardSync(SqliteDatabase *store)
    : m_table(store)
{
}

void GroupCardSync::load()
{
    m_states.clear();
    m_taken.clear();
    m_gone.clear();
    for (const GroupCardState &state : m_table.states()) {
        m_states.insert(state.href, state);
    }
}

void GroupCardSync::clear()
{
    m_table.clear();
    load();
}

bool GroupCardSync::isUnchanged(const QString &href, const QByteArray &etag) const
{
    const auto state = m_states.constFind(href);
    return state != m_states.cend() && !state->etag.isEmpty() && state->etag == etag;
}

bool GroupCardSync::take(const QString &href, const QByteArray &etag, const QByteArray &data)
{
    if (!mayBeGroupCard(data)) {
        return false;
    }
    bool group = false;
    vCard::readCards(data, vCardReader::RawBytes, "UTF-8", [&group](const vCard &card) {
        group = group || GroupCard::isGroupCard(card);
    });
    if (group) {
        m_taken.append({href, etag, data});
    }
    return group;
}

void GroupCardSync::noteGone(const QString &href)
{
    if (m_states.contains(href)) {
        m_gone.append(href);
    }
}

GroupCardSync::ServerChanges
GroupCardSync::serverChanges(const QHash<QString, qint64> &contactOfUid,
                             const QHash<qint64, QStringList> &memberships)
{
    ServerChanges changes;
    for (const QString &href : std::exchange(m_gone, {})) {
        const GroupCardState state = m_states.take(href);
        m_table.remove(href);
        if (!state.name.isEmpty()) {
            changes.dropped.append(state.name);
            moveMembers(state.name, QString(), memberships, &changes);
        }
    }
    for (const Taken &taken : std::exchange(m_taken, {})) {
        takeChanges(taken, contactOfUid, memberships, &changes);
    }
    return changes;
}

// One group card as the server has it now against the state last synced:
// the members it gained join the group here, those it lost leave it, and a
// new name renames the group here for every member.
void GroupCardSync::takeChanges(const Taken &taken, const QHash<QString, qint64> &contactOfUid,
                                const QHash<qint64, QStringList> &memberships,
                                ServerChanges *changes)
{
    const GroupCard::Group group = GroupCard::read(taken.data);
    const GroupCardState old = m_states.value(taken.href);
    // A card without a usable name is kept as seen and left alone.
    GroupCardState state{taken.href,    group.uid,
                         taken.etag,    group.name,
                         group.members, group.name.isEmpty() ? QByteArray() : taken.data};
    m_states.insert(state.href, state);
    m_table.put(state);
    if (group.name.isEmpty()) {
        return;
    }
    changes->made.append(group.name);
    const bool renamed = !old.name.isEmpty() && old.name != group.name;
    if (renamed) {
        changes->dropped.append(old.name);
        moveMembers(old.name, group.name, memberships, changes);
    }
    const QSet<QString> before = setOf(old.members);
    const QSet<QString> now = setOf(group.members);
    for (const QString &uid : knownOf(group.members, contactOfUid)) {
        if (!before.contains(uid)) {
            changes->members[contactOfUid.value(uid)].first.append(group.name);
        }
    }
    for (const QString &uid : knownOf(old.members, contactOfUid)) {
        if (!now.contains(uid)) {
            changes->members[contactOfUid.value(uid)].second.append(group.name);
            changes->members[contactOfUid.value(uid)].second.append(old.name);
        }
    }
}

GroupCardSync::LocalGroups GroupCardSync::localGroups(const QHash<QString, qint64> &contactOfUid,
                                                      const QHash<qint64, QStringList> &memberships,
                                                      const QStringList &groupNames)
{
    QHash<qint64, QString> uidOf;
    for (auto it = contactOfUid.cbegin(); it != contactOfUid.cend(); ++it) {
        uidOf.insert(it.value(), it.key());
    }
    LocalGroups groups;
    const auto entry = [&groups](const QString &name) -> LocalGroup & {
        LocalGroup &group = groups[groupKey(name)];
        if (group.name.isEmpty()) {
            group.name = ContactGroups::cleaned(name);
        }
        return group;
    };
    for (const QString &name : groupNames) {
        entry(name);
    }
    for (auto it = memberships.cbegin(); it != memberships.cend(); ++it) {
        const QString uid = uidOf.value(it.key());
        for (const QString &name : it.value()) {
            LocalGroup &group = entry(name);
            if (!uid.isEmpty()) {
                group.uids.append(uid);
            }
        }
    }
    groups.remove(QString());
    for (LocalGroup &group : groups) {
        std::sort(group.uids.begin(), group.uids.end());
    }
    return groups;
}

// A group renamed here is a group card no group here has the name of, whose
// members are exactly those of a group here that has no card: its card is
// renamed rather than removed and made anew.
QList<GroupCardSync::Write> GroupCardSync::plan(const QHash<QString, qint64> &contactOfUid,
                                                const QHash<qint64, QStringList> &memberships,
                                                const QStringList &groupNames,
                                                const QString &bookPath)
{
    LocalGroups fresh = localGroups(contactOfUid, memberships, groupNames);
    const LocalGroups all = fresh;
    QList<GroupCardState> vanished;
    QList<Write> writes;
    for (const GroupCardState &state : qAsConst(m_states)) {
        const QString key = groupKey(state.name);
        if (state.name.isEmpty()) {
            continue;
        }
        if (all.contains(key)) {
            fresh.remove(key);
            writes.append(update(state, all.value(key), contactOfUid));
        } else {
            vanished.append(state);
        }
    }
    for (const GroupCardState &state : vanished) {
        const QSet<QString> known = knownOf(state.members, contactOfUid);
        const auto same = std::find_if(fresh.begin(), fresh.end(), [&known](const LocalGroup &g) {
            return setOf(g.uids) == known;
        });
        if (same != fresh.end()) {
            writes.append(update(state, *same, contactOfUid));
            fresh.erase(same);
        } else if (state.card.isEmpty()) {
            m_states.remove(state.href);
            m_table.remove(state.href);
        } else {
            writes.append({state, state.etag, true});
        }
    }
    for (const LocalGroup &group : qAsConst(fresh)) {
        writes.append(create(group, bookPath));
    }
    writes.erase(std::remove_if(writes.begin(), writes.end(),
                                [](const Write &w) { return w.after.href.isEmpty(); }),
                 writes.end());
    return writes;
}

// The card with the members gained here added and those lost here removed;
// members that are no contact here stay. No write (an empty href) when the
// card is the group already.
GroupCardSync::Write GroupCardSync::update(const GroupCardState &state, const LocalGroup &group,
                                           const QHash<QString, qint64> &contactOfUid) const
{
    if (state.card.isEmpty()) {
        GroupCardState after{state.href, state.uid, {}, group.name, group.uids, {}};
        after.card = GroupCard::write({after.uid, after.name, after.members});
        return {after, QByteArray(), false};
    }
    const QSet<QString> synced = setOf(state.members);
    const QSet<QString> wanted = setOf(group.uids);
    const QStringList added = minus(group.uids, synced);
    QStringList removed;
    for (const QString &uid : knownOf(state.members, contactOfUid)) {
        if (!wanted.contains(uid)) {
            removed.append(uid);
        }
    }
    if (added.isEmpty() && removed.isEmpty() && state.name == group.name) {
        return {};
    }
    GroupCardState after = state;
    after.name = group.name;
    after.members = minus(state.members, setOf(removed)) + added;
    after.card = GroupCard::patch(state.card, group.name, added, removed);
    return {after, state.etag, false};
}

// A new group card, its place and UID noted before it is sent, so that an
// upload cut short is repeated at the same place.
GroupCardSync::Write GroupCardSync::create(const LocalGroup &group, const QString &bookPath)
{
    const QString uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const GroupCardState begun{
            bookPath + uid + QStringLiteral(".vcf"), uid, {}, group.name, {}, {}};
    m_states.insert(begun.href, begun);
    m_table.put(begun);
    return update(begun, group, {});
}

void GroupCardSync::written(const Write &write, const QByteArray &etag)
{
    if (write.remove) {
        m_states.remove(write.after.href);
        m_table.remove(write.after.href);
        return;
    }
    GroupCardState state = write.after;
    state.etag = etag;
    m_states.insert(state.href, state);
    m_table.put(state);
}
