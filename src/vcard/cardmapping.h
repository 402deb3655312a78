#pragma once

#include <memory>

class Contact;
class vCard;
struct CardLinks;

// Maps a card onto a new record, as every vCard import and the sync do:
// names, organisation (the first ORG unit), birthday, comment, the groups
// and the star (the CATEGORIES, "starred" among them), labelled phones,
// e-mail and postal addresses, links and the photo; and, when asked, which
// property each field came from, so that a changed field can be written
// back into it.
class CardMapping
{
public:
    CardMapping();
    ~CardMapping();

    // The caller owns the record; index makes its provisional id unique
    // among the cards of one file.
    Contact *contactOf(const vCard &card, int index = 0, CardLinks *links = nullptr) const;

    struct Texts;

private:
    std::unique_ptr<Texts> m_texts;
};
