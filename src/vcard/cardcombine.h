#pragma once

#include <QByteArray>

// The card of two contacts merged into one: the kept contact's card, byte
// for byte, with the properties of the other's card that no field of the
// record holds (NICKNAME, X-properties, IMPP, anniversaries, ...) and that
// the kept card lacks added before its end. The fields themselves (names,
// phones, e-mail, ...) are written into the card from the merged record when
// it is patched, as after any edit.
namespace CardCombine {

QByteArray withPropertiesOf(const QByteArray &kept, const QByteArray &other);

} // namespace CardCombine
