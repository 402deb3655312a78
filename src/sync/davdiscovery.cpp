#include "sync/davdiscovery.h"

#include "sync/davmultistatus.h"
#include "sync/davorigin.h"

namespace {

constexpr int MaxRedirects = 5;

const QByteArray DiscoveryBody =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
        "<d:propfind xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:carddav\"><d:prop>"
        "<d:current-user-principal/><d:resourcetype/><d:displayname/>"
        "<c:addressbook-home-set/></d:prop></d:propfind>";

const QByteArray CreateBody =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
        "<d:mkcol xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:carddav\"><d:set><d:prop>"
        "<d:resourcetype><d:collection/><c:addressbook/></d:resourcetype>"
        "<d:displayname>Contacts</d:displayname></d:prop></d:set></d:mkcol>";

QUrl withPath(const QUrl &base, const QString &path)
{
    QUrl url = base;
    url.setPath(path, QUrl::DecodedMode);
    return url;
}

bool isAddressBook(const DavResource &resource)
{
    return resource.properties.value(DavNames::dav("resourcetype"))
            .children.contains(DavNames::cardDav("addressbook"));
}

// The first resource of a depth-0 answer.
DavResource firstResource(const DavResponse &response, const QUrl &url)
{
    const DavMultiStatus status = DavMultiStatus::parse(response.body, url);
    return status.resources.isEmpty() ? DavResource() : status.resources.first();
}

// Failures that no other place on the same server can mend.
bool isFinal(const DavResponse &response)
{
    return response.status == 0 || response.status == 401 || !response.sslErrors.isEmpty();
}

} // namespace

DavDiscovery::DavDiscovery(QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<QList<DavAddressBook>>();
}

void DavDiscovery::start(const QUrl &server, const QString &user, const QString &password)
{
    delete m_client;
    m_client = new DavClient(this);
    m_origin = server;
    m_user = user;
    m_password = password;
    m_client->setCredentials(server, user, password);
    findContext(server);
}

void DavDiscovery::propfind(const QUrl &url, int depth, const Step &next, int redirects)
{
    m_client->propfind(url, depth, DiscoveryBody,
                       [this, url, depth, next, redirects](const DavResponse &response) {
                           if (response.isRedirect() && redirects < MaxRedirects) {
                               follow(response.location, [=] {
                                   propfind(response.location, depth, next, redirects + 1);
                               });
                               return;
                           }
                           next(response, url);
                       });
}

// A redirect on the account's origin is followed. One from http to https on
// the same host moves the account there. Any other would take the password
// to another server: discovery stops and names it, and the person may enter
// that address if they trust it.
void DavDiscovery::follow(const QUrl &location, const std::function<void()> &go)
{
    if (DavOrigin::same(location, m_origin)) {
        go();
        return;
    }
    const bool upgrade = m_origin.scheme() == QLatin1String("http")
                         && location.scheme() == QLatin1String("https")
                         && location.host().compare(m_origin.host(), Qt::CaseInsensitive) == 0;
    if (upgrade) {
        m_origin = location;
        m_client->setCredentials(location, m_user, m_password);
        go();
        return;
    }
    emit finished({}, tr("The server sends the request on to another server, %1: enter its "
                         "address to use it")
                              .arg(DavOrigin::text(location)));
}

void DavDiscovery::fail(const DavResponse &response)
{
    QString error = DavClient::errorMessage(response);
    if (error.isEmpty()) {
        error = tr("The server does not offer CardDAV address books");
    }
    emit finished({}, error);
}

// A bare server address is looked up at /.well-known/carddav first; where
// that leads nowhere the address itself is asked.
void DavDiscovery::findContext(const QUrl &server)
{
    const QString path = server.path();
    if (!path.isEmpty() && path != QLatin1String("/")) {
        findPrincipal(server);
        return;
    }
    propfind(withPath(server, QStringLiteral("/.well-known/carddav")), 0,
             [this, server](const DavResponse &response, const QUrl &url) {
                 if (response.isSuccess()) {
                     findPrincipal(url);
                 } else if (isFinal(response)) {
                     fail(response);
                 } else {
                     findPrincipal(withPath(server, QStringLiteral("/")));
                 }
             });
}

void DavDiscovery::findPrincipal(const QUrl &context)
{
    propfind(context, 0, [this](const DavResponse &response, const QUrl &url) {
        if (!response.isSuccess()) {
            fail(response);
            return;
        }
        const DavResource resource = firstResource(response, url);
        if (isAddressBook(resource)) {
            const QString name = resource.text(DavNames::dav("displayname"));
            emit finished({{url, name.isEmpty() ? url.path() : name}}, QString());
            return;
        }
        const QStringList principal =
                resource.properties.value(DavNames::dav("current-user-principal")).hrefs;
        const QStringList home =
                resource.properties.value(DavNames::cardDav("addressbook-home-set")).hrefs;
        if (!home.isEmpty()) {
            listHome(withPath(url, home.first()), true);
        } else {
            findHome(principal.isEmpty() ? url : withPath(url, principal.first()));
        }
    });
}

void DavDiscovery::findHome(const QUrl &principal)
{
    propfind(principal, 0, [this](const DavResponse &response, const QUrl &url) {
        if (!response.isSuccess()) {
            fail(response);
            return;
        }
        const QStringList home =
                firstResource(response, url)
                        .properties.value(DavNames::cardDav("addressbook-home-set"))
                        .hrefs;
        listHome(home.isEmpty() ? url : withPath(url, home.first()), true);
    });
}

void DavDiscovery::listHome(const QUrl &home, bool mayCreate)
{
    propfind(home, 1, [this, mayCreate](const DavResponse &response, const QUrl &url) {
        if (!response.isSuccess()) {
            fail(response);
            return;
        }
        QList<DavAddressBook> books;
        for (const DavResource &resource : DavMultiStatus::parse(response.body, url).resources) {
            if (isAddressBook(resource)) {
                const QString name = resource.text(DavNames::dav("displayname"));
                books.append(
                        {withPath(url, resource.path),
                         name.isEmpty() ? resource.path.section(QLatin1Char('/'), -2, -2) : name});
            }
        }
        if (books.isEmpty() && mayCreate) {
            createBook(url);
            return;
        }
        if (books.isEmpty()) {
            fail(response);
            return;
        }
        emit finished(books, QString());
    });
}

void DavDiscovery::createBook(const QUrl &home)
{
    QString path = home.path(QUrl::FullyDecoded);
    if (!path.endsWith(QLatin1Char('/'))) {
        path += QLatin1Char('/');
    }
    const QUrl url = withPath(home, path + QStringLiteral("contacts/"));
    m_client->send("MKCOL", url, CreateBody, {{"Content-Type", "application/xml; charset=utf-8"}},
                   [this, home](const DavResponse &response) {
                       if (!response.isSuccess()) {
                           fail(response);
                           return;
                       }
                       listHome(home, false);
                   });
}
