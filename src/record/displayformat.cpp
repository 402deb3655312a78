#include "record/displayformat.h"

#include "record/birthday.h"

#include <QDate>
#include <QLocale>
#include <QRegularExpression>

namespace {

bool plain(const QLocale &locale)
{
    return locale.language() == QLocale::C;
}

// The short date format with the year in four digits: "dd.MM.yy" gives
// "dd.MM.yyyy", so that no birthday reads as a century's guess.
QString fullYearFormat(const QLocale &locale)
{
    QString format = locale.dateFormat(QLocale::ShortFormat);
    static const QRegularExpression twoDigitYear(QStringLiteral("(?<!y)yy(?!y)"));
    return format.replace(twoDigitYear, QStringLiteral("yyyy"));
}

// Day and month in the words of the long date format without its weekday and
// its year: "d MMMM" (Russian, with the month's genitive), "d. MMMM" (German),
// "MMMM d" (American English). A format whose year does not come last gives
// "dd.MM".
QString dayMonthFormat(const QLocale &locale)
{
    QString format = locale.dateFormat(QLocale::LongFormat);
    static const QRegularExpression weekday(QStringLiteral("d{4}[,\\s]*"));
    static const QRegularExpression yearToEnd(QStringLiteral("[,\\s]*y+.*$"));
    format.remove(weekday).remove(yearToEnd);
    format = format.trimmed();
    if (format.isEmpty() || format.contains(QLatin1Char('y'))
        || !format.contains(QLatin1String("MMMM"))) {
        return QStringLiteral("dd.MM");
    }
    return format;
}

} // namespace

namespace DisplayFormat {

QString birthday(const QString &stored)
{
    const QLocale locale;
    if (plain(locale)) {
        return stored;
    }
    int day = 0;
    int month = 0;
    if (Birthday::isWithoutYear(stored, &day, &month)) {
        // A leap year, so that 29 February has a date to be written from.
        return locale.toString(QDate(2000, month, day), dayMonthFormat(locale));
    }
    const QDate date = QDate::fromString(stored, QStringLiteral("dd.MM.yyyy"));
    return date.isValid() ? locale.toString(date, fullYearFormat(locale)) : stored;
}

QString time(const QTime &time)
{
    const QLocale locale;
    return plain(locale) ? time.toString(QStringLiteral("HH:mm"))
                         : locale.toString(time, QLocale::ShortFormat);
}

} // namespace DisplayFormat
