#pragma once

class QWidget;

// Our own stand-in for the desktop integration library: announcing the
// application, tablet mode, and context help.

// Sets organisation "kiv", the given application name and version, so that
// the default settings object lives under kiv/ in the configuration directory.
void kivInit(const char *version, const char *name);
// True when KIV_TABLET_MODE is 1, true or yes (any case, blanks ignored).
bool kivInTabletMode();
// The widget that help is for; this desktop offers none.
QWidget *kivHelpLookForWidget();
// Shows help for the widget; nothing to do for a null widget.
void kivHelpShow(QWidget *widget);
