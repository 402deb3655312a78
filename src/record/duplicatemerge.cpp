#include "record/duplicatemerge.h"

#include "record/contact.h"
#include "record/contactgroups.h"
#include "record/contactmerge.h"
#include "record/contactsearch.h"
#include "record/duplicatefinder.h"

#include <QImage>

namespace {

using Same = bool (*)(const QString &, const QString &);

// How much a contact holds: its filled texts, its entries and its photo.
int fullness(const Contact &contact)
{
    int count = 0;
    for (const QString *text : {&contact.surname, &contact.name, &contact.middlename,
                                &contact.organization, &contact.dateOfBirth, &contact.comment}) {
        count += text->trimmed().isEmpty() ? 0 : 1;
    }
    count += contact.phoneList.size() + contact.emailList.size() + contact.addressList.size()
             + contact.linkList.size();
    return count + (contact.photoData.isEmpty() ? 0 : 1);
}

// Texts the search cannot tell apart are the same text.
bool isSameText(const QString &a, const QString &b)
{
    return ContactSearch::folded(a.simplified()) == ContactSearch::folded(b.simplified());
}

// Both have the field, with different values.
bool differ(const QString &a, const QString &b)
{
    return !a.trimmed().isEmpty() && !b.trimmed().isEmpty() && !isSameText(a, b);
}

bool namesConflict(const Contact &a, const Contact &b)
{
    return differ(a.surname, b.surname) || differ(a.name, b.name)
           || differ(a.middlename, b.middlename);
}

QString filled(const QString &preferred, const QString &other)
{
    return preferred.trimmed().isEmpty() ? other : preferred;
}

bool isSameEmail(const QString &a, const QString &b)
{
    return ContactMerge::emailKey(a) == ContactMerge::emailKey(b);
}

bool isSameAddress(const QString &a, const QString &b)
{
    return ContactMerge::addressKey(a) == ContactMerge::addressKey(b);
}

bool isSameLink(const QString &a, const QString &b)
{
    return a.trimmed() == b.trimmed();
}

// A number written with its country code says more than without.
bool isFuller(const QString &number, const QString &than)
{
    return number.trimmed().startsWith(QLatin1Char('+'))
           && !than.trimmed().startsWith(QLatin1Char('+'));
}

// Adds the entries of `more` that `values` lacks, with their labels; an
// entry both have keeps its label, or takes the other's when it has none,
// and takes the other's text when that is better.
void unite(TextList &values, QStringList *labels, const TextList &more,
           const QStringList &moreLabels, Same same, Same better = nullptr)
{
    QStringList entries = values.toList();
    if (labels) {
        while (labels->size() < entries.size()) {
            labels->append(QString());
        }
    }
    const QStringList added = more.toList();
    for (int i = 0; i < added.size(); ++i) {
        int at = 0;
        while (at < entries.size() && !same(entries.at(at), added.at(i))) {
            ++at;
        }
        if (at == entries.size()) {
            entries.append(added.at(i));
        } else if (better && better(added.at(i), entries.at(at))) {
            entries[at] = added.at(i);
        }
        if (labels && at == labels->size()) {
            labels->append(moreLabels.value(i));
        } else if (labels && labels->at(at).isEmpty()) {
            (*labels)[at] = moreLabels.value(i);
        }
    }
    values = entries;
}

// Adds the conflict's values to those of its field already on offer.
void addConflict(QVector<DuplicateMerge::Conflict> &conflicts,
                 const DuplicateMerge::Conflict &conflict)
{
    for (DuplicateMerge::Conflict &known : conflicts) {
        if (known.field == conflict.field) {
            for (const QString &value : conflict.values) {
                if (!known.values.contains(value)) {
                    known.values.append(value);
                }
            }
            return;
        }
    }
    conflicts.append(conflict);
}

} // namespace

DuplicateMerge::DuplicateMerge(const Contact &first, const Contact &second)
    : m_first(first),
      m_second(second)
{
    m_fuller = fullness(second) > fullness(first) ? 1 : 0;
    const bool firstHasCard = !first.card.isEmpty();
    const bool secondHasCard = !second.card.isEmpty();
    m_kept = firstHasCard == secondHasCard ? m_fuller : (firstHasCard ? 0 : 1);
    for (int &choice : m_choice) {
        choice = m_fuller;
    }
}

bool DuplicateMerge::isSamePhoto(const QByteArray &a, const QByteArray &b)
{
    if (a == b) {
        return true;
    }
    const QImage imageA = QImage::fromData(QByteArray::fromBase64(a));
    const QImage imageB = QImage::fromData(QByteArray::fromBase64(b));
    return !imageA.isNull()
           && imageA.convertToFormat(QImage::Format_ARGB32)
                      == imageB.convertToFormat(QImage::Format_ARGB32);
}

QString DuplicateMerge::valueOf(Field field, int index) const
{
    const Contact &contact = *side(index);
    switch (field) {
    case NameField:
        return contact.composedFullName();
    case OrganizationField:
        return contact.organization;
    case BirthdayField:
        return contact.dateOfBirth;
    case PhotoField:
        return contact.id;
    }
    return QString();
}

QVector<DuplicateMerge::Conflict> DuplicateMerge::conflicts() const
{
    const bool photosDiffer = !m_first.photoData.isEmpty() && !m_second.photoData.isEmpty()
                              && !isSamePhoto(m_first.photoData, m_second.photoData);
    const std::pair<Field, bool> fields[] = {
            {NameField, namesConflict(m_first, m_second)},
            {OrganizationField, differ(m_first.organization, m_second.organization)},
            {BirthdayField, differ(m_first.dateOfBirth, m_second.dateOfBirth)},
            {PhotoField, photosDiffer}};
    const QString labels[] = {tr("Name"), tr("Organization"), tr("Birthday"), tr("Photo")};
    QVector<Conflict> conflicts;
    for (const auto &field : fields) {
        if (field.second) {
            conflicts.append({field.first,
                              labels[field.first],
                              {valueOf(field.first, 0), valueOf(field.first, 1)}});
        }
    }
    return conflicts;
}

QString DuplicateMerge::fieldName(Field field)
{
    static const char *const names[] = {"name", "organization", "birthday", "photo"};
    return QLatin1String(names[field]);
}

// The side whose value is the chosen one; a photo is chosen by a contact
// that has it.
void DuplicateMerge::takeChoice(const Conflict &conflict, const QVariantMap &choices,
                                const QVector<const Contact *> &records)
{
    const QString chosen = choices.value(fieldName(conflict.field)).toString();
    if (chosen.isEmpty()) {
        return;
    }
    for (int index : {0, 1}) {
        bool same = false;
        if (conflict.field == PhotoField) {
            for (const Contact *record : records) {
                same = same
                       || (record->id == chosen
                           && isSamePhoto(record->photoData, side(index)->photoData));
            }
        } else {
            same = isSameText(valueOf(conflict.field, index), chosen);
        }
        if (same) {
            choose(conflict.field, index);
            return;
        }
    }
}

// A photo on offer is named by the first record that has it.
std::unique_ptr<Contact> DuplicateMerge::mergeAll(const QVector<const Contact *> &records,
                                                  const QVariantMap &choices,
                                                  QVector<Conflict> *conflicts)
{
    if (records.isEmpty()) {
        return nullptr;
    }
    std::unique_ptr<Contact> merged = std::make_unique<Contact>(records.first(), nullptr);
    merged->id = records.first()->id;
    merged->card = records.first()->card;
    for (int i = 1; i < records.size(); ++i) {
        DuplicateMerge step(*merged, *records.at(i));
        for (Conflict conflict : step.conflicts()) {
            step.takeChoice(conflict, choices, records);
            if (conflict.field == PhotoField) {
                for (QString &value : conflict.values) {
                    const QByteArray &photo = step.side(value == merged->id ? 0 : 1)->photoData;
                    for (auto it = records.crbegin(); it != records.crend(); ++it) {
                        value = isSamePhoto((*it)->photoData, photo) ? (*it)->id : value;
                    }
                }
            }
            if (conflicts) {
                addConflict(*conflicts, conflict);
            }
        }
        merged = step.merged();
    }
    return merged;
}

void DuplicateMerge::choose(Field field, int side)
{
    m_choice[field] = side == 1 ? 1 : 0;
}

// Names that conflict come whole from the chosen side: filling one side's
// parts from the other could name a person twice ("Smith Anna Smith").
void DuplicateMerge::mergeNames(Contact &merged) const
{
    const Contact &chosen = *side(choice(NameField));
    const Contact &other = *side(1 - choice(NameField));
    const bool whole = namesConflict(chosen, other);
    merged.surname = whole ? chosen.surname : filled(chosen.surname, other.surname);
    merged.name = whole ? chosen.name : filled(chosen.name, other.name);
    merged.middlename = whole ? chosen.middlename : filled(chosen.middlename, other.middlename);
    merged.fullname = merged.composedFullName();
}

void DuplicateMerge::mergeTexts(Contact &merged) const
{
    merged.organization = filled(side(choice(OrganizationField))->organization,
                                 side(1 - choice(OrganizationField))->organization);
    merged.dateOfBirth = filled(side(choice(BirthdayField))->dateOfBirth,
                                side(1 - choice(BirthdayField))->dateOfBirth);
    const QString &fullerComment = side(m_fuller)->comment;
    const QString &otherComment = side(1 - m_fuller)->comment;
    merged.comment = fullerComment.trimmed().isEmpty() || otherComment.trimmed().isEmpty()
                                     || isSameText(fullerComment, otherComment)
                             ? filled(fullerComment, otherComment)
                             : fullerComment + QLatin1Char('\n') + otherComment;
    merged.isFavorite = m_first.isFavorite || m_second.isFavorite;
    const QByteArray &chosenPhoto = side(choice(PhotoField))->photoData;
    merged.photoData =
            chosenPhoto.isEmpty() ? side(1 - choice(PhotoField))->photoData : chosenPhoto;
}

void DuplicateMerge::mergeLists(Contact &merged) const
{
    const Contact &base = *side(m_fuller);
    const Contact &more = *side(1 - m_fuller);
    merged.phoneList = base.phoneList;
    merged.phoneGroupList = base.phoneGroupList;
    unite(merged.phoneList, &merged.phoneGroupList, more.phoneList, more.phoneGroupList,
          &DuplicateFinder::isSameNumber, &isFuller);
    merged.emailList = base.emailList;
    merged.emailGroupList = base.emailGroupList;
    unite(merged.emailList, &merged.emailGroupList, more.emailList, more.emailGroupList,
          &isSameEmail);
    merged.addressList = base.addressList;
    merged.addressGroupList = base.addressGroupList;
    unite(merged.addressList, &merged.addressGroupList, more.addressList, more.addressGroupList,
          &isSameAddress);
    merged.linkList = base.linkList;
    unite(merged.linkList, nullptr, more.linkList, QStringList(), &isSameLink);
    merged.groups = base.groups;
    ContactGroups::add(merged.groups, more.groups);
}

std::unique_ptr<Contact> DuplicateMerge::merged() const
{
    auto merged = std::make_unique<Contact>(nullptr);
    merged->id = side(m_kept)->id;
    merged->card = side(m_kept)->card;
    mergeNames(*merged);
    mergeTexts(*merged);
    mergeLists(*merged);
    return merged;
}
