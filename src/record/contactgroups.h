#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

#include <string>

class Contact;

// The named groups a contact belongs to ("Family", "Work"). Names are free
// text, compared as the list compares names: white space simplified, case,
// Latin accents and the diaeresis of "ё" ignored; a book keeps each group in
// the spelling it first met.
namespace ContactGroups {

// The name as two names that are the same group share it.
std::string key(const QString &name);
// The name as it is kept: white space simplified, control characters
// dropped; empty for a blank name.
QString cleaned(const QString &name);
// The spelling of the group among `known` that is the same group as name,
// else name cleaned.
QString spellingIn(const QStringList &known, const QString &name);
// The index of the group among groups, -1 when it is none of them.
int indexIn(const QStringList &groups, const QString &name);
// Adds the names that groups lacks, each once and cleaned, in the spelling
// of `known` where known has the group; blank names are skipped. True when
// something was added.
bool add(QStringList &groups, const QStringList &names, const QStringList &known = {});
// Takes the group out of groups; true when it was there.
bool remove(QStringList &groups, const QString &name);
// Renames the group in groups, keeping its place; true when it was there.
// A group already named `to` is kept once.
bool rename(QStringList &groups, const QString &from, const QString &to);

} // namespace ContactGroups

// The groups of a book: every name once, in the spelling the book met
// first, sorted for the scenes (case and accents aside), and the members'
// lists kept to those spellings.
class GroupList
{
public:
    // Sorted when first asked for after a change, so that adding many
    // groups one by one (an import) sorts them once.
    const QStringList &names() const;
    bool contains(const QString &name) const
    {
        return m_spellingOfKey.contains(QByteArray::fromStdString(ContactGroups::key(name)));
    }
    // The stored names only; the contacts' groups join them by adopt().
    void reset(const QStringList &stored);
    // Gives the contact's groups the book's spellings; true when it brought
    // a group the book lacked, which the book now has.
    bool adopt(Contact &contact);
    // Adds a group: the book's spelling of it; empty for a blank name or a
    // group the book has.
    QString add(const QString &name);
    // Renames the group (an empty `to` removes it) in the book and in every
    // contact; the rows of the contacts that were in it.
    QVector<int> change(const QVector<Contact *> &contacts, const QString &from,
                        const QString &to);
    // How many of the contacts are in each group, by name.
    static QHash<QString, int> counts(const QVector<Contact *> &contacts);

private:
    // The book's spelling of the name, the group made when the book lacks
    // it; empty for a blank name.
    QString spellingOf(const QString &name, bool *added);
    // Makes the lookups anew from the names.
    void rebuild();

    mutable QStringList m_names;
    mutable bool m_sorted = true;
    // Each name met so far, as written, and each group's key: the
    // book's spelling. A load asks for one name per membership.
    QHash<QString, QString> m_spellingOfName;
    QHash<QByteArray, QString> m_spellingOfKey;
};
