#pragma once

#include <QVector>

// Which property of a card each field of the record it maps to came from,
// as indexes into the card's properties (-1: none), so that a changed field
// can be written back into its own property and nothing else.
struct CardLinks
{
    int name = -1;
    int formattedName = -1;
    int organization = -1;
    // The BDAY that gave the birthday.
    int birthday = -1;
    int photo = -1;
    QVector<int> notes;
    QVector<int> categories;
    // One per entry of the record's lists, in their order.
    QVector<int> phones;
    QVector<int> emails;
    QVector<int> links;
    // Per address: its ADR or LABEL first, then the LABELs that repeat it.
    QVector<QVector<int>> addresses;
};
