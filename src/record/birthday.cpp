#include "record/birthday.h"

#include <QDate>
#include <QRegularExpression>

namespace {

// The number that count ASCII digits of text from `from` write, or -1.
int digits(const QString &text, int from, int count)
{
    int value = 0;
    for (int i = from; i < from + count; ++i) {
        const ushort c = text.at(i).unicode();
        if (c < '0' || c > '9') {
            return -1;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

// The two forms nearly every file writes, yyyy-MM-dd and yyyyMMdd, read
// without the regular expressions (which give the same numbers): a large
// import meets one on almost every card.
bool plainDate(const QString &date, int *year, int *month, int *day)
{
    const bool dashed =
            date.size() == 10 && date.at(4) == QLatin1Char('-') && date.at(7) == QLatin1Char('-');
    if (!dashed && date.size() != 8) {
        return false;
    }
    *year = digits(date, 0, 4);
    *month = digits(date, dashed ? 5 : 4, 2);
    *day = digits(date, dashed ? 8 : 6, 2);
    return *year >= 0 && *month >= 0 && *day >= 0;
}

// dd.MM.yyyy, as QDate::toString writes a date of the years 1 to 9999,
// without its locale machinery: a large import writes one on almost every
// card.
QString dottedDate(const QDate &date)
{
    QString text(10, Qt::Uninitialized);
    QChar *out = text.data();
    const auto put = [&out](int value, int width) {
        for (int i = width - 1; i >= 0; --i) {
            out[i] = QLatin1Char(char('0' + value % 10));
            value /= 10;
        }
        out += width;
    };
    put(date.day(), 2);
    *out++ = QLatin1Char('.');
    put(date.month(), 2);
    *out++ = QLatin1Char('.');
    put(date.year(), 4);
    return text;
}

} // namespace

namespace Birthday {

QString withoutYear(int day, int month)
{
    // A leap year, so that 29 February is a day that exists.
    if (!QDate(2000, month, day).isValid()) {
        return QString();
    }
    return QStringLiteral("%1.%2")
            .arg(day, 2, 10, QLatin1Char('0'))
            .arg(month, 2, 10, QLatin1Char('0'));
}

bool isWithoutYear(const QString &text, int *day, int *month)
{
    static const QRegularExpression form(QStringLiteral("^(\\d\\d)\\.(\\d\\d)$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch()) {
        return false;
    }
    const int d = match.capturedRef(1).toInt();
    const int m = match.capturedRef(2).toInt();
    if (!QDate(2000, m, d).isValid()) {
        return false;
    }
    if (day) {
        *day = d;
    }
    if (month) {
        *month = m;
    }
    return true;
}

QString fromIso(const QString &text, int omittedYear)
{
    static const QRegularExpression yearless(QStringLiteral("^--(\\d\\d)-?(\\d\\d)$"));
    static const QRegularExpression full(QStringLiteral("^(\\d{4})-?(\\d\\d)-?(\\d\\d)$"));
    // A date-time counts by its date.
    const QString trimmed = text.trimmed();
    const QString date = trimmed.left(trimmed.indexOf(QLatin1Char('T')));
    int year = 0;
    int month = 0;
    int day = 0;
    if (!plainDate(date, &year, &month, &day)) {
        QRegularExpressionMatch match = yearless.match(date);
        if (match.hasMatch()) {
            return withoutYear(match.capturedRef(2).toInt(), match.capturedRef(1).toInt());
        }
        match = full.match(date);
        if (!match.hasMatch()) {
            return QString();
        }
        year = match.capturedRef(1).toInt();
        month = match.capturedRef(2).toInt();
        day = match.capturedRef(3).toInt();
    }
    if (year == omittedYear || year == OmittedYear) {
        return withoutYear(day, month);
    }
    const QDate parsed(year, month, day);
    return parsed.isValid() ? dottedDate(parsed) : QString();
}

} // namespace Birthday
