#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QObject>
#include <QPair>
#include <QSslError>
#include <QString>
#include <QUrl>

#include <functional>

// The answer to one WebDAV request: the HTTP status (0 when no answer came),
// the body and the headers a CardDAV client needs, or the network failure.
struct DavResponse
{
    int status = 0;
    QByteArray reason;
    QByteArray body;
    QByteArray etag;
    QUrl location;
    QNetworkReply::NetworkError networkError = QNetworkReply::NoError;
    QString errorText;
    QStringList sslErrors;

    bool isSuccess() const { return status >= 200 && status < 300; }
    bool isRedirect() const { return status >= 300 && status < 400 && location.isValid(); }
};

// Sends WebDAV requests (PROPFIND, REPORT, PUT, DELETE, MKCOL) over HTTP or
// HTTPS and hands each answer to a callback on the event loop. Certificates
// are checked against the system's store and an unverifiable one is never
// accepted. User name and password go out as Basic authorization, and are
// offered once more if the server asks for another scheme.
class DavClient : public QObject
{
    Q_OBJECT

public:
    using Callback = std::function<void(const DavResponse &)>;
    using Headers = QList<QPair<QByteArray, QByteArray>>;

    explicit DavClient(QObject *parent = nullptr);

    void setCredentials(const QString &user, const QString &password);

    void send(const QByteArray &verb, const QUrl &url, const QByteArray &body,
              const Headers &headers, const Callback &done);
    void propfind(const QUrl &url, int depth, const QByteArray &body, const Callback &done);
    void report(const QUrl &url, int depth, const QByteArray &body, const Callback &done);
    // Writes a card; with an etag only over that version (If-Match), without
    // one only when nothing is there yet (If-None-Match: *).
    void put(const QUrl &url, const QByteArray &card, const QByteArray &etag, const Callback &done);
    void remove(const QUrl &url, const QByteArray &etag, const Callback &done);

    // Requests sent whose answer has not come yet.
    int pending() const { return m_pending; }
    // Drops every open request; their callbacks are not called.
    void abortAll();

    // The failure in words for the settings form, with the server's status;
    // empty for a success.
    static QString errorMessage(const DavResponse &response);

private:
    QNetworkAccessManager m_manager;
    QByteArray m_authorization;
    QString m_user;
    QString m_password;
    int m_pending = 0;
};
