#pragma once

#include <QValidator>

// What a phone field of the editor lets a person type: the numbers people
// really have, written as peers write them. An optional leading "+", digits,
// blanks, dashes, dots, slashes and parentheses; an extension ("ext.", "ext",
// "x" or ";ext=" as in RFC 3966); pauses "," ";" "p" "w"; "*" and "#"; at
// most maxLength characters. Any other letter is refused. A number set from
// outside (an import) is not cut: it is only checked when typed into.
class PhoneValidator : public QValidator
{
    Q_OBJECT

public:
    static constexpr int maxLength = 40;

    explicit PhoneValidator(QObject *parent = nullptr);

    State validate(QString &input, int &position) const override;
    // The same test on a whole text, for callers without a cursor.
    static State check(const QString &text);
};
