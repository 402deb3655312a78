#include "sync/davclient.h"

#include "sync/davorigin.h"

#include <QAuthenticator>
#include <QElapsedTimer>
#include <QNetworkRequest>
#include <QTimer>

#include <memory>

namespace {

constexpr qint64 ReadAheadBytes = 1024 * 1024;

// An answer as it comes in: what was read, and why reading stopped early.
struct Transfer
{
    QByteArray body;
    qint64 maxBodyBytes = 0;
    qint64 sent = 0;
    QElapsedTimer clock;
    DavResponse::Refused refused = DavResponse::Refused::No;
};

bool isUnreachable(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::UnknownNetworkError:
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyTimeoutError:
        return true;
    default:
        return false;
    }
}

// Stops reading an answer for good, for the first reason that came up.
void refuse(QNetworkReply *reply, Transfer &transfer, DavResponse::Refused why)
{
    if (transfer.refused == DavResponse::Refused::No) {
        transfer.refused = why;
        transfer.body.clear();
        // Not from inside the reply's own signal: finished comes later.
        QMetaObject::invokeMethod(reply, &QNetworkReply::abort, Qt::QueuedConnection);
    }
}

// Collects the body while it stays within its size, and counts what was sent.
void watchSize(QNetworkReply *reply, const std::shared_ptr<Transfer> &transfer)
{
    // An answer that declares a body over the limit is not read at all.
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, transfer] {
        const qint64 declared = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
        if (declared > transfer->maxBodyBytes) {
            refuse(reply, *transfer, DavResponse::Refused::TooLarge);
        }
    });
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, transfer] {
        if (transfer->refused != DavResponse::Refused::No) {
            return;
        }
        // Measured before it is read: what is over the size is never copied.
        if (transfer->body.size() + reply->bytesAvailable() > transfer->maxBodyBytes) {
            refuse(reply, *transfer, DavResponse::Refused::TooLarge);
            return;
        }
        transfer->body += reply->readAll();
    });
    QObject::connect(reply, &QNetworkReply::uploadProgress, reply,
                     [transfer](qint64 sent) { transfer->sent = sent; });
}

// Checks on a timer that the bytes moved keep up with the time taken; the
// limits are read at each check, so they are the client's current ones.
void watchPace(QNetworkReply *reply, const std::shared_ptr<Transfer> &transfer,
               const DavLimits &limits)
{
    auto *pace = new QTimer(reply);
    QObject::connect(pace, &QTimer::timeout, reply, [reply, transfer, &limits] {
        const qint64 moved = transfer->body.size() + transfer->sent;
        if (transfer->clock.elapsed() > limits.startMs + moved * 1000 / limits.bytesPerSecond) {
            refuse(reply, *transfer, DavResponse::Refused::TooSlow);
        }
    });
    pace->start(qBound(10, limits.startMs / 4, 1000));
}

// The answer of a finished reply, with the body read so far unless reading
// was refused.
DavResponse responseOf(QNetworkReply *reply, Transfer &transfer)
{
    DavResponse response;
    response.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    response.reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray();
    response.refused = transfer.refused;
    if (response.refused == DavResponse::Refused::No) {
        transfer.body += reply->readAll();
        response.body = std::move(transfer.body);
    }
    response.etag = reply->rawHeader("ETag");
    const QByteArray location = reply->rawHeader("Location");
    if (!location.isEmpty()) {
        response.location = reply->url().resolved(QUrl::fromEncoded(location));
    }
    response.networkError = reply->error();
    response.errorText = reply->errorString();
    response.sslErrors = reply->property("kivSslErrors").toStringList();
    return response;
}

} // namespace

DavClient::DavClient(QObject *parent)
    : QObject(parent)
{
    // A server that asks again after the Basic header (Digest, or a wrong
    // password) gets the credentials once more per request, never in a loop.
    connect(&m_manager, &QNetworkAccessManager::authenticationRequired, this,
            [this](QNetworkReply *reply, QAuthenticator *authenticator) {
                if (m_user.isEmpty() || reply->property("kivAuthOffered").toBool()
                    || !DavOrigin::same(reply->url(), m_origin)) {
                    return;
                }
                reply->setProperty("kivAuthOffered", true);
                authenticator->setUser(m_user);
                authenticator->setPassword(m_password);
            });
}

void DavClient::setCredentials(const QUrl &origin, const QString &user, const QString &password)
{
    m_origin = origin;
    m_user = user;
    m_password = password;
    m_authorization = user.isEmpty()
                              ? QByteArray()
                              : "Basic " + (user + QLatin1Char(':') + password).toUtf8().toBase64();
}

void DavClient::send(const QByteArray &verb, const QUrl &url, const QByteArray &body,
                     const Headers &headers, const Callback &done, qint64 maxBodyBytes)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    if (!m_authorization.isEmpty() && DavOrigin::same(url, m_origin)) {
        request.setRawHeader("Authorization", m_authorization);
    }
    for (const auto &header : headers) {
        request.setRawHeader(header.first, header.second);
    }
    QNetworkReply *reply = m_manager.sendCustomRequest(request, verb, body);
    ++m_pending;
    // Never ignored: an unverifiable certificate ends the request.
    connect(reply, &QNetworkReply::sslErrors, reply, [reply](const QList<QSslError> &errors) {
        QStringList texts;
        for (const QSslError &error : errors) {
            texts.append(error.errorString());
        }
        reply->setProperty("kivSslErrors", texts);
    });
    watch(reply, maxBodyBytes > 0 ? maxBodyBytes : m_limits.bodyBytes, done);
}

// Reads the answer as it comes and stops it once it grows past its size or
// falls behind the minimum rate; the callback gets it when it ends.
void DavClient::watch(QNetworkReply *reply, qint64 maxBodyBytes, const Callback &done)
{
    // Qt reads from the socket only as far as this ahead of the reader, so an
    // answer that floods in cannot pile up unread. Set once the request is
    // under way: Qt 5 forgets a size set before its network thread has taken
    // the request, and an endless listing then piled up 100-400 MB unread.
    connect(reply, &QNetworkReply::metaDataChanged, reply,
            [reply] { reply->setReadBufferSize(ReadAheadBytes); });
    auto transfer = std::make_shared<Transfer>();
    transfer->maxBodyBytes = maxBodyBytes;
    transfer->clock.start();
    watchSize(reply, transfer);
    watchPace(reply, transfer, m_limits);
    connect(reply, &QNetworkReply::finished, this, [this, reply, transfer, done] {
        reply->deleteLater();
        --m_pending;
        done(responseOf(reply, *transfer));
    });
}

void DavClient::propfind(const QUrl &url, int depth, const QByteArray &body, const Callback &done)
{
    send("PROPFIND", url, body,
         {{"Depth", QByteArray::number(depth)}, {"Content-Type", "application/xml; charset=utf-8"}},
         done);
}

void DavClient::report(const QUrl &url, int depth, const QByteArray &body, const Callback &done,
                       qint64 maxBodyBytes)
{
    send("REPORT", url, body,
         {{"Depth", QByteArray::number(depth)}, {"Content-Type", "application/xml; charset=utf-8"}},
         done, maxBodyBytes);
}

void DavClient::put(const QUrl &url, const QByteArray &card, const QByteArray &etag,
                    const Callback &done)
{
    Headers headers{{"Content-Type", "text/vcard; charset=utf-8"}};
    headers.append(etag.isEmpty() ? qMakePair(QByteArray("If-None-Match"), QByteArray("*"))
                                  : qMakePair(QByteArray("If-Match"), etag));
    send("PUT", url, card, headers, done);
}

void DavClient::remove(const QUrl &url, const QByteArray &etag, const Callback &done)
{
    Headers headers;
    if (!etag.isEmpty()) {
        headers.append({"If-Match", etag});
    }
    send("DELETE", url, QByteArray(), headers, done);
}

void DavClient::abortAll()
{
    const QList<QNetworkReply *> replies = m_manager.findChildren<QNetworkReply *>();
    for (QNetworkReply *reply : replies) {
        reply->disconnect(this);
        if (reply->isRunning()) {
            reply->abort();
        }
        reply->deleteLater();
    }
    m_pending = 0;
}

QString DavClient::errorMessage(const DavResponse &response)
{
    if (response.isSuccess()) {
        return QString();
    }
    if (!response.sslErrors.isEmpty()
        || response.networkError == QNetworkReply::SslHandshakeFailedError) {
        const QString detail = response.sslErrors.isEmpty()
                                       ? response.errorText
                                       : response.sslErrors.join(QStringLiteral("; "));
        return tr("Certificate not trusted") + QStringLiteral(": ") + detail;
    }
    if (response.refused == DavResponse::Refused::TooLarge) {
        return tr("The server's answer is too large");
    }
    if (response.refused == DavResponse::Refused::TooSlow) {
        return tr("The server answers too slowly");
    }
    if (response.status >= 200 && response.status < 300) {
        return tr("The server's answer was cut off") + QStringLiteral(" (") + response.errorText
               + QLatin1Char(')');
    }
    if (response.status == 0 || isUnreachable(response.networkError)) {
        return tr("Server not reachable") + QStringLiteral(" (") + response.errorText
               + QLatin1Char(')');
    }
    const QString status = QStringLiteral(" (HTTP %1 %2)")
                                   .arg(response.status)
                                   .arg(QString::fromUtf8(response.reason));
    if (response.status == 401) {
        return tr("Wrong user name or password") + status;
    }
    if (response.status == 403) {
        return tr("The server refused access") + status;
    }
    if (response.status == 404 || response.status == 410) {
        return tr("The address book was not found on the server") + status;
    }
    if (response.status == 502 || response.status == 503 || response.status == 504) {
        return tr("Server not reachable") + status;
    }
    return tr("The server answered with an error") + status;
}
