#pragma once

#include <QtGlobal>

// The largest import this program holds in memory. Text files (CSV, vCard)
// are read whole and decoded to UTF-16 before they are parsed, so a file
// above this size is refused with a message instead of running out of
// memory; a database import stops at this much text.
namespace ImportLimits {

constexpr qint64 MaxFileBytes = qint64(512) * 1024 * 1024;

} // namespace ImportLimits
