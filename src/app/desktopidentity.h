#pragma once

#include <QIcon>
#include <QString>

// How the desktop knows the program: the application id that names its
// desktop entry, its AppStream data and its own icon, and the icon of the
// window.
namespace DesktopIdentity {

QString applicationId();
// The program's own picture, compiled in, at the sizes the desktop asks for.
QIcon ownIcon();
// The icon theme's "view-pim-contacts", or the program's own picture where
// the theme has none.
QIcon windowIcon();

} // namespace DesktopIdentity
