#pragma once

#include <QByteArray>
#include <QString>

class QtSingleApplication;

// Process start-up: the command line, the single-instance check and the
// hand-over to the scene set-up. main() only creates the application object
// and calls run().
namespace StartUp {

// The low-effects rule: false for empty text, "0" or "false" in any letter
// case (blanks around ignored), true for anything else.
bool lowEffects(const QByteArray &value);
// The rule applied to KIV_PHONE_LOW_EFFECTS; an unset variable gives false.
bool lowEffectsFromEnvironment();
// The message a second start sends: "raise", or "contactId " + the id.
QString instanceMessage(const QString &contactId);
// What --help tells after Qt's list of options: the environment variables,
// the files and the exit status, as the manual page tells them.
QString helpDetails();
// Runs start-up on the application object and returns the process result:
// -1 when another instance was running, else the event loop's result.
int run(QtSingleApplication &app);

} // namespace StartUp
