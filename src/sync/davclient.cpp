#include "sync/davclient.h"

#include <QAuthenticator>
#include <QNetworkRequest>

namespace {

// A request that gets no byte for this long is given up. Servers answer a
// listing only once it is complete: Radicale takes over a minute for the
// first sync token of 10,000 cards, which must not read as unreachable.
constexpr int TransferTimeoutMs = 180000;

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

} // namespace

DavClient::DavClient(QObject *parent)
    : QObject(parent)
{
    // A server that asks again after the Basic header (Digest, or a wrong
    // password) gets the credentials once more per request, never in a loop.
    connect(&m_manager, &QNetworkAccessManager::authenticationRequired, this,
            [this](QNetworkReply *reply, QAuthenticator *authenticator) {
                if (m_user.isEmpty() || reply->property("kivAuthOffered").toBool()) {
                    return;
                }
                reply->setProperty("kivAuthOffered", true);
                authenticator->setUser(m_user);
                authenticator->setPassword(m_password);
            });
}

void DavClient::setCredentials(const QString &user, const QString &password)
{
    m_user = user;
    m_password = password;
    m_authorization = user.isEmpty()
                              ? QByteArray()
                              : "Basic " + (user + QLatin1Char(':') + password).toUtf8().toBase64();
}

void DavClient::send(const QByteArray &verb, const QUrl &url, const QByteArray &body,
                     const Headers &headers, const Callback &done)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(TransferTimeoutMs);
    if (!m_authorization.isEmpty()) {
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
    connect(reply, &QNetworkReply::finished, this, [this, reply, done] {
        reply->deleteLater();
        --m_pending;
        DavResponse response;
        response.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        response.reason =
                reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray();
        response.body = reply->readAll();
        response.etag = reply->rawHeader("ETag");
        const QByteArray location = reply->rawHeader("Location");
        if (!location.isEmpty()) {
            response.location = reply->url().resolved(QUrl::fromEncoded(location));
        }
        response.networkError = reply->error();
        response.errorText = reply->errorString();
        response.sslErrors = reply->property("kivSslErrors").toStringList();
        done(response);
    });
}

void DavClient::propfind(const QUrl &url, int depth, const QByteArray &body, const Callback &done)
{
    send("PROPFIND", url, body,
         {{"Depth", QByteArray::number(depth)}, {"Content-Type", "application/xml; charset=utf-8"}},
         done);
}

void DavClient::report(const QUrl &url, int depth, const QByteArray &body, const Callback &done)
{
    send("REPORT", url, body,
         {{"Depth", QByteArray::number(depth)}, {"Content-Type", "application/xml; charset=utf-8"}},
         done);
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
