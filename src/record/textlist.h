#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <string_view>

// A list of texts that a record keeps for as long as it lives (its phone
// numbers, e-mail and postal addresses, web sites), held as one block of
// UTF-8 in which each entry ends with the byte 0xFF, a byte that UTF-8 never
// uses. A large address book holds a fraction of what as many QStringLists
// of UTF-16 texts, each its own allocation, would hold.
//
// Reading decodes: toList() (or the conversion) gives the entries, at() one
// of them. The list changes by assigning a whole list or by appending or
// removing at its end; there is no reference to an entry, so that nothing
// can change a decoded copy and believe it changed the record.
class TextList
{
public:
    TextList() = default;
    // Implicit, so that a record's list is set from a QStringList as before.
    TextList(const QStringList &entries); // NOLINT(google-explicit-constructor)
    // The entries of a text that joins them with separator (as the store
    // keeps a list: "a;;;b"), splitting the bytes exactly where
    // QString::split would split the decoded text. Empty bytes: no entries.
    static TextList fromJoinedUtf8(std::string_view utf8, std::string_view separator);

    QStringList toList() const;
    operator QStringList() const { return toList(); } // NOLINT(google-explicit-constructor)

    bool isEmpty() const { return m_packed.isEmpty(); }
    int size() const;
    // The entry at index, 0 <= index < size().
    QString at(int index) const;
    QString first() const { return at(0); }
    // The UTF-8 of the entries joined with separator, without decoding them.
    QByteArray joinedUtf8(std::string_view separator) const;
    void append(const QString &entry);
    TextList &operator<<(const QString &entry)
    {
        append(entry);
        return *this;
    }
    // Removes the last entry; the list must not be empty.
    void removeLast();

    // Calls visit(bytes) with each entry's UTF-8 bytes, in order, without
    // decoding them.
    template<typename Visit>
    void forEachUtf8(Visit visit) const
    {
        const char *at = m_packed.constData();
        const char *end = at + m_packed.size();
        while (at < end) {
            const char *stop = entryEnd(at, end);
            visit(std::string_view(at, size_t(stop - at)));
            at = stop + 1;
        }
    }

    bool operator==(const TextList &other) const { return m_packed == other.m_packed; }
    bool operator!=(const TextList &other) const { return m_packed != other.m_packed; }

private:
    static const char *entryEnd(const char *at, const char *end);
    QByteArray m_packed;
};
