#include "app/birthdayvalidator.h"

#include "record/birthday.h"
#include "record/displayformat.h"

#include <QStringList>

namespace {
// Widths of the day, month and year parts.
const int partWidths[] = {2, 2, 4};
} // namespace

BirthdayValidator::BirthdayValidator(QObject *parent)
    : QValidator(parent)
{
}

QValidator::State BirthdayValidator::validate(QString &input, int &position) const
{
    Q_UNUSED(position)
    return check(input);
}

QValidator::State BirthdayValidator::check(const QString &text)
{
    if (text.isEmpty()) {
        return Intermediate;
    }
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() > 3) {
        return Invalid;
    }
    for (int i = 0; i < parts.size(); ++i) {
        const QString &part = parts.at(i);
        if (part.size() > partWidths[i]) {
            return Invalid;
        }
        for (const QChar c : part) {
            if (!c.isDigit() || c.unicode() > 127) {
                return Invalid;
            }
        }
    }
    // A two-digit day or month that no date has cannot be mended by typing on.
    if ((parts.at(0).size() == 2 && (parts.at(0).toInt() < 1 || parts.at(0).toInt() > 31))
        || (parts.size() > 1 && parts.at(1).size() == 2
            && (parts.at(1).toInt() < 1 || parts.at(1).toInt() > 12))) {
        return Invalid;
    }
    return dateOf(text).isValid() || Birthday::isWithoutYear(text) ? Acceptable : Intermediate;
}

QDate BirthdayValidator::dateOf(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 3) {
        return QDate();
    }
    for (int i = 0; i < 3; ++i) {
        if (parts.at(i).size() != partWidths[i]) {
            return QDate();
        }
    }
    bool dayOk = false;
    bool monthOk = false;
    bool yearOk = false;
    const QDate date(parts.at(2).toInt(&yearOk), parts.at(1).toInt(&monthOk),
                     parts.at(0).toInt(&dayOk));
    if (!dayOk || !monthOk || !yearOk || !date.isValid() || date.year() < firstYear
        || date > QDate::currentDate()) {
        return QDate();
    }
    return date;
}

QString BirthdayValidator::problemOf(const QString &text)
{
    if (text.isEmpty() || dateOf(text).isValid() || Birthday::isWithoutYear(text)) {
        return QString();
    }
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() == 3 && parts.at(2).size() == 4) {
        const int year = parts.at(2).toInt();
        if (year < firstYear) {
            return tr("Year must be %1 or later").arg(firstYear);
        }
        const QDate date(year, parts.at(1).toInt(), parts.at(0).toInt());
        if (date.isValid() && date > QDate::currentDate()) {
            return tr("Date is in the future");
        }
    }
    return tr("Not a real date (dd.mm.yyyy)");
}

QString BirthdayValidator::displayText(const QString &stored)
{
    return DisplayFormat::birthday(stored);
}
