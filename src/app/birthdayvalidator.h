#pragma once

#include <QDate>
#include <QValidator>

// The birthday field of the editor. Typing is allowed while the text can
// still become a date written day.month.year (two, two and four digits);
// acceptable are a real calendar date from firstYear up to today, and a day
// and month without a year ("17.05", a day that exists in some year), so
// "31.02.1990" and "12.1" can be typed but not saved.
class BirthdayValidator : public QValidator
{
    Q_OBJECT

public:
    static constexpr int firstYear = 1900;

    explicit BirthdayValidator(QObject *parent = nullptr);

    State validate(QString &input, int &position) const override;
    static State check(const QString &text);
    // The date of an acceptable text, else an invalid date.
    static QDate dateOf(const QString &text);
    // Why a text cannot be saved: empty for an empty or acceptable text,
    // else a short message for the person typing.
    Q_INVOKABLE static QString problemOf(const QString &text);
    // A stored birthday as the details show it, in the locale's date format.
    Q_INVOKABLE static QString displayText(const QString &stored);
};
