#pragma once

#include "vcard/vcard.h"

#include <QByteArray>

class Contact;

// A record as this program writes it as a card, for a contact that has no
// card of its own (typed in, or from a CSV file) and as the start of the
// card made for one.
namespace ContactVCard {

// The record as a vCard 3.0 document; photo is the image file's bytes (PNG
// as the stores keep it), written as PHOTO when not empty.
vCard toVCard(const Contact &contact, const QByteArray &photo = QByteArray());

} // namespace ContactVCard
