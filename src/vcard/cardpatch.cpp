#include "vcard/cardpatch.h"

#include "record/contact.h"
#include "record/contactgroups.h"
#include "record/importedgroups.h"
#include "vcard/cardentries.h"
#include "vcard/cardlinks.h"
#include "vcard/cardmapping.h"
#include "vcard/vcard.h"
#include "vcard/vcardtext.h"

#include <QRegularExpression>
#include <QSet>

namespace {

// One content line of the card as it was written, folds and line end
// included, and the property it holds (-1 for BEGIN, END, VERSION and lines
// that hold none).
struct Line
{
    QByteArray raw;
    int property = -1;
};

// A card split into its lines, with the properties read from them one line
// at a time, so that each property knows its line.
struct SplitCard
{
    QVector<Line> lines;
    vCardPropertyList properties;
    QVector<int> lineOf;
    QByteArray lineEnd = "\r\n";
    int versionLine = -1;
    int endLine = -1;
    bool version21 = false;
    bool version40 = false;
};

bool startsWithWord(const QByteArray &line, const char *word)
{
    const int length = int(qstrlen(word));
    return line.size() > length && qstrnicmp(line.constData(), word, uint(length)) == 0
           && (line.at(length) == ':' || line.at(length) == ';');
}

// A quoted-printable value of version 2.1 goes on after a line that ends in
// "=" (a soft line break), without a blank at the start of the next line.
bool continuesQuotedPrintable(const QByteArray &line)
{
    const QByteArray text = line.trimmed();
    const int colon = text.indexOf(':');
    return text.endsWith('=') && colon > 0
           && text.left(colon).toUpper().contains("QUOTED-PRINTABLE");
}

SplitCard split(const QByteArray &card)
{
    SplitCard result;
    const QList<QByteArray> physical = card.split('\n');
    if (card.contains("\r\n")) {
        result.lineEnd = "\r\n";
    } else {
        result.lineEnd = "\n";
    }
    bool begun = false;
    for (int i = 0; i < physical.size() && result.endLine < 0; ++i) {
        QByteArray raw = physical.at(i);
        const bool last = i == physical.size() - 1;
        if (!last) {
            raw += '\n';
        }
        const bool continuation = !raw.isEmpty() && (raw.at(0) == ' ' || raw.at(0) == '\t');
        const bool softBreak =
                !result.lines.isEmpty() && continuesQuotedPrintable(result.lines.last().raw);
        if (begun && !result.lines.isEmpty() && (continuation || softBreak)) {
            result.lines.last().raw += raw;
            continue;
        }
        if (raw.trimmed().isEmpty() && last) {
            break;
        }
        if (!begun && !startsWithWord(raw.trimmed(), "BEGIN")) {
            continue;
        }
        begun = true;
        result.lines.append({raw, -1});
        const QByteArray trimmed = raw.trimmed();
        if (startsWithWord(trimmed, "END")) {
            result.endLine = result.lines.size() - 1;
        } else if (startsWithWord(trimmed, "VERSION")) {
            result.versionLine = result.lines.size() - 1;
            const QByteArray version = trimmed.mid(trimmed.indexOf(':') + 1).trimmed();
            result.version21 = version == "2.1";
            result.version40 = version == "4.0";
        }
    }
    // The properties, each read from its own line as the card reader reads it.
    for (int i = 0; i < result.lines.size(); ++i) {
        if (i == result.versionLine || i == result.endLine || i == 0) {
            continue;
        }
        const vCardPropertyList read = vCardProperty::fromByteArray(result.lines.at(i).raw);
        if (read.size() == 1) {
            result.lines[i].property = result.properties.size();
            result.lineOf.append(i);
            result.properties.append(read.first());
        }
    }
    return result;
}

// The changes to one card's lines: replaced and removed lines, and the
// properties appended before END.
class Patcher
{
public:
    explicit Patcher(const SplitCard &card)
        : m_card(card),
          m_changed(card.lines.size()),
          m_removed(card.lines.size(), false)
    {
    }

    const vCardProperty &property(int index) const { return m_card.properties.at(index); }

    void replace(int index, const vCardProperty &property)
    {
        m_changed[m_card.lineOf.at(index)] = written(property);
    }
    // The property with new values, its name, parameters and group kept.
    void replaceValues(int index, const QStringList &values)
    {
        vCardProperty changed(property(index).name(), values, property(index).params());
        changed.setGroup(property(index).group());
        replace(index, changed);
    }
    void replaceRaw(int index, const QByteArray &raw) { m_changed[m_card.lineOf.at(index)] = raw; }
    void remove(int index) { m_removed[m_card.lineOf.at(index)] = true; }
    bool isRemoved(int index) const { return m_removed.at(m_card.lineOf.at(index)); }
    void append(const vCardProperty &property) { m_appended += written(property); }
    void appendAll(const vCard &card)
    {
        for (const vCardProperty &property : card.properties()) {
            append(property);
        }
    }

    // The highest N of the card's itemN groups.
    int usedItems() const
    {
        static const QRegularExpression item(QStringLiteral("^item(\\d+)$"),
                                             QRegularExpression::CaseInsensitiveOption);
        int used = 0;
        for (const vCardProperty &property : m_card.properties) {
            const QRegularExpressionMatch match = item.match(property.group());
            if (match.hasMatch()) {
                used = qMax(used, match.captured(1).toInt());
            }
        }
        return used;
    }

    // Drops the lines of groups that lost the entry they labelled: an
    // X-ABLabel or X-ABADR left alone in its group.
    void dropOrphanedLabels()
    {
        QSet<QString> kept;
        for (int i = 0; i < m_card.properties.size(); ++i) {
            const vCardProperty &p = property(i);
            if (!p.group().isEmpty() && !isRemoved(i) && !isLabelLine(p)) {
                kept.insert(p.group().toLower());
            }
        }
        QSet<QString> touched;
        for (int i = 0; i < m_card.properties.size(); ++i) {
            if (isRemoved(i) && !property(i).group().isEmpty()) {
                touched.insert(property(i).group().toLower());
            }
        }
        for (int i = 0; i < m_card.properties.size(); ++i) {
            const QString group = property(i).group().toLower();
            if (isLabelLine(property(i)) && touched.contains(group) && !kept.contains(group)) {
                remove(i);
            }
        }
    }

    QByteArray result(CardPatch::Version version) const
    {
        QByteArray out;
        for (int i = 0; i < m_card.lines.size(); ++i) {
            if (i == m_card.endLine) {
                out += m_appended;
            }
            if (m_removed.at(i)) {
                continue;
            }
            if (i == m_card.versionLine
                && (version == CardPatch::Version::File || m_card.version21)) {
                out += "VERSION:3.0" + m_card.lineEnd;
            } else if (!m_changed.at(i).isNull()) {
                out += m_changed.at(i);
            } else if (m_card.version21 && m_card.lines.at(i).property >= 0) {
                // Version 2.1 writes values (quoted-printable, charsets) that
                // a 3.0 card has no place for.
                out += written(property(m_card.lines.at(i).property));
            } else {
                out += m_card.lines.at(i).raw;
            }
        }
        return out;
    }

    bool isUnchanged() const
    {
        return m_appended.isEmpty() && !m_removed.contains(true)
               && std::all_of(m_changed.cbegin(), m_changed.cend(),
                              [](const QByteArray &line) { return line.isNull(); });
    }

    QByteArray written(const vCardProperty &property) const
    {
        QByteArray line = property.toByteArray(vCardVersion::Version3_0);
        line.replace('\n', m_card.lineEnd);
        return line + m_card.lineEnd;
    }

private:
    static bool isLabelLine(const vCardProperty &property)
    {
        return property.name().compare(QLatin1String("X-ABLabel"), Qt::CaseInsensitive) == 0
               || property.name().compare(QLatin1String("X-ABADR"), Qt::CaseInsensitive) == 0;
    }

    const SplitCard &m_card;
    QVector<QByteArray> m_changed;
    QVector<bool> m_removed;
    QByteArray m_appended;
};

// A list of the record (phones, e-mail addresses, postal addresses or
// links) against the list the card gives: entries equal in both keep their
// lines; the others are paired in order, a changed value with the same label
// replaced in its property, anything else removed and appended anew.
struct Entries
{
    QStringList values;
    QStringList labels;
    // The properties of each entry, its own first.
    QVector<QVector<int>> properties;
};

template<typename Replace, typename Append>
void patchList(Patcher &patcher, const Entries &card, const Entries &record, Replace replace,
               Append append)
{
    if (card.values == record.values && card.labels == record.labels) {
        return;
    }
    QVector<bool> cardUsed(card.values.size(), false);
    QVector<bool> recordUsed(record.values.size(), false);
    const auto equal = [&card, &record](int c, int r) {
        return card.values.at(c) == record.values.at(r)
               && card.labels.value(c) == record.labels.value(r);
    };
    // Equal entries keep their lines, at the same place first.
    for (int r = 0; r < qMin(record.values.size(), card.values.size()); ++r) {
        if (equal(r, r)) {
            cardUsed[r] = recordUsed[r] = true;
        }
    }
    for (int r = 0; r < record.values.size(); ++r) {
        for (int c = 0; c < card.values.size() && !recordUsed.at(r); ++c) {
            if (!cardUsed.at(c) && equal(c, r)) {
                cardUsed[c] = recordUsed[r] = true;
            }
        }
    }
    QStringList newValues;
    QStringList newLabels;
    int c = 0;
    for (int r = 0; r < record.values.size(); ++r) {
        if (recordUsed.at(r)) {
            continue;
        }
        while (c < card.values.size() && cardUsed.at(c)) {
            ++c;
        }
        if (c < card.values.size() && card.labels.value(c) == record.labels.value(r)) {
            cardUsed[c] = true;
            replace(card.properties.at(c), record.values.at(r));
            ++c;
            continue;
        }
        newValues << record.values.at(r);
        newLabels << record.labels.value(r);
    }
    for (int i = 0; i < card.values.size(); ++i) {
        if (!cardUsed.at(i)) {
            for (int property : card.properties.at(i)) {
                patcher.remove(property);
            }
        }
    }
    if (!newValues.isEmpty()) {
        append(newValues, newLabels);
    }
}

Entries entries(const QStringList &values, const QStringList &labels,
                const QVector<int> &properties)
{
    Entries result{values, labels, {}};
    for (int property : properties) {
        result.properties.append(QVector<int>{property});
    }
    return result;
}

// The formatted name of a card's names: prefix, given, additional, family
// and suffix, as people write them.
QString formattedName(const QStringList &n)
{
    QStringList parts;
    for (int i : {3, 1, 2, 0, 4}) {
        if (!n.value(i).trimmed().isEmpty()) {
            parts << n.value(i).trimmed();
        }
    }
    return parts.join(QLatin1Char(' '));
}

void patchNames(Patcher &patcher, const CardLinks &links, const Contact &card,
                const Contact &record)
{
    if (card.name == record.name && card.surname == record.surname
        && card.middlename == record.middlename) {
        return;
    }
    QStringList n = links.name >= 0 ? patcher.property(links.name).values() : QStringList();
    while (n.size() < 5) {
        n << QString();
    }
    n[0] = record.surname;
    n[1] = record.name;
    n[2] = record.middlename;
    if (links.name >= 0) {
        patcher.replaceValues(links.name, n);
    } else {
        patcher.append(vCardProperty(QStringLiteral("N"), n));
    }
    if (links.formattedName >= 0) {
        patcher.replaceValues(links.formattedName, {formattedName(n)});
    } else {
        patcher.append(vCardProperty(QStringLiteral("FN"), QStringList{formattedName(n)}));
    }
}

void patchOrganization(Patcher &patcher, const CardLinks &links, const Contact &card,
                       const Contact &record)
{
    if (card.organization == record.organization) {
        return;
    }
    if (links.organization < 0) {
        patcher.append(vCardProperty::organizationProperty(record.organization));
        return;
    }
    // The record holds the name; the units stay.
    QStringList values = patcher.property(links.organization).values();
    values[0] = record.organization;
    if (values.join(QString()).trimmed().isEmpty()) {
        patcher.remove(links.organization);
    } else {
        patcher.replaceValues(links.organization, values);
    }
}

void patchBirthday(Patcher &patcher, const CardLinks &links, const Contact &card,
                   const Contact &record)
{
    if (card.dateOfBirth == record.dateOfBirth) {
        return;
    }
    if (links.birthday >= 0 && record.dateOfBirth.isEmpty()) {
        patcher.remove(links.birthday);
        return;
    }
    vCardProperty birthday = CardEntries::birthday(record.dateOfBirth);
    if (links.birthday >= 0) {
        birthday.setGroup(patcher.property(links.birthday).group());
        patcher.replace(links.birthday, birthday);
    } else {
        patcher.append(birthday);
    }
}

void patchComment(Patcher &patcher, const CardLinks &links, const Contact &card,
                  const Contact &record)
{
    if (card.comment == record.comment) {
        return;
    }
    for (int i = 0; i < links.notes.size(); ++i) {
        if (i == 0 && !record.comment.isEmpty()) {
            patcher.replaceValues(links.notes.at(i), {record.comment});
        } else {
            patcher.remove(links.notes.at(i));
        }
    }
    if (links.notes.isEmpty() && !record.comment.isEmpty()) {
        patcher.append(vCardProperty(QStringLiteral("NOTE"), QStringList{record.comment}));
    }
}

// The texts of the card's CATEGORIES that stay: each group the contact is
// still in, in the contact's spelling; "starred" while it is a favourite;
// the texts that are no group (Google's myContacts) all.
QStringList keptCategories(const Patcher &patcher, const CardLinks &links, const Contact &record,
                           QStringList *groups, bool *starred)
{
    QStringList texts;
    for (int index : links.categories) {
        for (const QString &text : patcher.property(index).values()) {
            QString group;
            const ImportedGroups::Kind kind = ImportedGroups::kindOf(text, &group);
            const int at = ContactGroups::indexIn(record.groups, group);
            if (kind == ImportedGroups::Kind::Favourite && record.isFavorite && !*starred) {
                *starred = true;
                texts << text.trimmed();
            } else if (kind == ImportedGroups::Kind::Group && at >= 0
                       && ContactGroups::indexIn(*groups, group) < 0) {
                groups->append(record.groups.at(at));
                texts << record.groups.at(at);
            } else if (kind == ImportedGroups::Kind::Dropped && !text.trimmed().isEmpty()) {
                texts << text.trimmed();
            }
        }
    }
    return texts;
}

// The groups and the star are the card's CATEGORIES ("Starred" for Google
// and Android): the texts that stay, then the groups and the star the card
// lacks, all in the first CATEGORIES; the others are removed.
void patchCategories(Patcher &patcher, const CardLinks &links, const Contact &card,
                     const Contact &record)
{
    // The stores may list a contact's groups in another order than its card.
    QStringList cardGroups = card.groups;
    QStringList recordGroups = record.groups;
    cardGroups.sort();
    recordGroups.sort();
    if (card.isFavorite == record.isFavorite && cardGroups == recordGroups) {
        return;
    }
    QStringList groups;
    bool starred = false;
    QStringList texts = keptCategories(patcher, links, record, &groups, &starred);
    for (const QString &group : record.groups) {
        if (ContactGroups::indexIn(groups, group) < 0) {
            texts << group;
        }
    }
    if (record.isFavorite && !starred) {
        texts << QStringLiteral("Starred");
    }
    for (int i = 0; i < links.categories.size(); ++i) {
        if (i == 0 && !texts.isEmpty()) {
            patcher.replaceValues(links.categories.first(), texts);
        } else {
            patcher.remove(links.categories.at(i));
        }
    }
    if (links.categories.isEmpty() && !texts.isEmpty()) {
        patcher.append(vCardProperty(QStringLiteral("CATEGORIES"), texts));
    }
}

// A tel: URI keeps its form (version 4.0 writes numbers so).
QString phoneValue(const vCardProperty &old, const QString &number)
{
    if (old.value().trimmed().startsWith(QLatin1String("tel:"), Qt::CaseInsensitive)) {
        QString uri = number;
        uri.replace(QLatin1String(" ext. "), QLatin1String(";ext="));
        uri.replace(QLatin1Char(' '), QLatin1Char('-'));
        return QStringLiteral("tel:") + uri;
    }
    return number;
}

void patchLists(Patcher &patcher, const CardLinks &links, const Contact &card,
                const Contact &record)
{
    const int used = patcher.usedItems();
    vCard appended;
    CardEntries::LabelledEntries added(&appended, used);
    patchList(
            patcher, entries(card.phoneList, card.phoneGroupList, links.phones),
            entries(record.phoneList, record.phoneGroupList, {}),
            [&patcher](const QVector<int> &properties, const QString &number) {
                patcher.replaceValues(properties.first(),
                                      {phoneValue(patcher.property(properties.first()), number)});
            },
            [&added](const QStringList &values, const QStringList &labels) {
                added.addPhones(values, labels);
            });
    patchList(
            patcher, entries(card.emailList, card.emailGroupList, links.emails),
            entries(record.emailList, record.emailGroupList, {}),
            [&patcher](const QVector<int> &properties, const QString &address) {
                patcher.replaceValues(properties.first(), {address});
            },
            [&added](const QStringList &values, const QStringList &labels) {
                added.addEmails(values, labels);
            });
    Entries addresses{card.addressList, card.addressGroupList, links.addresses};
    patchList(
            patcher, addresses, entries(record.addressList, record.addressGroupList, {}),
            [&patcher](const QVector<int> &properties, const QString &text) {
                for (int property : properties) {
                    if (patcher.property(property).name() == QLatin1String("ADR")) {
                        patcher.replaceValues(property, {QString(), QString(), text, QString(),
                                                         QString(), QString(), QString()});
                    } else {
                        patcher.replaceValues(property, {text});
                    }
                }
            },
            [&added](const QStringList &values, const QStringList &labels) {
                added.addAddresses(values, labels);
            });
    patchList(
            patcher, entries(card.linkList, QStringList(), links.links),
            entries(record.linkList, QStringList(), {}),
            [&patcher](const QVector<int> &properties, const QString &link) {
                patcher.replaceValues(properties.first(), {link});
            },
            [&appended](const QStringList &values, const QStringList &) {
                for (const QString &link : values) {
                    appended.addProperty(vCardProperty(QStringLiteral("URL"), QStringList{link}));
                }
            });
    patcher.dropOrphanedLabels();
    patcher.appendAll(appended);
}

void patchPhoto(Patcher &patcher, const SplitCard &split, const CardPatch::Photo &photo)
{
    if (!photo.replace) {
        return;
    }
    for (int i = 0; i < split.properties.size(); ++i) {
        if (split.properties.at(i).name() == QLatin1String("PHOTO")) {
            patcher.remove(i);
        }
    }
    if (photo.bytes.isEmpty()) {
        return;
    }
    if (split.version40) {
        // Version 4.0 has no ENCODING parameter: the image is a data: URI.
        patcher.append(vCardProperty(QStringLiteral("PHOTO"),
                                     QStringList{QStringLiteral("data:image/png;base64,")
                                                 + QString::fromLatin1(photo.bytes.toBase64())}));
    } else {
        patcher.append(CardEntries::photo(photo.bytes));
    }
}

} // namespace

namespace CardPatch {

std::unique_ptr<Contact> read(const QByteArray &card)
{
    const SplitCard split = ::split(card);
    if (split.properties.isEmpty()) {
        return nullptr;
    }
    return std::unique_ptr<Contact>(CardMapping().contactOf(vCard(split.properties)));
}

QByteArray patch(const QByteArray &card, const Contact &record, const Photo &photo, Version version)
{
    const SplitCard split = ::split(card);
    CardLinks links;
    const std::unique_ptr<Contact> base(
            CardMapping().contactOf(vCard(split.properties), 0, &links));
    Patcher patcher(split);
    patchNames(patcher, links, *base, record);
    patchOrganization(patcher, links, *base, record);
    patchBirthday(patcher, links, *base, record);
    patchComment(patcher, links, *base, record);
    patchCategories(patcher, links, *base, record);
    patchLists(patcher, links, *base, record);
    patchPhoto(patcher, split, photo);
    // A file's card without a UID of its own gets the contact's id, so
    // that an import of the file knows the contact again.
    const bool hasUid = std::any_of(
            split.properties.cbegin(), split.properties.cend(),
            [](const vCardProperty &property) { return property.name() == QLatin1String("UID"); });
    if (version == Version::File && !hasUid && !record.id.isEmpty()) {
        patcher.append(vCardProperty(QStringLiteral("UID"), QStringList{record.id}));
    }
    if (patcher.isUnchanged() && version == Version::Own && !split.version21) {
        return card;
    }
    return patcher.result(version);
}

} // namespace CardPatch
