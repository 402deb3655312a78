// The search for duplicates over 10,000 and 100,000 generated contacts of
// which 5 % are second cards of a person already in the book, written as
// address books collect them: the name parts swapped, a first name with the
// mobile number in national form, the e-mail in other letter case.
//
// The generator draws every phone number from the hundred fictional
// 555-01xx numbers, so that in its books each number is on a thousand cards;
// a book with 5 % duplicates has numbers of its own, and each generated
// contact gets its own here, at least one: the generator's names repeat
// (26,000 names among 100,000 contacts), and namesakes with nothing to tell
// them apart would rightly be found as duplicates, far more than 5 %. For
// the same reason each e-mail address is made the contact's own: the
// generator gives namesakes the same addresses.

#include "benchutil.h"

#include "model/contactsmodel.h"
#include "model/duplicatesmodel.h"
#include "record/contact.h"
#include "record/duplicatefinder.h"
#include "storage/database.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

#include <cstdio>
#include <memory>

namespace {

QStringList texts(const QJsonArray &array, const QString &key)
{
    QStringList list;
    for (const QJsonValue &value : array) {
        list << value.toObject().value(key).toString();
    }
    return list;
}

QStringList ownAddresses(const QJsonArray &emails, int index)
{
    QStringList list = texts(emails, QStringLiteral("address"));
    for (QString &address : list) {
        address.replace(QLatin1Char('@'), QStringLiteral(".%1@").arg(index));
    }
    return list;
}

// What the search reads of each generated contact (gen_contacts.py jsonl).
QVector<DuplicateFinder::Entry> generatedEntries(int count)
{
    QFile file(Bench::generatedFile(QStringLiteral("jsonl"), count));
    QVector<DuplicateFinder::Entry> entries;
    if (!file.open(QIODevice::ReadOnly)) {
        return entries;
    }
    while (!file.atEnd()) {
        const QJsonObject json = QJsonDocument::fromJson(file.readLine()).object();
        if (json.isEmpty()) {
            continue;
        }
        const QJsonArray phones = json.value(QStringLiteral("phones")).toArray();
        QStringList labels;
        for (const QJsonValue &phone : phones) {
            labels << phone.toObject().value(QStringLiteral("types")).toArray().at(0).toString();
        }
        QStringList numbers;
        if (labels.isEmpty()) {
            labels << QStringLiteral("Mobile");
        }
        for (int i = 0; i < labels.size(); ++i) {
            numbers << QStringLiteral("+49 %1 %2").arg(150 + i).arg(entries.size() + 1000000);
        }
        entries.append(
                {QString::number(entries.size() + 1),
                 json.value(QStringLiteral("family")).toString(),
                 json.value(QStringLiteral("given")).toString(),
                 json.value(QStringLiteral("middle")).toString(), numbers, labels,
                 ownAddresses(json.value(QStringLiteral("emails")).toArray(), entries.size()),
                 QString()});
    }
    return entries;
}

// Every twentieth contact gets a second card, one of three kinds in turn.
void addDuplicates(QVector<DuplicateFinder::Entry> &entries)
{
    const int originals = entries.size();
    for (int i = 0; i < originals; i += 20) {
        DuplicateFinder::Entry copy = entries.at(i);
        copy.id = QString::number(entries.size() + 1);
        switch ((i / 20) % 3) {
        case 0:
            std::swap(copy.surname, copy.name);
            copy.phones = TextList();
            break;
        case 1: {
            copy.surname.clear();
            copy.middlename.clear();
            copy.emails = TextList();
            QStringList phones = copy.phones;
            phones.replaceInStrings(QLatin1String("+49 "), QLatin1String("0"));
            copy.phones = phones;
            break;
        }
        default: {
            QStringList emails;
            for (const QString &email : copy.emails.toList()) {
                emails << email.toUpper();
            }
            copy.emails = emails;
            copy.phones = TextList();
        }
        }
        entries.append(copy);
    }
}

// The search as the duplicates form starts it, over the contacts of the
// list: how long the window's thread is held (copying what the search
// reads) and how long until the groups are shown.
void measureFromList(const QVector<DuplicateFinder::Entry> &entries, int runs)
{
    ContactsModel model;
    for (const DuplicateFinder::Entry &entry : entries) {
        Contact contact;
        contact.surname = entry.surname;
        contact.name = entry.name;
        contact.middlename = entry.middlename;
        contact.fullname = contact.composedFullName();
        contact.phoneList = entry.phones;
        contact.phoneGroupList = entry.phoneLabels;
        contact.emailList = entry.emails;
        model.queueContact(&contact);
    }
    model.addQueuedContacts();
    DuplicatesModel duplicates;
    duplicates.setContactsModel(&model);
    QVector<double> held;
    QVector<double> shown;
    for (int run = 0; run < runs; ++run) {
        QEventLoop loop;
        QObject::connect(&duplicates, &DuplicatesModel::busyChanged, &loop, [&] {
            if (!duplicates.isBusy()) {
                loop.quit();
            }
        });
        QElapsedTimer timer;
        timer.start();
        duplicates.find();
        held.append(timer.nsecsElapsed() / 1e6);
        loop.exec();
        shown.append(timer.nsecsElapsed() / 1e6);
    }
    Bench::printRow(QStringLiteral("window's thread held by the search"), entries.size(),
                    Bench::statsOf(held), QStringLiteral("<= 100"));
    Bench::printRow(QStringLiteral("search from the list to the groups shown"), entries.size(),
                    Bench::statsOf(shown), QStringLiteral("<= 1000"));
}

// The search on a thread of its own, as the duplicates form runs it, so
// that each search gets the memory a new thread is given. Run on the main
// thread, the search of 10,000 contacts found the heap the last one had
// freed and touched no new page, which the form's searches never do, while
// that of 100,000 (whose blocks the C library maps afresh) paid for some
// 9,000 new pages each time.
int groupsFoundOnOwnThread(const QVector<DuplicateFinder::Entry> &book)
{
    int groups = 0;
    const std::unique_ptr<QThread> thread(
            QThread::create([&] { groups = DuplicateFinder().find(book).size(); }));
    thread->start();
    thread->wait();
    return groups;
}

} // namespace

// The two sizes take turns, run by run, so that the growth from one to the
// other compares runs made under the same load of the machine, and each
// search starts with the other book's texts in the cache, as a search in
// the program starts after other work: a book of 10,000 searched again and
// again would keep all it reads in the cache, which one of 100,000 cannot.
int main(int argc, char *argv[])
{
    Bench::useTemporaryHome();
    QCoreApplication app(argc, argv);
    const int runs = 9;
    Bench::printHeader(
            QStringLiteral("Finding duplicates, 5 % second cards (%1 runs each)").arg(runs));
    const QList<int> counts{10000, 100000};
    QHash<int, QVector<DuplicateFinder::Entry>> books;
    QHash<int, QVector<double>> times;
    QHash<int, int> groups;
    for (const int count : counts) {
        books[count] = generatedEntries(count * 20 / 21);
        addDuplicates(books[count]);
    }
    for (int run = 0; run < runs; ++run) {
        for (const int count : counts) {
            QElapsedTimer timer;
            timer.start();
            groups[count] = groupsFoundOnOwnThread(books[count]);
            times[count].append(timer.nsecsElapsed() / 1e6);
        }
    }
    const double small = Bench::statsOf(times.value(10000)).median;
    for (const int count : counts) {
        const QString target =
                count == 10000 ? QString()
                               : QStringLiteral("<= 1000, <= %1").arg(small * 11, 0, 'f', 0);
        Bench::printRow(QStringLiteral("find duplicates (%1 groups)").arg(groups.value(count)),
                        books.value(count).size(), Bench::statsOf(times.value(count)), target);
    }
    measureFromList(books.value(100000), 5);
    std::printf("peak memory: %.1f MiB\n", Bench::peakMemoryMiB());
    return 0;
}
