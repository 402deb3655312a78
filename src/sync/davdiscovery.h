#pragma once

#include "sync/davclient.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

// An address book found on a server.
struct DavAddressBook
{
    QUrl url;
    QString name;
};

Q_DECLARE_METATYPE(DavAddressBook)

// Finds the address books of an account as RFC 6764 and RFC 6352 describe:
// the well-known URL of a bare server address, the current user's principal,
// its addressbook-home-set and the address books in it. An account without
// any address book gets one named "Contacts" (extended MKCOL, RFC 5689), so
// that there is always one to choose.
class DavDiscovery : public QObject
{
    Q_OBJECT

public:
    explicit DavDiscovery(QObject *parent = nullptr);

    void start(const QUrl &server, const QString &user, const QString &password);

signals:
    // The address books, or the failure in words (then the list is empty).
    void finished(const QList<DavAddressBook> &books, const QString &error);

private:
    using Step = std::function<void(const DavResponse &, const QUrl &)>;

    // PROPFIND that follows redirects (at most a few) before answering.
    void propfind(const QUrl &url, int depth, const Step &next, int redirects = 0);
    void follow(const QUrl &location, const std::function<void()> &go);
    void findContext(const QUrl &server);
    void findPrincipal(const QUrl &context);
    void findHome(const QUrl &principal);
    void listHome(const QUrl &home, bool mayCreate);
    void createBook(const QUrl &home);
    void fail(const DavResponse &response);

    DavClient *m_client = nullptr;
    // Where the credentials may go: the server entered, or its https twin.
    QUrl m_origin;
    QString m_user;
    QString m_password;
};
