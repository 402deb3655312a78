#pragma once

#include <QString>

class Contact;

// Imported records need a name: the stores skip a record whose name parts
// are all blank the next time they load.
namespace ImportedName {

// Names a record whose name parts are all blank after what the file offers:
// its display name (a vCard's FN, a CSV's display-name column), else the
// local part of its first e-mail address, else its organisation, else its
// first phone number. A record with a name part is left as it is.
void nameIfNameless(Contact *contact, const QString &displayName);

} // namespace ImportedName
