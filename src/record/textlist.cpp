#include "record/textlist.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr char EntryEnd = '\xff';

QString decoded(std::string_view utf8)
{
    return utf8.empty() ? QString(QLatin1String(""))
                        : QString::fromUtf8(utf8.data(), int(utf8.size()));
}

// Appends the entry's UTF-8 and the end mark. Most entries are ASCII: their
// characters are their bytes, with no converted copy.
void appendEntry(QByteArray &packed, const QString &entry)
{
    const int start = packed.size();
    packed.resize(start + entry.size());
    char *out = packed.data() + start;
    for (const QChar c : entry) {
        if (c.unicode() >= 0x80) {
            packed.truncate(start);
            packed.append(entry.toUtf8());
            break;
        }
        *out++ = char(c.unicode());
    }
    packed.append(EntryEnd);
}

} // namespace

TextList::TextList(const QStringList &entries)
{
    if (entries.isEmpty()) {
        return;
    }
    int bytes = 0;
    for (const QString &entry : entries) {
        bytes += entry.size() + 1;
    }
    m_packed.reserve(bytes);
    for (const QString &entry : entries) {
        appendEntry(m_packed, entry);
    }
    m_packed.squeeze();
}

// Bytes that are not UTF-8 (a store written by other software) could hold
// the end mark; such a text's entries are decoded as reading would decode
// them and written again.
TextList TextList::fromJoinedUtf8(std::string_view utf8, std::string_view separator)
{
    Q_ASSERT(!separator.empty());
    TextList list;
    if (utf8.empty()) {
        return list;
    }
    if (std::memchr(utf8.data(), EntryEnd, utf8.size())) {
        return TextList(decoded(utf8).split(decoded(separator), Qt::KeepEmptyParts));
    }
    // Sized exactly first: a list kept for long would otherwise be copied
    // once more to give back what the separators took.
    size_t separators = 0;
    for (size_t at = utf8.find(separator); at != std::string_view::npos;
         at = utf8.find(separator, at + separator.size())) {
        ++separators;
    }
    QByteArray &packed = list.m_packed;
    packed.resize(int(utf8.size() - separators * (separator.size() - 1)) + 1);
    char *out = packed.data();
    size_t from = 0;
    for (size_t at = utf8.find(separator); at != std::string_view::npos;
         at = utf8.find(separator, from)) {
        std::memcpy(out, utf8.data() + from, at - from);
        out += at - from;
        *out++ = EntryEnd;
        from = at + separator.size();
    }
    std::memcpy(out, utf8.data() + from, utf8.size() - from);
    out += utf8.size() - from;
    *out = EntryEnd;
    return list;
}

void TextList::append(const QString &entry)
{
    appendEntry(m_packed, entry);
}

void TextList::removeLast()
{
    Q_ASSERT(!isEmpty());
    const int previousEnd =
            m_packed.size() < 2 ? -1 : m_packed.lastIndexOf(EntryEnd, m_packed.size() - 2);
    m_packed.truncate(previousEnd + 1);
}

const char *TextList::entryEnd(const char *at, const char *end)
{
    const void *found = std::memchr(at, EntryEnd, size_t(end - at));
    return found ? static_cast<const char *>(found) : end;
}

QStringList TextList::toList() const
{
    QStringList entries;
    if (isEmpty()) {
        return entries;
    }
    entries.reserve(size());
    forEachUtf8([&entries](std::string_view utf8) { entries.append(decoded(utf8)); });
    return entries;
}

int TextList::size() const
{
    return int(std::count(m_packed.cbegin(), m_packed.cend(), EntryEnd));
}

QString TextList::at(int index) const
{
    Q_ASSERT(index >= 0 && index < size());
    QString found;
    int position = 0;
    forEachUtf8([&](std::string_view utf8) {
        if (position++ == index) {
            found = decoded(utf8);
        }
    });
    return found;
}

QByteArray TextList::joinedUtf8(std::string_view separator) const
{
    QByteArray joined;
    if (isEmpty()) {
        return joined;
    }
    const int entries = size();
    joined.reserve(m_packed.size() - entries + (entries - 1) * int(separator.size()));
    bool first = true;
    forEachUtf8([&](std::string_view utf8) {
        if (!first) {
            joined.append(separator.data(), int(separator.size()));
        }
        first = false;
        joined.append(utf8.data(), int(utf8.size()));
    });
    return joined;
}
