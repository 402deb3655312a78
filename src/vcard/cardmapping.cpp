#include "vcard/cardmapping.h"

#include "record/birthday.h"
#include "record/contact.h"
#include "record/importedgroups.h"
#include "record/importedname.h"
#include "vcard/cardlinks.h"
#include "vcard/vcard.h"
#include "vcard/vcardtext.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QVector>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <iterator>

// The labels the mapping gives, translated once per mapping.
struct CardMapping::Texts
{
    QString home = QCoreApplication::translate("QObject", "Home");
    QString work = QCoreApplication::translate("QObject", "Work");
    QString mobile = QCoreApplication::translate("QObject", "Mobile");
    QString main = QCoreApplication::translate("QObject", "Main");
    QString homeFax = QCoreApplication::translate("QObject", "Home fax");
    QString workFax = QCoreApplication::translate("QObject", "Work fax");
    QString pager = QCoreApplication::translate("QObject", "Pager");
    QString other = QCoreApplication::translate("QObject", "Other");
};

namespace {

using Texts = CardMapping::Texts;
using vCardText::isName;

using Words = std::initializer_list<QLatin1String>;

// True when the text is ASCII: its letter case is then that of ASCII letters,
// compared without an upper- or lower-case copy.
bool isAsciiText(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
}

char asciiUpper(ushort c)
{
    return char(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
}

// Whether the text in upper case is one of the words (upper-case ASCII).
bool isOneOf(const QString &text, Words words)
{
    if (!isAsciiText(text)) {
        const QString upper = text.toUpper();
        return std::any_of(words.begin(), words.end(),
                           [&upper](QLatin1String word) { return upper == word; });
    }
    return std::any_of(words.begin(), words.end(), [&text](QLatin1String word) {
        if (word.size() != text.size()) {
            return false;
        }
        for (int i = 0; i < text.size(); ++i) {
            if (asciiUpper(text.at(i).unicode()) != word.at(i).toLatin1()) {
                return false;
            }
        }
        return true;
    });
}

// QString::contains(keyword, Qt::CaseInsensitive) for an upper-case ASCII
// keyword, without a search object for the short ASCII texts of types.
bool containsWord(const QString &text, QLatin1String keyword)
{
    if (!isAsciiText(text)) {
        return text.contains(keyword, Qt::CaseInsensitive);
    }
    const int size = keyword.size();
    for (int start = 0; start + size <= text.size(); ++start) {
        int matched = 0;
        while (matched < size
               && asciiUpper(text.at(start + matched).unicode())
                          == keyword.at(matched).toLatin1()) {
            ++matched;
        }
        if (matched == size) {
            return true;
        }
    }
    return false;
}

// Type words that version 2.1 cards write as bare parameters (TEL;HOME;VOICE).
bool isBareTypeWord(const QString &word)
{
    return isOneOf(word,
                   {QLatin1String("HOME"),   QLatin1String("WORK"),    QLatin1String("CELL"),
                    QLatin1String("VOICE"),  QLatin1String("FAX"),     QLatin1String("PAGER"),
                    QLatin1String("MSG"),    QLatin1String("BBS"),     QLatin1String("MODEM"),
                    QLatin1String("CAR"),    QLatin1String("ISDN"),    QLatin1String("VIDEO"),
                    QLatin1String("PCS"),    QLatin1String("PREF"),    QLatin1String("DOM"),
                    QLatin1String("INTL"),   QLatin1String("POSTAL"),  QLatin1String("PARCEL"),
                    QLatin1String("MAIN"),   QLatin1String("OTHER"),   QLatin1String("TEXT"),
                    QLatin1String("IPHONE"), QLatin1String("INTERNET")});
}

// The type that labels a phone or an address, from the TYPE parameters and
// the bare type words in their order: the first one that names a place
// (a word containing one of the keywords) decides, so TYPE=FAX,HOME is a
// home fax; without such a word the first type decides. PREF only marks the
// preferred entry and is passed over, like the other ignored words. Empty
// when there is no type at all.
QString decidingType(const vCardParameterList &params, Words ignored, Words keywords)
{
    QString first;
    for (const vCardParameter &param : params) {
        const QString &value = param.value();
        const bool named = param.group() == vCardParameter::Type
                           || (param.group() == vCardParameter::Undefined && isBareTypeWord(value));
        if (!named || isOneOf(value, ignored)) {
            continue;
        }
        for (const QLatin1String keyword : keywords) {
            if (containsWord(value, keyword)) {
                return value;
            }
        }
        if (first.isEmpty()) {
            first = value;
        }
    }
    return first;
}

QString phoneLabel(const vCardParameterList &params, const Texts &texts)
{
    const QString type =
            decidingType(params, {QLatin1String("PREF")},
                         {QLatin1String("CELL"), QLatin1String("HOME"), QLatin1String("WORK")});
    if (type.isEmpty() || containsWord(type, QLatin1String("CELL"))) {
        return texts.mobile;
    }
    if (containsWord(type, QLatin1String("HOME"))) {
        return texts.home;
    }
    return texts.work;
}

QString addressLabel(const vCardParameterList &params, const Texts &texts)
{
    // Delivery kinds say nothing about home or work.
    const QString type =
            decidingType(params,
                         {QLatin1String("PREF"), QLatin1String("DOM"), QLatin1String("INTL"),
                          QLatin1String("POSTAL"), QLatin1String("PARCEL")},
                         {QLatin1String("HOME"), QLatin1String("WORK")});
    if (type.isEmpty() || containsWord(type, QLatin1String("HOME"))) {
        return texts.home;
    }
    return texts.work;
}

// E-mail addresses follow the address rule with their own neutral words:
// "Work" when the deciding type names work, else "Home".
QString emailLabel(const vCardParameterList &params, const Texts &texts)
{
    const QString type = decidingType(
            params, {QLatin1String("PREF"), QLatin1String("INTERNET"), QLatin1String("X400")},
            {QLatin1String("HOME"), QLatin1String("WORK")});
    return containsWord(type, QLatin1String("WORK")) ? texts.work : texts.home;
}

// The text an ADR gives: its non-empty components joined with ", ".
QString joinedAddress(const QStringList &parts)
{
    QStringList kept;
    for (const QString &part : parts) {
        if (!part.trimmed().isEmpty()) {
            kept.append(part.trimmed());
        }
    }
    return kept.join(QLatin1String(", "));
}

// The words of an address, whatever separates them (blanks, line breaks,
// commas, semicolons) and in any letter case: a LABEL prints the parts of
// its ADR in the order of the country's postal custom.
QSet<QString> addressWords(const QString &text)
{
    // The separators are those of the pattern [\s,;]+ without Unicode
    // properties: ASCII white space, commas and semicolons.
    const auto separates = [](QChar c) {
        return c == QLatin1Char(' ') || c == QLatin1Char(',') || c == QLatin1Char(';')
               || (c >= QLatin1Char('\t') && c <= QLatin1Char('\r'));
    };
    const QString folded = text.toCaseFolded();
    QSet<QString> words;
    int start = 0;
    for (int i = 0; i <= folded.size(); ++i) {
        if (i == folded.size() || separates(folded.at(i))) {
            if (i > start) {
                words.insert(folded.mid(start, i - start));
            }
            start = i + 1;
        }
    }
    return words;
}

bool hasParameter(const vCardParameterList &params, const QString &text)
{
    for (const vCardParameter &param : params) {
        if (param.value().compare(text, Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

void appendLine(QString &text, const QString &line)
{
    if (!text.isEmpty()) {
        text += QLatin1Char('\n');
    }
    text += line;
}

// The bytes without the white space of Latin-1 ('\x85' and '\xA0' too).
QByteArray withoutSpaces(const QByteArray &bytes)
{
    static const char spaces[] = {'\t', '\n', '\v', '\f', '\r', ' ', '\x85', '\xA0'};
    const auto isSpace = [](char c) {
        return std::find(std::begin(spaces), std::end(spaces), c) != std::end(spaces);
    };
    // Base64 holds none: it is kept as it is, without a pass per byte.
    if (std::none_of(std::begin(spaces), std::end(spaces), [&bytes](char c) {
            return std::memchr(bytes.constData(), c, size_t(bytes.size())) != nullptr;
        })) {
        return bytes;
    }
    QByteArray kept = bytes;
    kept.truncate(int(std::remove_if(kept.begin(), kept.end(), isSpace) - kept.begin()));
    return kept;
}

// The Latin-1 bytes of the text without its white space; characters past
// Latin-1 (which Base64 has not) keep their low byte.
QByteArray withoutSpaces(const QString &text)
{
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x100; })) {
        return withoutSpaces(text.toLatin1());
    }
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char *out = bytes.data();
    int length = 0;
    for (const QChar c : text) {
        if (!c.isSpace()) {
            out[length++] = char(c.unicode());
        }
    }
    bytes.truncate(length);
    return bytes;
}

// Magic numbers of the image formats that address books put into PHOTO.
bool looksLikeImage(const QByteArray &base64)
{
    const QByteArray head = QByteArray::fromBase64(base64.left(32));
    static const QByteArray signatures[] = {QByteArray("\x89PNG", 4), QByteArray("\xFF\xD8\xFF", 3),
                                            QByteArray("GIF8", 4),    QByteArray("BM", 2),
                                            QByteArray("II*\0", 4),   QByteArray("MM\0*", 4),
                                            QByteArray("\0\0\1\0", 4)};
    for (const QByteArray &signature : signatures) {
        if (head.startsWith(signature)) {
            return true;
        }
    }
    return head.startsWith("RIFF") && head.mid(8, 4) == "WEBP";
}

// The Base64 image of a PHOTO property, or nothing: a version 4.0 data: URI
// keeps only its Base64 part, a link (the photo lives elsewhere) is not
// stored, and data that is not an image is dropped.
QByteArray photoFrom(const vCardProperty &property)
{
    if (!property.base64().isNull()) {
        const QByteArray base64 = withoutSpaces(property.base64());
        return base64.isEmpty() || !looksLikeImage(base64) ? QByteArray() : base64;
    }
    QString value = property.value().trimmed();
    if (value.startsWith(QLatin1String("data:"), Qt::CaseInsensitive)) {
        const int marker = value.indexOf(QLatin1String("base64,"), 0, Qt::CaseInsensitive);
        if (marker < 0) {
            return QByteArray();
        }
        value = value.mid(marker + 7);
    } else {
        // Base64 has no colon: the search for "://" starts at the first one.
        const int colon = value.indexOf(QLatin1Char(':'));
        if (colon >= 0 && value.indexOf(QLatin1String("://"), colon) >= 0) {
            return QByteArray();
        }
    }
    QByteArray base64 = withoutSpaces(value);
    if (base64.isEmpty() || !looksLikeImage(base64)) {
        return QByteArray();
    }
    return base64;
}

// The label an X-ABLabel gives (Google and Apple name custom labels so):
// Apple's names of its own labels, such as _$!<Mobile>!$_, become this
// program's labels; any other name in such brackets, and any other text, is
// the label as it stands. Empty for a blank text.
QString abLabel(const QString &text, const Texts &texts)
{
    const QString label = text.trimmed();
    if (!label.startsWith(QLatin1String("_$!<")) || !label.endsWith(QLatin1String(">!$_"))) {
        return label;
    }
    const QString name = label.mid(4, label.size() - 8).trimmed();
    const std::pair<const char *, const QString *> known[] = {
            {"Mobile", &texts.mobile},   {"iPhone", &texts.mobile}, {"Home", &texts.home},
            {"Work", &texts.work},       {"Main", &texts.main},     {"HomeFAX", &texts.homeFax},
            {"WorkFAX", &texts.workFax}, {"Pager", &texts.pager},   {"Other", &texts.other}};
    for (const auto &entry : known) {
        if (name.compare(QLatin1String(entry.first), Qt::CaseInsensitive) == 0) {
            return *entry.second;
        }
    }
    return name;
}

// The X-ABLabel of each group of the card (by the group's name in lower
// case); it may stand before or after the entry it labels.
QHash<QString, QString> groupLabels(const vCardPropertyList &properties, const Texts &texts)
{
    QHash<QString, QString> labels;
    for (const vCardProperty &property : properties) {
        if (!property.group().isEmpty() && property.name() == QLatin1String("X-ABLABEL")) {
            const QString group = property.group().toLower();
            const QString label = abLabel(property.value(), texts);
            if (!label.isEmpty() && !labels.contains(group)) {
                labels.insert(group, label);
            }
        }
    }
    return labels;
}

// The year that X-APPLE-OMIT-YEAR names, 0 when there is none.
int omittedYear(const vCardParameterList &params)
{
    static const QString name = QStringLiteral("X-APPLE-OMIT-YEAR=");
    for (const vCardParameter &param : params) {
        if (param.group() == vCardParameter::Undefined
            && param.value().startsWith(name, Qt::CaseInsensitive)) {
            return param.value().mid(name.size()).toInt();
        }
    }
    return 0;
}

// One card on its way to a new record: its properties are applied in their
// order, then what needs the whole card is settled.
class CardMapper
{
public:
    CardMapper(Contact *contact, const Texts &texts, const QHash<QString, QString> &labels,
               CardLinks *links)
        : m_contact(contact),
          m_texts(texts),
          m_labels(labels),
          m_links(links)
    {
    }

    // Applies the property with this index in the card.
    void apply(const vCardProperty &property, int index);
    void finish();

private:
    void setNames(const QStringList &values);
    void setOrganization(const QStringList &parts);
    void setBirthday(const vCardProperty &property);
    void addComment(const QString &prefix, const QString &text);
    void addPhone(const vCardProperty &property);
    void addEmail(const vCardProperty &property);
    void addAddress(const vCardProperty &property);
    void addLabel(const vCardProperty &property);
    void addLink(const QString &link);
    void addLabelledAddresses();
    // Notes the property being applied as the source of a field or entry.
    void noteAt(int CardLinks::*field);
    void noteIn(QVector<int> CardLinks::*list);
    // The X-ABLabel of the property's group, else the label its types give.
    QString labelOf(const vCardProperty &property, const QString &byType) const;

    Contact *m_contact;
    const Texts &m_texts;
    const QHash<QString, QString> &m_labels;
    // Where the fields came from, noted only when the caller asks.
    CardLinks *m_links;
    int m_index = -1;
    QString m_formattedName;
    // The card's lists, given to the record when the card is mapped.
    QStringList m_phones;
    QStringList m_emails;
    QStringList m_addressTexts;
    QStringList m_linkTexts;
    // Addresses in card order; a LABEL is kept unless it repeats an ADR.
    struct Address
    {
        QString text;
        QString group;
        bool label;
        int index;
    };
    QVector<Address> m_addresses;
    QVector<QSet<QString>> m_adrWords;
};

void CardMapper::apply(const vCardProperty &property, int index)
{
    m_index = index;
    const QString &name = property.name();
    if (isName(name, "N")) {
        noteAt(&CardLinks::name);
        setNames(property.values());
    } else if (isName(name, "FN")) {
        noteAt(&CardLinks::formattedName);
        m_formattedName = property.value().trimmed();
    } else if (isName(name, "UID")) {
        m_contact->uid = property.value().trimmed();
    } else if (isName(name, "ORG")) {
        noteAt(&CardLinks::organization);
        setOrganization(property.values());
    } else if (isName(name, "BDAY")) {
        setBirthday(property);
    } else if (isName(name, "NOTE")) {
        noteIn(&CardLinks::notes);
        addComment(QString(), property.value());
    } else if (isName(name, "CATEGORIES")) {
        // The groups, and the star of Google and Android.
        noteIn(&CardLinks::categories);
        ImportedGroups::add(m_contact, property.values());
    } else if (isName(name, "TEL")) {
        addPhone(property);
    } else if (isName(name, "EMAIL")) {
        addEmail(property);
    } else if (isName(name, "ADR")) {
        addAddress(property);
    } else if (isName(name, "LABEL")) {
        addLabel(property);
    } else if (isName(name, "URL")) {
        addLink(property.value().trimmed());
    } else if (isName(name, "PHOTO")) {
        const QByteArray photo = photoFrom(property);
        if (!photo.isEmpty()) {
            noteAt(&CardLinks::photo);
            m_contact->photoData = photo;
        }
    }
}

void CardMapper::noteAt(int CardLinks::*field)
{
    if (m_links) {
        m_links->*field = m_index;
    }
}

void CardMapper::noteIn(QVector<int> CardLinks::*list)
{
    if (m_links) {
        (m_links->*list).append(m_index);
    }
}

void CardMapper::finish()
{
    addLabelledAddresses();
    m_contact->phoneList = m_phones;
    m_contact->emailList = m_emails;
    m_contact->addressList = m_addressTexts;
    m_contact->linkList = m_linkTexts;
    ImportedName::nameIfNameless(m_contact, m_formattedName);
}

// N: family; given; additional; prefix; suffix. The prefix and suffix, like
// NICKNAME, TITLE and ROLE, stay in the kept card and are shown from there:
// glued into the names they would sort "Mr. Anderson" under M.
void CardMapper::setNames(const QStringList &values)
{
    m_contact->surname = values.value(0).trimmed();
    m_contact->name = values.value(1).trimmed();
    m_contact->middlename = values.value(2).trimmed();
}

// The organisation's name; its units (departments) stay in the kept card.
void CardMapper::setOrganization(const QStringList &parts)
{
    m_contact->organization = parts.value(0).trimmed();
}

// A full date (yyyy-MM-dd or yyyyMMdd, with or without a time) is kept in the
// editor's dd.MM.yyyy, so that it reads and exports like a typed birthday; a
// date without a year (--MMDD, --MM-DD, or the year that Apple's
// X-APPLE-OMIT-YEAR names, 1604 even without it) as dd.MM; any other text is
// kept as it is. A text alternative (VALUE=text) does not replace a date.
void CardMapper::setBirthday(const vCardProperty &property)
{
    QString value = property.value().trimmed();
    const QString stored = Birthday::fromIso(value, omittedYear(property.params()));
    if (!stored.isEmpty()) {
        value = stored;
    }
    if (!value.isEmpty()
        && (m_contact->dateOfBirth.isEmpty()
            || !hasParameter(property.params(), QStringLiteral("VALUE=text")))) {
        m_contact->dateOfBirth = value;
        noteAt(&CardLinks::birthday);
    }
}

void CardMapper::addComment(const QString &prefix, const QString &text)
{
    if (!text.isEmpty()) {
        appendLine(m_contact->comment, prefix + text);
    }
}

void CardMapper::addPhone(const vCardProperty &property)
{
    QString number = property.value().trimmed();
    if (number.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive)) {
        // A tel: URI (RFC 3966): the number, and an extension as people
        // write it.
        number = number.mid(4).trimmed();
        number.replace(QLatin1String(";ext="), QLatin1String(" ext. "), Qt::CaseInsensitive);
    }
    if (!number.isEmpty()) {
        noteIn(&CardLinks::phones);
        m_phones.append(number);
        m_contact->phoneGroupList.append(labelOf(property, phoneLabel(property.params(), m_texts)));
    }
}

void CardMapper::addEmail(const vCardProperty &property)
{
    const QString address = property.value().trimmed();
    if (!address.isEmpty()) {
        noteIn(&CardLinks::emails);
        m_emails.append(address);
        m_contact->emailGroupList.append(labelOf(property, emailLabel(property.params(), m_texts)));
    }
}

void CardMapper::addAddress(const vCardProperty &property)
{
    const QString address = joinedAddress(property.values());
    if (!address.isEmpty()) {
        m_addresses.append({address, labelOf(property, addressLabel(property.params(), m_texts)),
                            false, m_index});
    }
}

void CardMapper::addLabel(const vCardProperty &property)
{
    const QString address = property.value().trimmed();
    if (!address.isEmpty()) {
        m_addresses.append({address, labelOf(property, addressLabel(property.params(), m_texts)),
                            true, m_index});
    }
}

QString CardMapper::labelOf(const vCardProperty &property, const QString &byType) const
{
    if (property.group().isEmpty() || m_labels.isEmpty()) {
        return byType;
    }
    return m_labels.value(property.group().toLower(), byType);
}

void CardMapper::addLink(const QString &link)
{
    if (!link.isEmpty()) {
        noteIn(&CardLinks::links);
        m_linkTexts.append(link);
    }
}

// A LABEL is often the printable form of an ADR of the same card: it is
// dropped when each of its words is a word of one ADR. Every other LABEL is
// an address of its own (this program's export writes LABEL alone, several
// of one type included), kept in card order.
void CardMapper::addLabelledAddresses()
{
    // The words of the ADRs, needed only on a card with a LABEL.
    const auto isLabel = [](const Address &address) {
        return address.label;
    };
    QVector<int> adrs;
    if (std::any_of(m_addresses.cbegin(), m_addresses.cend(), isLabel)) {
        for (int i = 0; i < m_addresses.size(); ++i) {
            if (!m_addresses.at(i).label) {
                adrs.append(i);
                m_adrWords.append(addressWords(m_addresses.at(i).text));
            }
        }
    }
    // The ADR (its address index) that each LABEL repeats, -1 for none.
    QVector<int> repeats(m_addresses.size(), -1);
    for (int i = 0; i < m_addresses.size(); ++i) {
        if (m_addresses.at(i).label) {
            const QSet<QString> words = addressWords(m_addresses.at(i).text);
            for (int k = 0; k < m_adrWords.size() && repeats[i] < 0; ++k) {
                if (m_adrWords.at(k).contains(words)) {
                    repeats[i] = adrs.at(k);
                }
            }
        }
    }
    QVector<int> entryOf(m_addresses.size(), -1);
    for (int i = 0; i < m_addresses.size(); ++i) {
        if (repeats.at(i) < 0) {
            if (m_links) {
                entryOf[i] = m_links->addresses.size();
                m_links->addresses.append(QVector<int>{m_addresses.at(i).index});
            }
            m_addressTexts.append(m_addresses.at(i).text);
            m_contact->addressGroupList.append(m_addresses.at(i).group);
        }
    }
    for (int i = 0; i < m_addresses.size(); ++i) {
        if (m_links && repeats.at(i) >= 0) {
            m_links->addresses[entryOf.at(repeats.at(i))].append(m_addresses.at(i).index);
        }
    }
}

} // namespace

CardMapping::CardMapping()
    : m_texts(std::make_unique<Texts>())
{
}

CardMapping::~CardMapping() = default;

Contact *CardMapping::contactOf(const vCard &card, int index, CardLinks *links) const
{
    const Texts &texts = *m_texts;
    auto *contact = new Contact;
    contact->id = QString::number(QDateTime::currentMSecsSinceEpoch()) + QString::number(index);
    const vCardPropertyList &properties = card.properties();
    const QHash<QString, QString> labels = groupLabels(properties, texts);
    CardMapper mapper(contact, texts, labels, links);
    for (int i = 0; i < properties.size(); ++i) {
        mapper.apply(properties.at(i), i);
    }
    mapper.finish();
    return contact;
}
