#pragma once

#include <QStringView>

#include <vector>

// Sorting rows by a text in the order of QString::compare (case-sensitive:
// by UTF-16 code units, a text before the longer texts it begins), equal
// texts by row. A radix sort on eight code units at a time: the work grows
// with the number of texts and the code units that tell them apart, not
// with comparisons between texts that lie far apart in memory.
namespace TextSort {

struct Item
{
    QStringView text;
    int row = 0;
};

void sort(std::vector<Item> &items);

} // namespace TextSort
