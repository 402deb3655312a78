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
      name(source->name),
      surname(source->surname),
      middlename(source->middlename),
      fullname(source->fullname),
      organization(source->organization),
      dateOfBirth(source->dateOfBirth),
      comment(source->comment),
      phoneList(source->phoneList),
      phoneGroupList(source->phoneGroupList),
      emailList(source->emailList),
      emailGroupList(source->emailGroupList),
      addressList(source->addressList),
      addressGroupList(source->addressGroupList),
      linkList(source->linkList),
      photoData(source->photoData)
{
    if (fullname.isEmpty()) {
        fullname = composedFullName();
    }
}

QString Contact::composeFullName(const QString &surname, const QString &name,
                                 const QString &middlename)
{
    return (surname + QLatin1Char(' ') + name + QLatin1Char(' ') + middlename).simplified();
}

QString Contact::composedFullName() const
{
    return composeFullName(surname, name, middlename);
}

QString Contact::makeId()
{
    static std::atomic<qint64> last{0};
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    qint64 previous = last.load();
    qint64 next;
    do {
        next = qMax(now, previous + 1);
    } while (!last.compare_exchange_weak(previous, next));
    return QString::number(next);
}
