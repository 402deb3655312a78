#include "storage/contactrowreader.h"

#include "record/contact.h"
#include "storage/listencoding.h"
#include "storage/sqlitestatement.h"

namespace {

// Notes that many records share (a door code, a title) are longer than
// other shared texts; group lists longer than this are not worth a table
// entry.
constexpr size_t PooledCommentBytes = 256;
constexpr size_t PooledListBytes = 256;

// Empty bytes are the shared empty text, without an allocation. Decoding
// reserves a character per byte; text that needs fewer (any letter beyond
// ASCII) gives the rest back, since the record keeps it for long.
QString decoded(std::string_view utf8)
{
    if (utf8.empty()) {
        return QString(QLatin1String(""));
    }
    QString text = QString::fromUtf8(utf8.data(), int(utf8.size()));
    if (text.size() < int(utf8.size())) {
        text.squeeze();
    }
    return text;
}

} // namespace

Contact *ContactRowReader::read(const SqliteStatement &row, QObject *parent)
{
    const QString name = shared(m_names, row, 1);
    const QString surname = shared(m_surnames, row, 2);
    const QString middlename = shared(m_middlenames, row, 3);
    const QString fullname = Contact::composeFullName(surname, name, middlename);
    if (fullname.isEmpty()) {
        return nullptr;
    }
    auto *contact = new Contact(parent);
    contact->id = QString::number(row.int64(0));
    contact->name = name;
    contact->surname = surname;
    contact->middlename = middlename;
    contact->isFavorite = row.flag(4);
    contact->fullname = fullname;
    contact->organization = shared(m_organizations, row, 5);
    contact->dateOfBirth = row.text(6);
    contact->comment = shared(m_comments, row, 7, PooledCommentBytes);
    contact->phoneList = list(row, 8);
    contact->phoneGroupList = sharedList(row, 9);
    contact->emailList = list(row, 10);
    contact->emailGroupList = sharedList(row, 11);
    contact->addressList = list(row, 12);
    contact->addressGroupList = sharedList(row, 13);
    contact->linkList = list(row, 14);
    if (m_groups) {
        contact->groups = m_groups->value(row.int64(0));
    }
    return contact;
}

const QByteArray &ContactRowReader::key(std::string_view utf8)
{
    m_key.setRawData(utf8.data(), uint(utf8.size()));
    return m_key;
}

QString ContactRowReader::shared(Pool<QString> &pool, const SqliteStatement &row, int column,
                                 size_t maxBytes)
{
    if (!row.isText(column)) {
        return row.text(column);
    }
    return sharedText(&pool, row.utf8(column), maxBytes);
}

QString ContactRowReader::sharedText(Pool<QString> *pool, std::string_view utf8, size_t maxBytes)
{
    if (!pool || utf8.empty() || utf8.size() > maxBytes) {
        return decoded(utf8);
    }
    const auto it = pool->constFind(key(utf8));
    if (it != pool->constEnd()) {
        return it.value();
    }
    const QString text = decoded(utf8);
    if (pool->size() < PoolLimit) {
        pool->insert(QByteArray(utf8.data(), int(utf8.size())), text);
    }
    return text;
}

// A label list: the same column text gives the same shared list.
QStringList ContactRowReader::sharedList(const SqliteStatement &row, int column)
{
    if (!row.isText(column)) {
        return ListEncoding::decode(row.text(column));
    }
    const std::string_view utf8 = row.utf8(column);
    if (utf8.empty() || utf8.size() > PooledListBytes) {
        return split(utf8, &m_labels);
    }
    const auto it = m_labelLists.constFind(key(utf8));
    if (it != m_labelLists.constEnd()) {
        return it.value();
    }
    const QStringList entries = split(utf8, &m_labels);
    if (m_labelLists.size() < PoolLimit) {
        m_labelLists.insert(QByteArray(utf8.data(), int(utf8.size())), entries);
    }
    return entries;
}

// The entries of a list of the record's own (phones, e-mail addresses,
// postal addresses, links) stay the UTF-8 the store gives, without a text
// of their own each.
TextList ContactRowReader::list(const SqliteStatement &row, int column)
{
    if (!row.isText(column)) {
        return ListEncoding::decode(row.text(column));
    }
    return TextList::fromJoinedUtf8(row.utf8(column), ListEncoding::SeparatorUtf8);
}

// ListEncoding::decode on the UTF-8 bytes: TextList splits them where
// the decoded text would split, and each entry is decoded (and shared) on
// its own. The list holds exactly its entries.
QStringList ContactRowReader::split(std::string_view utf8, Pool<QString> *pool)
{
    const TextList packed = TextList::fromJoinedUtf8(utf8, ListEncoding::SeparatorUtf8);
    QStringList entries;
    entries.reserve(packed.size());
    packed.forEachUtf8([&](std::string_view entry) { entries.append(sharedText(pool, entry)); });
    return entries;
}
