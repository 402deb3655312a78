#include "record/contact.h"

#include <QDateTime>

#include <atomic>

Contact::Contact(QObject *parent)
    : QObject(parent)
{
}

Contact::Contact(const Contact *source, QObject *parent)
    : QObject(parent),
      isFavorite(source->isFavorite),
      id(makeId()),
      photoData(source->photoData)
{
    takeFields(*source);
    if (fullname.isEmpty()) {
        fullname = composedFullName();
    }
}

void Contact::takeFields(const Contact &source)
{
    name = source.name;
    surname = source.surname;
    middlename = source.middlename;
    fullname = source.fullname;
    organization = source.organization;
    dateOfBirth = source.dateOfBirth;
    comment = source.comment;
    phoneList = source.phoneList;
    phoneGroupList = source.phoneGroupList;
    emailList = source.emailList;
    emailGroupList = source.emailGroupList;
    addressList = source.addressList;
    addressGroupList = source.addressGroupList;
    linkList = source.linkList;
    groups = source.groups;
}

namespace {

// True when the text is its own simplified form: no white space at either
// end, and inside only single blanks.
bool isSimplified(const QString &text)
{
    bool afterBlank = true;
    for (const QChar c : text) {
        if (c == QLatin1Char(' ')) {
            if (afterBlank) {
                return false;
            }
            afterBlank = true;
        } else if (c.isSpace()) {
            return false;
        } else {
            afterBlank = false;
        }
    }
    return text.isEmpty() || !afterBlank;
}

} // namespace

// Parts that are simplified already are joined as they are: a name of one
// part is that part itself, shared and not copied.
QString Contact::composeFullName(const QString &surname, const QString &name,
                                 const QString &middlename)
{
    if (!isSimplified(surname) || !isSimplified(name) || !isSimplified(middlename)) {
        return (surname + QLatin1Char(' ') + name + QLatin1Char(' ') + middlename).simplified();
    }
    const QString *parts[3];
    int count = 0;
    int size = 0;
    for (const QString *part : {&surname, &name, &middlename}) {
        if (!part->isEmpty()) {
            parts[count++] = part;
            size += part->size();
        }
    }
    if (count < 2) {
        return count == 0 ? QString() : *parts[0];
    }
    QString fullname;
    fullname.reserve(size + count - 1);
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            fullname += QLatin1Char(' ');
        }
        fullname += *parts[i];
    }
    return fullname;
}

QString Contact::composedFullName() const
{
    return composeFullName(surname, name, middlename);
}

namespace {

// The largest id handed out or found in a store in this process.
std::atomic<qint64> lastId{0};

} // namespace

QString Contact::makeId()
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    qint64 previous = lastId.load();
    qint64 next;
    do {
        next = qMax(now, previous + 1);
    } while (!lastId.compare_exchange_weak(previous, next));
    return QString::number(next);
}

void Contact::noteIdInUse(qint64 id)
{
    qint64 previous = lastId.load();
    while (previous < id && !lastId.compare_exchange_weak(previous, id)) { }
}
