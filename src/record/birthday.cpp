#include "record/birthday.h"

#include <QDate>
#include <QRegularExpression>

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
    const QString date = text.trimmed().section(QLatin1Char('T'), 0, 0);
    QRegularExpressionMatch match = yearless.match(date);
    if (match.hasMatch()) {
        return withoutYear(match.capturedRef(2).toInt(), match.capturedRef(1).toInt());
    }
    match = full.match(date);
    if (!match.hasMatch()) {
        return QString();
    }
    const int year = match.capturedRef(1).toInt();
    const int month = match.capturedRef(2).toInt();
    const int day = match.capturedRef(3).toInt();
    if (year == omittedYear || year == OmittedYear) {
        return withoutYear(day, month);
    }
    const QDate parsed(year, month, day);
    return parsed.isValid() ? parsed.toString(QStringLiteral("dd.MM.yyyy")) : QString();
}

} // namespace Birthday
