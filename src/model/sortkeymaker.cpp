#include "model/sortkeymaker.h"

#include <algorithm>
#include <cstring>

#include <unicode/ucol.h>

// The collator is set up as QCollator sets up its own: normalisation on,
// the locale's default strength, no numeric mode, punctuation not ignored.
SortKeyMaker::SortKeyMaker(const QLocale &locale)
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
// CESU-8 does): those bytes compare as the values do, and a name in ASCII
// takes a byte a letter, so that the first bytes of a key (which sorting
// compares before the rest) hold as many letters as can be.
int SortKeyMaker::append(const QString &text, std::vector<uchar> &out) const
{
    const size_t start = out.size();
    if (text.isEmpty()) {
        return 0;
    }
    const auto *units = reinterpret_cast<const UChar *>(text.utf16());
    if (!m_collator) {
        out.resize(start + size_t(text.size()) * 3);
        uchar *bytes = out.data() + start;
        for (int i = 0; i < text.size(); ++i) {
            const UChar unit = units[i];
            if (unit < 0x80) {
                *bytes++ = uchar(unit);
            } else if (unit < 0x800) {
                *bytes++ = uchar(0xc0 | (unit >> 6));
                *bytes++ = uchar(0x80 | (unit & 0x3f));
            } else {
                *bytes++ = uchar(0xe0 | (unit >> 12));
                *bytes++ = uchar(0x80 | ((unit >> 6) & 0x3f));
                *bytes++ = uchar(0x80 | (unit & 0x3f));
            }
        }
        const int size = int(bytes - (out.data() + start));
        out.resize(start + size_t(size));
        return size;
    }
    int room = 16 + text.size() * 3;
    out.resize(start + size_t(room));
    int size = ucol_getSortKey(m_collator, units, text.size(), out.data() + start, room);
    if (size > room) {
        out.resize(start + size_t(size));
        size = ucol_getSortKey(m_collator, units, text.size(), out.data() + start, size);
    }
    out.resize(start + size_t(size));
    return size;
}

int SortKeyMaker::compareKeys(const uchar *left, int leftLength, const uchar *right,
                              int rightLength)
{
    const int common = std::min(leftLength, rightLength);
    const int result = common > 0 ? std::memcmp(left, right, size_t(common)) : 0;
    return result != 0 ? result : leftLength - rightLength;
}
