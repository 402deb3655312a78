#pragma once

#include <QString>
#include <QTime>

// Dates and times as the window shows them: in the formats of the default
// locale, or, when that is C (no locale chosen), in the program's own plain
// forms. Stored data and exported files never use these.
namespace DisplayFormat {

// A stored birthday ("dd.MM.yyyy", or "dd.MM" without a year) in the
// locale's short date with a four-digit year, or its day and month alone
// ("5 March", "5. März"); any other stored text is shown as it stands.
QString birthday(const QString &stored);
// A time of day in the locale's short form; "HH:mm" in the C locale.
QString time(const QTime &time);

} // namespace DisplayFormat
