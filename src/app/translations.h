#pragma once

#include <QString>
#include <QStringList>

class QCoreApplication;
class QProcessEnvironment;

// The program's language: the catalogues compiled into the program under
// ":/translations", chosen by the environment as gettext chooses, with the
// source language, English, whenever no catalogue fits.
namespace Translations {

// The languages the user asks for, best first: every entry of LANGUAGE (a
// colon-separated list), then the first of LC_ALL, LC_MESSAGES and LANG that
// is set. Each entry gives its full name and its language alone ("de_AT",
// "de"); encodings and modifiers are dropped; "C" and "POSIX" stand for
// English.
QStringList preferredLanguages(const QProcessEnvironment &environment);
// The first of `languages` with a catalogue, or empty for English (also when
// English comes before any language with a catalogue).
QString chooseLanguage(const QStringList &languages);
// Installs the catalogue of the language chosen from the process environment,
// with Qt's own one of that language where the system has it (for English,
// the catalogue of its singular and plural forms), and sets the formats of
// numbers and dates for display; returns the language, empty for English.
// Call once, after the application object exists.
QString install(QCoreApplication *app);

} // namespace Translations
