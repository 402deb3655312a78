#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QList>
#include <QTemporaryDir>

#include "record/contact.h"

// The readers hand out records that the caller owns; the fuzzers delete them
// so that LeakSanitizer only reports leaks of the readers themselves.
inline void deleteContacts(const QList<Contact *> &contacts)
{
    qDeleteAll(contacts);
}

// Some readers (the database import, image and MIME detection) want an
// application object for plugins; one is made once per fuzzing process.
inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) {
        new QCoreApplication(argc, argv);
    }
}

// A folder for the inputs of the targets that read files: in memory
// (/dev/shm) where there is one, so that an input costs no disk write.
inline QString scratchDir()
{
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                     ? QStringLiteral("/dev/shm/kiv-fuzz-XXXXXX")
                                     : QDir::tempPath() + QStringLiteral("/kiv-fuzz-XXXXXX"));
    return dir.path();
}

// Writes the input to the file name in the scratch folder; its path, or an
// empty text when it cannot be written.
inline QString writeInput(const QString &name, const uint8_t *data, size_t size)
{
    const QString path = scratchDir() + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size)) {
        return QString();
    }
    return path;
}
