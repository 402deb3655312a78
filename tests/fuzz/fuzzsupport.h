#pragma once

#include <QCoreApplication>
#include <QVariantList>

#include "record/contact.h"

// The readers hand out records that the caller owns; the fuzzers delete them
// so that LeakSanitizer only reports leaks of the readers themselves.
inline void deleteContacts(const QVariantList &contacts)
{
    for (const QVariant &value : contacts) {
        delete value.value<Contact *>();
    }
}

// Some readers (the database import, MIME detection) want an application
// object for plugins; one is made once per fuzzing process.
inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) {
        new QCoreApplication(argc, argv);
    }
}
