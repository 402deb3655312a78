#include "record/contactmerge.h"

#include "record/contact.h"
#include "record/contactgroups.h"

#include <QSet>

namespace ContactMerge {

namespace {

using KeyOf = QString (*)(const QString &);

QString linkKey(const QString &link)
{
    return link.trimmed();
}

// The entries of one labelled list of imported whose key stored lacks,
// appended with their labels to target when it is given; the number of
// such entries.
int mergeList(const QStringList &values, const QStringList &importedValues,
              const QStringList &importedLabels, KeyOf keyOf, TextList *targetList,
              QStringList *targetLabels)
{
    QStringList entries = targetList ? targetList->toList() : QStringList();
    QStringList *targetValues = targetList ? &entries : nullptr;
    QSet<QString> known;
    known.reserve(values.size());
    for (const QString &value : values) {
        known.insert(keyOf(value));
    }
    int added = 0;
    for (int i = 0; i < importedValues.size(); ++i) {
        const QString key = keyOf(importedValues.at(i));
        if (key.isEmpty() || known.contains(key)) {
            continue;
        }
        known.insert(key);
        ++added;
        if (!targetValues) {
            continue;
        }
        if (targetLabels) {
            // Entry n is labelled by label n, whatever the lists held before.
            const int n = targetValues->size();
            while (targetLabels->size() < n) {
                targetLabels->append(QString());
            }
            if (targetLabels->size() == n) {
                targetLabels->append(importedLabels.value(i));
            } else {
                (*targetLabels)[n] = importedLabels.value(i);
            }
        }
        targetValues->append(importedValues.at(i));
    }
    if (targetList && added > 0) {
        *targetList = entries;
    }
    return added;
}

int fillText(const QString &stored, const QString &imported, QString *target)
{
    if (!stored.trimmed().isEmpty() || imported.trimmed().isEmpty()) {
        return 0;
    }
    if (target) {
        *target = imported;
    }
    return 1;
}

// Counts, and with target set applies, what imported adds to stored.
int merge(const Contact &stored, const Contact &imported, Contact *target)
{
    int names = fillText(stored.name, imported.name, target ? &target->name : nullptr);
    names += fillText(stored.surname, imported.surname, target ? &target->surname : nullptr);
    names += fillText(stored.middlename, imported.middlename,
                      target ? &target->middlename : nullptr);
    if (names > 0 && target) {
        target->fullname = target->composedFullName();
    }
    int added = names;
    added += fillText(stored.organization, imported.organization,
                      target ? &target->organization : nullptr);
    added += fillText(stored.dateOfBirth, imported.dateOfBirth,
                      target ? &target->dateOfBirth : nullptr);
    added += fillText(stored.comment, imported.comment, target ? &target->comment : nullptr);
    added += mergeList(stored.phoneList, imported.phoneList, imported.phoneGroupList, phoneKey,
                       target ? &target->phoneList : nullptr,
                       target ? &target->phoneGroupList : nullptr);
    added += mergeList(stored.emailList, imported.emailList, imported.emailGroupList, emailKey,
                       target ? &target->emailList : nullptr,
                       target ? &target->emailGroupList : nullptr);
    added += mergeList(stored.addressList, imported.addressList, imported.addressGroupList,
                       addressKey, target ? &target->addressList : nullptr,
                       target ? &target->addressGroupList : nullptr);
    added += mergeList(stored.linkList, imported.linkList, QStringList(), linkKey,
                       target ? &target->linkList : nullptr, nullptr);
    QStringList groups = stored.groups;
    if (ContactGroups::add(groups, imported.groups)) {
        ++added;
        if (target) {
            target->groups = groups;
        }
    }
    return added;
}

} // namespace

QString phoneKey(const QString &phone)
{
    QString digits;
    digits.reserve(phone.size());
    for (const QChar c : phone) {
        if (c.isDigit()) {
            digits.append(QChar(QLatin1Char(char('0' + c.digitValue()))));
        }
    }
    return digits.isEmpty() ? phone.simplified() : digits;
}

QString emailKey(const QString &email)
{
    return email.trimmed().toCaseFolded();
}

QString addressKey(const QString &address)
{
    return address.simplified().toCaseFolded();
}

bool mergeInto(Contact *stored, const Contact &imported)
{
    return stored && merge(*stored, imported, stored) > 0;
}

bool bringsNew(const Contact &stored, const Contact &imported)
{
    return merge(stored, imported, nullptr) > 0;
}

} // namespace ContactMerge
