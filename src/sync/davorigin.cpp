#include "sync/davorigin.h"

namespace DavOrigin {

bool same(const QUrl &a, const QUrl &b)
{
    const QString scheme = a.scheme().toLower();
    const int defaultPort = scheme == QLatin1String("https") ? 443 : 80;
    return scheme == b.scheme().toLower() && a.host().compare(b.host(), Qt::CaseInsensitive) == 0
           && a.port(defaultPort) == b.port(defaultPort);
}

QString text(const QUrl &url)
{
    return url
            .adjusted(QUrl::RemoveUserInfo | QUrl::RemovePath | QUrl::RemoveQuery
                      | QUrl::RemoveFragment)
            .toString();
}

bool isMember(const QUrl &url, const QUrl &collection)
{
    if (!url.isValid() || !same(url, collection) || url.hasQuery() || url.hasFragment()) {
        return false;
    }
    QString base = collection.path(QUrl::FullyDecoded);
    if (!base.endsWith(QLatin1Char('/'))) {
        base += QLatin1Char('/');
    }
    const QString path = url.path(QUrl::FullyDecoded);
    if (!path.startsWith(base)) {
        return false;
    }
    const QString name = path.mid(base.size());
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'))
           && name != QLatin1String(".") && name != QLatin1String("..");
}

} // namespace DavOrigin
