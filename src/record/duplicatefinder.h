#pragma once

#include "record/textlist.h"

#include <QCoreApplication>
#include <QPair>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

class Contact;

// Finds the contacts of an address book that are likely one person, with
// the reasons in words. Two contacts belong together when they share a
// phone number (by its digits, a leading trunk "0" and the country code
// ignored when one side lacks it) or an e-mail address (letter case
// ignored) and their names do not contradict (the name parts of one are
// among the other's); or when they have the same name of at least two
// parts, in any order, folded as the search folds (case, Latin accents,
// "ё"), and their details do not tell them apart (namesakes whose numbers,
// or whose e-mail addresses, all differ are two people). A shared first name
// alone, or a number shared by people of different names (an office's
// switchboard, a family's landline), is no reason.
//
// The search is linear: every phone, e-mail and name is put in a bucket by
// its key, each contact is joined to a fitting one among the few contacts
// before it in each of its buckets, and the joins make the groups
// (union-find).
class DuplicateFinder
{
    Q_DECLARE_TR_FUNCTIONS(DuplicateFinder)

public:
    // What the search reads of a contact: a copy taken on the window's
    // thread, so that the search may run on another one. Its texts are
    // shared with the record, not copied, so that taking it holds the window
    // for no time; the full name is the one the list shows.
    struct Entry
    {
        QString id;
        QString surname;
        QString name;
        QString middlename;
        TextList phones;
        QStringList phoneLabels;
        TextList emails;
        QString fullname;
    };
    static Entry entryOf(const Contact &contact);

    // Contacts that are likely one person (ids in the order given, with
    // their full names) and why.
    struct Group
    {
        QStringList ids;
        QStringList names;
        QStringList reasons;
    };

    // Pairs the person said are not the same person: nothing joins them
    // directly.
    void setDistinctPairs(const QSet<QPair<QString, QString>> &pairs) { m_distinct = pairs; }
    // A pair in the order the distinct pairs keep it.
    static QPair<QString, QString> pairOf(const QString &a, const QString &b);

    QVector<Group> find(const QVector<Entry> &entries) const;

    // Whether two phone numbers are one number as the search matches them
    // ("+49 30 1234567" and "030 1234567"); short numbers by their digits.
    static bool isSameNumber(const QString &a, const QString &b);

private:
    QSet<QPair<QString, QString>> m_distinct;
};
