#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <QStringList>

class vCardProperty;

// What a kept card holds beyond the fields this program edits, in words, so
// that a person sees it is kept: the formatted name, nickname, job title,
// role, department, anniversaries and other dates, instant messaging,
// related people and social profiles. The CATEGORIES are the contact's
// groups, shown as such.
class CardDetails
{
    Q_DECLARE_TR_FUNCTIONS(CardDetails)

public:
    // The card's FN; empty for none.
    QString formattedName;
    // What Google CSV has columns for: name prefix, name suffix, nickname,
    // job title and department.
    QStringList columns{QString(), QString(), QString(), QString(), QString()};
    // Each entry's label ("Nickname", "Anniversary", ...) and its text.
    QStringList labels;
    QStringList values;

    static CardDetails of(const QByteArray &card);
    // The columns alone, read from the few lines that hold them: an export
    // of a large book asks it of every card.
    static QStringList columnsOf(const QByteArray &card);

private:
    // Adds an entry unless its text is blank.
    void add(const QString &label, const QString &value);
    // Sets a column unless an earlier property set it: the first one counts.
    void setColumn(int column, const QString &value);
    // The formatted name and the columns a property (by its upper-case name) gives.
    void readColumn(const QString &name, const vCardProperty &property);
    // The entry a property gives; label is its group's X-ABLabel, if any.
    void readEntry(const QString &name, const QString &label, const vCardProperty &property);
};
