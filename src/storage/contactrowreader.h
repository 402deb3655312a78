#pragma once

#include "record/textlist.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <string_view>

class Contact;
class QObject;
class SqliteStatement;

// Turns the rows of the contact select (SqliteDatabase::selectContacts())
// into records, straight from SQLite's UTF-8 texts. Texts that many records
// repeat (name parts, organisations, notes, the labels and whole label lists)
// are decoded once per reader and then shared by every record that holds
// them, so that a large address book keeps one copy of "Anna" and of
// "Mobile;;;Home" instead of one per record.
class ContactRowReader
{
public:
    // groups: every record's groups by its id (see GroupSchema::memberships),
    // which the reader gives the records it makes; null when the store has
    // none.
    explicit ContactRowReader(const QHash<qint64, QStringList> *groups = nullptr)
        : m_groups(groups)
    {
    }

    // The record of the statement's current row, or null for a row without
    // any name part.
    Contact *read(const SqliteStatement &row, QObject *parent = nullptr);

private:
    // Decoded texts by their UTF-8 bytes; a table stops growing at its
    // limit, so that a column of distinct texts costs a bounded table.
    template<typename T>
    using Pool = QHash<QByteArray, T>;
    static constexpr int PoolLimit = 8192;

    // Texts longer than this are not worth a table entry.
    static constexpr size_t PooledTextBytes = 64;

    QString shared(Pool<QString> &pool, const SqliteStatement &row, int column,
                   size_t maxBytes = PooledTextBytes);
    QString sharedText(Pool<QString> *pool, std::string_view utf8,
                       size_t maxBytes = PooledTextBytes);
    QStringList sharedList(const SqliteStatement &row, int column);
    TextList list(const SqliteStatement &row, int column);
    QStringList split(std::string_view utf8, Pool<QString> *pool);
    // The lookup key of bytes, without a copy; valid until the next call.
    const QByteArray &key(std::string_view utf8);

    QByteArray m_key;
    Pool<QString> m_names;
    Pool<QString> m_surnames;
    Pool<QString> m_middlenames;
    Pool<QString> m_organizations;
    Pool<QString> m_comments;
    Pool<QString> m_labels;
    Pool<QStringList> m_labelLists;
    const QHash<qint64, QStringList> *m_groups = nullptr;
};
