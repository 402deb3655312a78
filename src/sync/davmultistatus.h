#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QXmlStreamReader>

// One property of a WebDAV answer: its text, the hrefs inside it (as in
// current-user-principal) and the names of its child elements (as in
// resourcetype), each name written "namespace|local".
struct DavProperty
{
    QString text;
    // The text was longer than the reader keeps, and is empty.
    bool tooLong = false;
    QStringList hrefs;
    QStringList children;
};

// One <response> of a multistatus answer (RFC 4918 13): the resource's URL
// resolved against the request and its path percent-decoded, its own status when it has
// one (a member removed since a sync token, RFC 6578 3.5) and the properties
// found (those under a 2xx propstat).
struct DavResource
{
    QUrl url;
    QString path;
    int status = 0;
    QHash<QString, DavProperty> properties;

    QString text(const QString &name) const { return properties.value(name).text; }
    bool has(const QString &name) const { return properties.contains(name); }
};

// A multistatus body read with QXmlStreamReader. It is valid only when it
// was read to its end without an error: a body cut off on the way is not a
// shorter listing.
struct DavMultiStatus
{
    // The longest property text kept (a card with its photo); a longer one
    // is marked tooLong instead.
    static constexpr int MaxTextChars = 4 * 1024 * 1024;

    QList<DavResource> resources;
    // The collection's new sync token of a sync-collection report.
    QString syncToken;
    bool valid = false;

    static DavMultiStatus parse(const QByteArray &body, const QUrl &base);
};

// Reads a multistatus body a few responses at a time, so that a long answer
// (the listing of thousands of cards) never holds the event loop for long.
class DavMultiStatusReader
{
public:
    DavMultiStatusReader(const QByteArray &body, const QUrl &base);

    // Reads on until the body ends or budgetMs has passed (a negative
    // budget reads it whole); true once the body is read.
    bool read(qint64 budgetMs);
    const DavMultiStatus &result() const { return m_result; }

private:
    QXmlStreamReader m_xml;
    QUrl m_base;
    DavMultiStatus m_result;
    bool m_started = false;
    bool m_done = false;
};

// Namespaced names as the parser writes them.
namespace DavNames {
inline QString dav(const char *local)
{
    return QStringLiteral("DAV:|") + QLatin1String(local);
}
inline QString cardDav(const char *local)
{
    return QStringLiteral("urn:ietf:params:xml:ns:carddav|") + QLatin1String(local);
}
} // namespace DavNames
