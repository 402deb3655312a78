#include "davserver.h"

#include "sync/davclient.h"
#include "sync/davdiscovery.h"
#include "sync/davmultistatus.h"

#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

const QString DavServer::User = QStringLiteral("anna");
const QString DavServer::Password = QStringLiteral("s3cret-Pässword");

namespace {

int freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

const char FailingServer[] = R"(
import http.server, sys
class H(http.server.BaseHTTPRequestHandler):
    def answer(self):
        self.send_response(500)
        self.send_header('Content-Length', '0')
        self.end_headers()
    do_GET = do_PUT = do_PROPFIND = do_REPORT = do_DELETE = do_MKCOL = answer
    def log_message(self, *args):
        pass
http.server.HTTPServer(('127.0.0.1', int(sys.argv[1])), H).serve_forever()
)";

const char UntrustedServer[] = R"(
import http.server, ssl, sys
server = http.server.HTTPServer(('127.0.0.1', int(sys.argv[1])), http.server.BaseHTTPRequestHandler)
context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
context.load_cert_chain(sys.argv[2], sys.argv[3])
server.socket = context.wrap_socket(server.socket, server_side=True)
server.serve_forever()
)";

} // namespace

DavServer::DavServer(Kind kind)
    : m_kind(kind)
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

DavServer::~DavServer()
{
    kill();
}

bool DavServer::start()
{
    // A restart keeps the port, so that clients find the server again.
    if (m_port == 0) {
        m_port = freePort();
    }
    const QString dir = m_dir.path();
    const QString port = QString::number(m_port);
    switch (m_kind) {
    case Radicale: {
        QFile users(dir + QStringLiteral("/users"));
        QFile config(dir + QStringLiteral("/config"));
        if (!users.open(QIODevice::WriteOnly) || !config.open(QIODevice::WriteOnly)) {
            return false;
        }
        users.write((User + QLatin1Char(':') + Password + QLatin1Char('\n')).toUtf8());
        config.write(QStringLiteral("[server]\nhosts = 127.0.0.1:%1\n"
                                    "[auth]\ntype = htpasswd\nhtpasswd_filename = %2/users\n"
                                    "htpasswd_encryption = plain\ndelay = 0\n"
                                    "[storage]\nfilesystem_folder = %2/collections\n"
                                    "[logging]\nlevel = error\n")
                             .arg(port, dir)
                             .toUtf8());
        config.close();
        m_process.start(QStringLiteral("radicale"),
                        {QStringLiteral("--config"), config.fileName()});
        break;
    }
    case Xandikos:
        m_process.start(QStringLiteral("xandikos"),
                        {QStringLiteral("--defaults"), QStringLiteral("-d"), dir,
                         QStringLiteral("-l"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                         port});
        break;
    case Failing:
        m_process.start(QStringLiteral("python3"),
                        {QStringLiteral("-c"), QLatin1String(FailingServer), port});
        break;
    case Untrusted: {
        const QString key = dir + QStringLiteral("/key.pem");
        const QString cert = dir + QStringLiteral("/cert.pem");
        if (QProcess::execute(
                    QStringLiteral("openssl"),
                    {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                     QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-subj"),
                     QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-days"), QStringLiteral("2"),
                     QStringLiteral("-keyout"), key, QStringLiteral("-out"), cert})
            != 0) {
            return false;
        }
        m_process.start(QStringLiteral("python3"),
                        {QStringLiteral("-c"), QLatin1String(UntrustedServer), port, cert, key});
        break;
    }
    }
    if (!m_process.waitForStarted()) {
        return false;
    }
    return QTest::qWaitFor(
                   [this] {
                       if (m_process.state() != QProcess::Running) {
                           return true;
                       }
                       QTcpSocket socket;
                       socket.connectToHost(QHostAddress::LocalHost, m_port);
                       return socket.waitForConnected(100);
                   },
                   20000)
           && m_process.state() == QProcess::Running;
}

void DavServer::kill()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

QUrl DavServer::url() const
{
    return QUrl(QStringLiteral("%1://127.0.0.1:%2/")
                        .arg(m_kind == Untrusted ? QStringLiteral("https") : QStringLiteral("http"))
                        .arg(m_port));
}

QUrl DavServer::addressBook(bool again)
{
    if (m_book.isValid() && !again) {
        return m_book;
    }
    DavDiscovery discovery;
    QSignalSpy found(&discovery, &DavDiscovery::finished);
    discovery.start(url(), User, Password);
    if (found.wait(20000)) {
        const auto books = found.first().first().value<QList<DavAddressBook>>();
        m_book = books.isEmpty() ? QUrl() : books.first().url;
    }
    return m_book;
}

int DavServer::cardCount()
{
    DavClient client;
    client.setCredentials(User, Password);
    int count = -1;
    bool done = false;
    const QUrl book = addressBook();
    client.propfind(book, 1,
                    "<?xml version=\"1.0\"?><d:propfind xmlns:d=\"DAV:\"><d:prop><d:getetag/>"
                    "</d:prop></d:propfind>",
                    [&](const DavResponse &response) {
                        done = true;
                        if (response.isSuccess()) {
                            count = 0;
                            const auto status = DavMultiStatus::parse(response.body, book);
                            for (const DavResource &resource : status.resources) {
                                count += resource.path != book.path()
                                         && resource.has(QStringLiteral("DAV:|getetag"));
                            }
                        }
                    });
    if (!QTest::qWaitFor([&done] { return done; }, 60000)) {
        return -1;
    }
    return count;
}
