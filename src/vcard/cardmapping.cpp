#include "vcard/cardmapping.h"

#include "record/birthday.h"
#include "record/contact.h"
#include "record/importedname.h"
#include "vcard/cardlinks.h"
#include "vcard/vcard.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QVector>

#include <algorithm>

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

// Type words that version 2.1 cards write as bare parameters (TEL;HOME;VOICE).
bool isBareTypeWord(const QString &word)
{
    static const QStringList words{
            QStringLiteral("HOME"),   QStringLiteral("WORK"),    QStringLiteral("CELL"),
            QStringLiteral("VOICE"),  QStringLiteral("FAX"),     QStringLiteral("PAGER"),
            QStringLiteral("MSG"),    QStringLiteral("BBS"),     QStringLiteral("MODEM"),
            QStringLiteral("CAR"),    QStringLiteral("ISDN"),    QStringLiteral("VIDEO"),
            QStringLiteral("PCS"),    QStringLiteral("PREF"),    QStringLiteral("DOM"),
            QStringLiteral("INTL"),   QStringLiteral("POSTAL"),  QStringLiteral("PARCEL"),
            QStringLiteral("MAIN"),   QStringLiteral("OTHER"),   QStringLiteral("TEXT"),
            QStringLiteral("IPHONE"), QStringLiteral("INTERNET")};
    return words.contains(word.toUpper());
}

// The type that labels a phone or an address, from the TYPE parameters and
// the bare type words in their order: the first one that names a place
// (a word containing one of the keywords) decides, so TYPE=FAX,HOME is a
// home fax; without such a word the first type decides. PREF only marks the
// preferred entry and is passed over, like the other ignored words. Empty
// when there is no type at all.
QString decidingType(const vCardParameterList &params, const QStringList &ignored,
                     const QStringList &keywords)
{
    QString first;
    for (const vCardParameter &param : params) {
        const bool named =
                param.group() == vCardParameter::Type
                || (param.group() == vCardParameter::Undefined && isBareTypeWord(param.value()));
        if (!named || ignored.contains(param.value().toUpper())) {
            continue;
        }
        for (const QString &keyword : keywords) {
            if (param.value().contains(keyword, Qt::CaseInsensitive)) {
                return param.value();
            }
        }
        if (first.isEmpty()) {
            first = param.value();
        }
    }
    return first;
}

QString phoneLabel(const vCardParameterList &params, const Texts &texts)
{
    static const QStringList ignored{QStringLiteral("PREF")};
    static const QStringList places{QStringLiteral("cell"), QStringLiteral("home"),
                                    QStringLiteral("work")};
    const QString type = decidingType(params, ignored, places);
    if (type.isEmpty() || type.contains(QLatin1String("cell"), Qt::CaseInsensitive)) {
        return texts.mobile;
    }
    if (type.contains(QLatin1String("home"), Qt::CaseInsensitive)) {
        return texts.home;
    }
    return texts.work;
}

QString addressLabel(const vCardParameterList &params, const Texts &texts)
{
    // Delivery kinds say nothing about home or work.
    static const QStringList ignored{QStringLiteral("PREF"), QStringLiteral("DOM"),
                                     QStringLiteral("INTL"), QStringLiteral("POSTAL"),
                                     QStringLiteral("PARCEL")};
    static const QStringList places{QStringLiteral("home"), QStringLiteral("work")};
    const QString type = decidingType(params, ignored, places);
    if (type.isEmpty() || type.contains(QLatin1String("home"), Qt::CaseInsensitive)) {
        return texts.home;
    }
    return texts.work;
}

// E-mail addresses follow the address rule with their own neutral words:
// "Work" when the deciding type names work, else "Home".
QString emailLabel(const vCardParameterList &params, const Texts &texts)
{
    static const QStringList ignored{QStringLiteral("PREF"), QStringLiteral("INTERNET"),
                                     QStringLiteral("X400")};
    static const QStringList places{QStringLiteral("home"), QStringLiteral("work")};
    const QString type = decidingType(params, ignored, places);
    return type.contains(QLatin1String("work"), Qt::CaseInsensitive) ? texts.work : texts.home;
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
    QString value = property.value().trimmed();
    if (value.startsWith(QLatin1String("data:"), Qt::CaseInsensitive)) {
        const int marker = value.indexOf(QLatin1String("base64,"), 0, Qt::CaseInsensitive);
        if (marker < 0) {
            return QByteArray();
        }
        value = value.mid(marker + 7);
    } else if (value.contains(QLatin1String("://"))) {
        return QByteArray();
    }
    QByteArray base64;
    base64.reserve(value.size());
    for (const QChar c : qAsConst(value)) {
        if (!c.isSpace()) {
            base64 += char(c.unicode());
        }
    }
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
          m_links(links ? links : &m_unused)
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
    // The X-ABLabel of the property's group, else the label its types give.
    QString labelOf(const vCardProperty &property, const QString &byType) const;

    Contact *m_contact;
    const Texts &m_texts;
    const QHash<QString, QString> &m_labels;
    CardLinks *m_links;
    CardLinks m_unused;
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
    const QString name = property.name();
    if (name == QLatin1String("N")) {
        m_links->name = index;
        setNames(property.values());
    } else if (name == QLatin1String("FN")) {
        m_links->formattedName = index;
        m_formattedName = property.value().trimmed();
    } else if (name == QLatin1String("UID")) {
        m_contact->uid = property.value().trimmed();
    } else if (name == QLatin1String("ORG")) {
        m_links->organization = index;
        setOrganization(property.values());
    } else if (name == QLatin1String("BDAY")) {
        setBirthday(property);
    } else if (name == QLatin1String("NOTE")) {
        m_links->notes.append(index);
        addComment(QString(), property.value());
    } else if (name == QLatin1String("CATEGORIES")) {
        m_links->categories.append(index);
        if (property.value().contains(QLatin1String("starred"), Qt::CaseInsensitive)) {
            m_contact->isFavorite = true;
        }
    } else if (name == QLatin1String("TEL")) {
        addPhone(property);
    } else if (name == QLatin1String("EMAIL")) {
        addEmail(property);
    } else if (name == QLatin1String("ADR")) {
        addAddress(property);
    } else if (name == QLatin1String("LABEL")) {
        addLabel(property);
    } else if (name == QLatin1String("URL")) {
        addLink(property.value().trimmed());
    } else if (name == QLatin1String("PHOTO")) {
        const QByteArray photo = photoFrom(property);
        if (!photo.isEmpty()) {
            m_links->photo = index;
            m_contact->photoData = photo;
        }
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
        m_links->birthday = m_index;
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
        m_links->phones.append(m_index);
        m_phones.append(number);
        m_contact->phoneGroupList.append(labelOf(property, phoneLabel(property.params(), m_texts)));
    }
}

void CardMapper::addEmail(const vCardProperty &property)
{
    const QString address = property.value().trimmed();
    if (!address.isEmpty()) {
        m_links->emails.append(m_index);
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
        m_links->links.append(m_index);
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
            entryOf[i] = m_links->addresses.size();
            m_links->addresses.append(QVector<int>{m_addresses.at(i).index});
            m_addressTexts.append(m_addresses.at(i).text);
            m_contact->addressGroupList.append(m_addresses.at(i).group);
        }
    }
    for (int i = 0; i < m_addresses.size(); ++i) {
        if (repeats.at(i) >= 0) {
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
    const vCardPropertyList properties = card.properties();
    const QHash<QString, QString> labels = groupLabels(properties, texts);
    CardMapper mapper(contact, texts, labels, links);
    for (int i = 0; i < properties.size(); ++i) {
        mapper.apply(properties.at(i), i);
    }
    mapper.finish();
    return contact;
}
