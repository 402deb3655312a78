#include "app/phonevalidator.h"

namespace {
const QString extension = QStringLiteral("ext");

bool isPlainCharacter(QChar c)
{
    static const QString punctuation = QStringLiteral(" ()-./,;*#");
    return c.isDigit() || punctuation.contains(c);
}

bool isPauseOrShortExtension(QChar c)
{
    const QChar lower = c.toLower();
    return lower == QLatin1Char('p') || lower == QLatin1Char('w') || lower == QLatin1Char('x');
}
} // namespace

PhoneValidator::PhoneValidator(QObject *parent)
    : QValidator(parent)
{
}

QValidator::State PhoneValidator::validate(QString &input, int &position) const
{
    Q_UNUSED(position)
    return check(input);
}

QValidator::State PhoneValidator::check(const QString &text)
{
    if (text.size() > maxLength) {
        return Invalid;
    }
    State state = Acceptable;
    bool started = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('+')) {
            // Only in front of the number.
            if (started) {
                return Invalid;
            }
            started = true;
            continue;
        }
        if (c.isDigit()) {
            started = true;
            continue;
        }
        if (isPlainCharacter(c)) {
            started = started || c != QLatin1Char(' ');
            continue;
        }
        const QStringRef rest = text.midRef(i);
        if (rest.startsWith(extension, Qt::CaseInsensitive)) {
            i += extension.size() - 1;
            started = true;
            continue;
        }
        if (extension.startsWith(rest, Qt::CaseInsensitive)) {
            // "e" or "ex" at the end: an extension being typed.
            return Intermediate;
        }
        if (c == QLatin1Char('=') && i >= 4
            && text.midRef(i - 4, 4).compare(QLatin1String(";ext"), Qt::CaseInsensitive) == 0) {
            continue;
        }
        if (isPauseOrShortExtension(c)) {
            started = true;
            continue;
        }
        return Invalid;
    }
    return state;
}
