#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <QVector>

#include <memory>

class Contact;

// Two contacts of one person made into one that holds everything both held:
// the union of their phones, e-mail and postal addresses and links with
// their labels (an entry both have once), the names and organisation of the
// fuller contact with the other's where it has none, both comments when they
// differ, the birthday and the photo of the one that has one, the star if
// either has it. Where both have different values for a field that holds
// one (the name, the organisation, the birthday, the photo) that is a
// conflict: the fuller contact's value is taken unless the other is chosen.
//
// The records come with their photos (photoData) and cards loaded; the card
// of the kept contact is the merged contact's (the cards' own properties
// are joined a layer up, where cards are read).
class DuplicateMerge
{
    Q_DECLARE_TR_FUNCTIONS(DuplicateMerge)

public:
    enum Field { NameField, OrganizationField, BirthdayField, PhotoField };

    struct Conflict
    {
        Field field;
        // The field in words, for the question.
        QString label;
        // The values on offer, in words; for the photo, the ids of contacts
        // that have it.
        QStringList values;
    };

    DuplicateMerge(const Contact &first, const Contact &second);

    // The side (0 first, 1 second) whose id and card the merged contact
    // keeps: the one with a card (a synced or imported contact) when only
    // one has one, else the fuller one.
    int keptSide() const { return m_kept; }
    int fullerSide() const { return m_fuller; }
    QVector<Conflict> conflicts() const;
    // Takes the field from this side (0 or 1) in the merged contact.
    void choose(Field field, int side);

    // The merged record under the kept side's id, with its photo (photoData)
    // and the kept side's card.
    std::unique_ptr<Contact> merged() const;

    // The records merged one after the other into one. choices name, by
    // fieldName(), the value to keep where a field conflicts (for the photo
    // the id of a contact that has it); the fuller contact's value
    // otherwise. conflicts, when given, gets each field that conflicted,
    // with every value offered.
    static std::unique_ptr<Contact> mergeAll(const QVector<const Contact *> &records,
                                             const QVariantMap &choices,
                                             QVector<Conflict> *conflicts = nullptr);
    // "name", "organization", "birthday" or "photo".
    static QString fieldName(Field field);

    // Whether two photos (Base64 image texts) show the same pixels.
    static bool isSamePhoto(const QByteArray &a, const QByteArray &b);

private:
    const Contact *side(int index) const { return index == 0 ? &m_first : &m_second; }
    int choice(Field field) const { return m_choice[field]; }
    QString valueOf(Field field, int side) const;
    void takeChoice(const Conflict &conflict, const QVariantMap &choices,
                    const QVector<const Contact *> &records);
    void mergeNames(Contact &merged) const;
    void mergeTexts(Contact &merged) const;
    void mergeLists(Contact &merged) const;

    const Contact &m_first;
    const Contact &m_second;
    int m_kept = 0;
    int m_fuller = 0;
    int m_choice[4];
};
