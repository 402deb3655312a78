#pragma once

#include <QString>
#include <QUrl>

// Where a server's URLs may lead: the account's credentials go to one origin
// (scheme, host and port, RFC 6454) and the sync writes and deletes cards
// inside one address book only.
namespace DavOrigin {

bool same(const QUrl &a, const QUrl &b);
// The origin as text, "https://example.org:8443".
QString text(const QUrl &url);
// Whether url names a card right inside the collection: on its origin, one
// path segment below the collection's path, that segment neither "." nor
// "..". An address book holds no collections of its own (RFC 6352 5.2).
bool isMember(const QUrl &url, const QUrl &collection);

} // namespace DavOrigin
