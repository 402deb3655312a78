#pragma once

#include <QLocale>
#include <QString>

#include <vector>

struct UCollator;

// Collation keys as plain bytes, so that a whole list's keys fit in one
// buffer and sorting compares bytes. Two texts compare as QCollator (made
// for the same locale, with its default settings) compares them exactly
// when their keys compare as compareKeys() does: byte by byte, a key that
// begins another first. In the C locale, and for the empty text, a key
// orders as QString::compare does (UTF-16 code units).
class SortKeyMaker
{
public:
    explicit SortKeyMaker(const QLocale &locale);
    ~SortKeyMaker();
    SortKeyMaker(const SortKeyMaker &) = delete;
    SortKeyMaker &operator=(const SortKeyMaker &) = delete;

    // Whether texts compare by their code units (the C locale).
    bool isPlain() const { return m_collator == nullptr; }
    // Appends the key of text to out; returns its length.
    int append(const QString &text, std::vector<uchar> &out) const;
    static int compareKeys(const uchar *left, int leftLength, const uchar *right, int rightLength);

private:
    UCollator *m_collator = nullptr;
};
