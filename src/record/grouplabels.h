#pragma once

#include <QStringList>

// The labels the editor offers for phones, e-mails and addresses ("Mobile",
// "Home", ...), with the action entry "Create new" last.
namespace GroupLabels {
QStringList defaults();
// Adds the labels `list` lacks before its last entry, each once; a blank
// label could not be told apart from no label and is skipped. False when
// nothing was added.
bool addMissing(QStringList &list, const QStringList &labels);
} // namespace GroupLabels
