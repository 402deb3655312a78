#include "record/contactsearch.h"

#include <QString>

#include <cstdlib>
#include <string>
#include <vector>

// The search over whole text columns against the search of each row on its
// own, on arbitrary texts: the first line is what is typed; each following
// line is a row, its names and its digits parted by a tab.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string input(reinterpret_cast<const char *>(data), size);
    const size_t typedEnd = std::min(input.find('\n'), input.size());
    const ContactSearch search(QString::fromUtf8(input.data(), int(typedEnd)));
    std::string words;
    std::string digits;
    std::vector<quint32> wordEnds;
    std::vector<quint32> digitEnds;
    for (size_t start = typedEnd + 1; start < input.size();) {
        const size_t end = std::min(input.find('\n', start), input.size());
        const std::string row = input.substr(start, end - start);
        const size_t tab = std::min(row.find('\t'), row.size());
        words += row.substr(0, tab);
        digits += row.substr(std::min(tab + 1, row.size()));
        wordEnds.push_back(quint32(words.size()));
        digitEnds.push_back(quint32(digits.size()));
        start = end + 1;
    }
    const ContactSearch::Column wordColumn{words, wordEnds};
    const ContactSearch::Column digitColumn{digits, digitEnds};
    const std::vector<char> found = search.matchesIn(wordColumn, digitColumn);
    for (size_t row = 0; row < wordEnds.size(); ++row) {
        const quint32 wordStart = row > 0 ? wordEnds[row - 1] : 0;
        const quint32 digitStart = row > 0 ? digitEnds[row - 1] : 0;
        const bool one = search.matches(
                std::string_view(words).substr(wordStart, wordEnds[row] - wordStart),
                std::string_view(digits).substr(digitStart, digitEnds[row] - digitStart));
        if (bool(found.at(row)) != one) {
            std::abort();
        }
    }
    return 0;
}
