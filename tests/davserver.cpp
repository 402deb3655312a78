#include "davserver.h"

#include "testsupport.h"

#include "record/contact.h"
#include "storage/sqlitedatabase.h"
#include "sync/carddavsync.h"
#include "sync/davclient.h"
#include "sync/davdiscovery.h"
#include "sync/davmultistatus.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

const QString DavServer::User = QStringLiteral("anna");
const QString DavServer::Password = QStringLiteral("s3cret-Pässword");

namespace {

QString script(const char *name)
{
    return QStringLiteral(TEST_DATA_DIR "/sync/") + QLatin1String(name);
}

int freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

} // namespace

DavServer::DavServer(Kind kind, bool quiet)
    : m_kind(kind)
{
    if (quiet) {
        m_process.setStandardErrorFile(QProcess::nullDevice());
    } else {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    }
}

DavServer::~DavServer()
{
    kill();
}

// A port found free can be taken by another program before the server binds
// it: a server that then fails to start gets new ports, twice at most. A
// restart keeps the port, so that clients find the server again.
bool DavServer::start()
{
    const bool freshPorts = m_port == 0;
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (m_port == 0) {
            m_port = freePort();
            m_catcherPort = freePort();
        }
        if (launch() || !freshPorts) {
            return m_process.state() == QProcess::Running;
        }
        m_port = 0;
    }
    return false;
}

// Our own servers say "ready" once they listen: until then the port may
// answer for another program.
bool DavServer::launch()
{
    const QString dir = m_dir.path();
    const QString port = QString::number(m_port);
    writeFile(dir + QStringLiteral("/users"), (User + QLatin1Char(':') + Password).toUtf8());
    writeFile(dir + QStringLiteral("/config"),
              QString::fromUtf8(readFile(script("radicale.conf"))).arg(port, dir).toUtf8());
    const QStringList commands[] = {
            {QStringLiteral("radicale"), QStringLiteral("--config"),
             dir + QStringLiteral("/config")},
            {QStringLiteral("xandikos"), QStringLiteral("--defaults"), QStringLiteral("-d"), dir,
             QStringLiteral("-l"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"), port},
            {QStringLiteral("python3"), script("failing_server.py"), port},
            {QStringLiteral("python3"), script("untrusted_server.py"), port, dir},
            // Radicale's own interpreter, whatever python3 is first on the path.
            {QStringLiteral("/usr/bin/python3"), script("radicale_sync_report.py"),
             dir + QStringLiteral("/config"), QStringLiteral("refuse")},
            {QStringLiteral("/usr/bin/python3"), script("radicale_sync_report.py"),
             dir + QStringLiteral("/config"), QStringLiteral("cut")},
            {QStringLiteral("/usr/bin/python3"), script("hostile_server.py"),
             dir + QStringLiteral("/config"), port, QString::number(m_catcherPort)}};
    const QStringList &command = commands[m_kind];
    m_process.start(command.first(), command.mid(1));
    const bool saysReady = m_kind == Hostile;
    return QTest::qWaitFor(
                   [this, saysReady] {
                       if (m_process.state() == QProcess::NotRunning) {
                           return true;
                       }
                       if (saysReady) {
                           return m_process.readAllStandardOutput().contains("ready");
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
    client.setCredentials(url(), User, Password);
    int count = -2;
    const QUrl book = addressBook();
    client.propfind(book, 1, "<propfind xmlns=\"DAV:\"><prop><getetag/></prop></propfind>",
                    [&count, &book](const DavResponse &response) {
                        const auto status = DavMultiStatus::parse(response.body, book);
                        count = response.isSuccess() ? status.resources.size() - 1 : -1;
                    });
    return QTest::qWaitFor([&count] { return count > -2; }, 60000) ? count : -1;
}

QString DavServer::cardFolder()
{
    return m_dir.path() + QStringLiteral("/collections/collection-root")
           + addressBook().path(QUrl::FullyDecoded);
}

void DavServer::setPassword(const QString &password)
{
    writeFile(m_dir.path() + QStringLiteral("/users"),
              (User + QLatin1Char(':') + password).toUtf8());
}

QString DavServer::changeOnDevice(const QString &file, const QString &change, bool sync)
{
    SqliteDatabase store;
    store.open(file.isEmpty() ? QString() : QDir::homePath() + QLatin1Char('/') + file);
    const QString value = change.section(QLatin1Char(':'), 1);
    if (change.startsWith(QLatin1String("add:"))) {
        auto contact = makeContact(Contact::makeId(), value);
        contact->fullname = contact->composedFullName();
        store.insertContact(contact.get());
    } else if (change.startsWith(QLatin1String("comment:"))) {
        const std::unique_ptr<Contact> contact(store.loadContacts().value(0));
        contact->comment = value;
        store.updateContact(contact.get());
    }
    if (!sync) {
        return QString();
    }
    CardDavSync cardDav(&store);
    cardDav.setAccount(addressBook(), User, Password);
    QSignalSpy finished(&cardDav, &CardDavSync::finished);
    cardDav.start();
    return finished.wait(60000) ? finished.first().first().toString() : QStringLiteral("no end");
}

void DavServer::saveAsAccount()
{
    QSettings settings;
    settings.setValue(QStringLiteral("carddav/serverUrl"), url().toString());
    settings.setValue(QStringLiteral("carddav/userName"), User);
    settings.setValue(QStringLiteral("carddav/addressBookUrl"), addressBook().toString());
    settings.setValue(QStringLiteral("carddav/addressBookName"), QStringLiteral("Contacts"));
    settings.sync();
}

bool DavServer::setMode(const QByteArray &mode)
{
    return hostile("POST", "/hostile/" + mode).status == 200;
}

QStringList DavServer::requests()
{
    return QString::fromUtf8(hostile("GET", "/hostile/log").body).split(QLatin1Char('\n'));
}

DavResponse DavServer::hostile(const QByteArray &verb, const QByteArray &path)
{
    DavClient client;
    DavResponse answer;
    client.send(verb, url().resolved(QUrl::fromEncoded(path)), {}, {},
                [&answer](const DavResponse &response) { answer = response; });
    return QTest::qWaitFor([&answer] { return answer.status > 0; }, 20000) ? answer : DavResponse();
}
