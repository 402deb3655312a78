#pragma once

#include <QString>
#include <QStringList>

#include <string_view>

// How a contact file keeps a list (phones, their labels, ...) in one text
// column: the entries joined with ";;;". Empty entries are kept, so that
// paired lists stay paired, and the empty text is the empty list.
namespace ListEncoding {

constexpr std::string_view SeparatorUtf8 = ";;;";

QString encode(const QStringList &list);
QStringList decode(const QString &text);

} // namespace ListEncoding
