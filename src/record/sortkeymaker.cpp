#include "record/sortkeymaker.h"

#include <unicode/ucol.h>

// The collator is set up as QCollator sets up its own: normalisation on,
// the locale's default strength, no numeric mode, punctuation not ignored.
SortKeyMaker::SortKeyMaker(const QLocale &locale)
    : m_locale(locale)
{
    if (locale.language() == QLocale::C) {
        return;
    }
    UErrorCode status = U_ZERO_ERROR;
    const QByteArray name = locale.bcp47Name().toLatin1().replace('-', '_');
    UCollator *collator = ucol_open(name.constData(), &status);
    if (U_FAILURE(status)) {
        return;
    }
    ucol_setAttribute(collator, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
    ucol_setAttribute(collator, UCOL_STRENGTH, UCOL_DEFAULT_STRENGTH, &status);
    ucol_setAttribute(collator, UCOL_NUMERIC_COLLATION, UCOL_OFF, &status);
    ucol_setAttribute(collator, UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
    if (U_FAILURE(status)) {
        ucol_close(collator);
        return;
    }
    m_collator = collator;
}

SortKeyMaker::~SortKeyMaker()
{
    if (m_collator) {
        ucol_close(m_collator);
    }
}

// A collator's key ends in a zero byte and holds no other, and no
// non-empty text has an empty key: the empty text comes first, as
// QString::compare has it. Without a collator each code unit is written as
// UTF-8 writes a character of its value (a surrogate too, on its own, as
// CESU-8 does): those bytes compare as the values do.
std::string SortKeyMaker::key(const QString &text) const
{
    std::string out;
    if (text.isEmpty()) {
        return out;
    }
    const auto *units = reinterpret_cast<const UChar *>(text.utf16());
    if (!m_collator) {
        // Sized first, then written in place: every contact gets a key.
        size_t size = 0;
        for (int i = 0; i < text.size(); ++i) {
            size += units[i] < 0x80 ? 1 : units[i] < 0x800 ? 2 : 3;
        }
        out.resize(size);
        char *at = &out[0];
        for (int i = 0; i < text.size(); ++i) {
            const UChar unit = units[i];
            if (unit < 0x80) {
                *at++ = char(unit);
            } else if (unit < 0x800) {
                *at++ = char(0xc0 | (unit >> 6));
                *at++ = char(0x80 | (unit & 0x3f));
            } else {
                *at++ = char(0xe0 | (unit >> 12));
                *at++ = char(0x80 | ((unit >> 6) & 0x3f));
                *at++ = char(0x80 | (unit & 0x3f));
            }
        }
        return out;
    }
    out.resize(size_t(16 + text.size() * 3));
    auto *bytes = reinterpret_cast<uint8_t *>(&out[0]);
    int size = ucol_getSortKey(m_collator, units, text.size(), bytes, int(out.size()));
    if (size > int(out.size())) {
        out.resize(size_t(size));
        bytes = reinterpret_cast<uint8_t *>(&out[0]);
        size = ucol_getSortKey(m_collator, units, text.size(), bytes, size);
    }
    out.resize(size_t(size));
    return out;
}
