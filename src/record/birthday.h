#pragma once

#include <QString>

// The birthday texts a record holds: "dd.MM.yyyy" for a full date, as the
// editor writes it, and "dd.MM" for a birthday whose year is not known.
// Imports and exports convert the forms of other programs through these.
namespace Birthday {

// The year Apple's address books write for a birthday without a year (vCard
// parameter X-APPLE-OMIT-YEAR); iOS and outlook.com write it bare.
constexpr int OmittedYear = 1604;

// "dd.MM" for a day and month that exist in some year (29 February too);
// empty otherwise.
QString withoutYear(int day, int month);
// True for a "dd.MM" text of a day that exists; day and month are set when
// given.
bool isWithoutYear(const QString &text, int *day = nullptr, int *month = nullptr);
// The stored form of a date as other programs write it: yyyy-MM-dd or
// yyyyMMdd (a time after "T" is ignored) give "dd.MM.yyyy", or "dd.MM" when
// the year is omittedYear or 1604; --MM-DD and --MMDD (vCard 4.0, Google
// CSV) give "dd.MM". Empty for any other text.
QString fromIso(const QString &text, int omittedYear = OmittedYear);

} // namespace Birthday
