#pragma once

#include <QLocale>
#include <QString>

#include <string>

struct UCollator;

// Collation keys as plain bytes, so that sorting compares bytes. Two texts
// compare as QCollator (made for the same locale, with its default
// settings) compares them exactly when their keys compare as std::string
// compares them (bytes unsigned, a key that begins another first). In the C
// locale, and for the empty text, a key orders as QString::compare does
// (UTF-16 code units).
class SortKeyMaker
{
public:
    explicit SortKeyMaker(const QLocale &locale);
    ~SortKeyMaker();
    SortKeyMaker(const SortKeyMaker &) = delete;
    SortKeyMaker &operator=(const SortKeyMaker &) = delete;

    std::string key(const QString &text) const;
    const QLocale &locale() const { return m_locale; }

private:
    QLocale m_locale;
    UCollator *m_collator = nullptr;
};
