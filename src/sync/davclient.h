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

// What a client takes from a server at most, checked while an answer comes in.
struct DavLimits
{
    // One answer's body. A listing of 100,000 cards with their ETags is
    // about 25 MB.
    qint64 bodyBytes = qint64(64) * 1024 * 1024;
    // Time any request has before its bytes must pay for it: servers answer a
    // listing only once it is complete, and Radicale takes over a minute for
    // the first sync token of 10,000 cards.
    int startMs = 180000;
    // Past that, each second must have moved this many bytes on average (sent
    // and received), so that a server answering a byte at a time is given up.
    int bytesPerSecond = 4096;
};

// The answer to one WebDAV request: the HTTP status (0 when no answer came),
// the body and the headers a CardDAV client needs, or the network failure.
struct DavResponse
{
    // An answer that the client stopped reading because it broke a limit.
    enum class Refused { No, TooLarge, TooSlow };

    int status = 0;
    QByteArray reason;
    QByteArray body;
    QByteArray etag;
    QUrl location;
    QNetworkReply::NetworkError networkError = QNetworkReply::NoError;
    QString errorText;
    QStringList sslErrors;
    Refused refused = Refused::No;

    // A 2xx status with its whole body: an answer cut off on the way is no
    // success, whatever its status said.
    bool isSuccess() const
    {
        return status >= 200 && status < 300 && networkError == QNetworkReply::NoError
               && refused == Refused::No;
    }
    bool isRedirect() const { return status >= 300 && status < 400 && location.isValid(); }
};

// Sends WebDAV requests (PROPFIND, REPORT, PUT, DELETE, MKCOL) over HTTP or
// HTTPS and hands each answer to a callback on the event loop. Certificates
// are checked against the system's store and an unverifiable one is never
// accepted. User name and password go out as Basic authorization, and are
// offered once more if the server asks for another scheme, but only to the
// origin (scheme, host and port) they were given for. Every answer is read
// within the limits, while it comes in.
class DavClient : public QObject
{
    Q_OBJECT

public:
    using Callback = std::function<void(const DavResponse &)>;
    using Headers = QList<QPair<QByteArray, QByteArray>>;

    explicit DavClient(QObject *parent = nullptr);

    // The account's credentials, sent to requests on the origin of `origin` only.
    void setCredentials(const QUrl &origin, const QString &user, const QString &password);
    void setLimits(const DavLimits &limits) { m_limits = limits; }
    const DavLimits &limits() const { return m_limits; }

    // Sends a request; an answer's body above maxBodyBytes (the limits' by
    // default) is refused as too large.
    void send(const QByteArray &verb, const QUrl &url, const QByteArray &body,
              const Headers &headers, const Callback &done, qint64 maxBodyBytes = 0);
    void propfind(const QUrl &url, int depth, const QByteArray &body, const Callback &done);
    void report(const QUrl &url, int depth, const QByteArray &body, const Callback &done,
                qint64 maxBodyBytes = 0);
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
    void watch(QNetworkReply *reply, qint64 maxBodyBytes, const Callback &done);

    QNetworkAccessManager m_manager;
    DavLimits m_limits;
    QUrl m_origin;
    QByteArray m_authorization;
    QString m_user;
    QString m_password;
    int m_pending = 0;
};
