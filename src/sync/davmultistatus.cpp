#include "sync/davmultistatus.h"

#include <QElapsedTimer>

namespace {

const QLatin1String DavNamespace("DAV:");

QString nameOf(const QXmlStreamReader &xml)
{
    return xml.namespaceUri().toString() + QLatin1Char('|') + xml.name().toString();
}

bool isDav(const QXmlStreamReader &xml, const char *local)
{
    return xml.namespaceUri() == DavNamespace && xml.name() == QLatin1String(local);
}

// "HTTP/1.1 404 Not Found" gives 404.
int statusCode(const QString &line)
{
    const QStringList parts = line.simplified().split(QLatin1Char(' '));
    return parts.size() > 1 ? parts.at(1).toInt() : 0;
}

QUrl urlOf(const QString &href, const QUrl &base)
{
    return base.resolved(QUrl::fromEncoded(href.trimmed().toUtf8()));
}

// Reads one property element up to its end tag.
DavProperty readProperty(QXmlStreamReader &xml, const QUrl &base)
{
    DavProperty property;
    int depth = 0;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (depth == 0) {
                property.children.append(nameOf(xml));
            }
            if (isDav(xml, "href")) {
                property.hrefs.append(urlOf(xml.readElementText(), base).path(QUrl::FullyDecoded));
                continue;
            }
            ++depth;
        } else if (token == QXmlStreamReader::EndElement) {
            if (depth == 0) {
                break;
            }
            --depth;
        } else if (token == QXmlStreamReader::Characters && !property.tooLong) {
            if (property.text.size() + xml.text().size() > DavMultiStatus::MaxTextChars) {
                property.tooLong = true;
                property.text.clear();
            } else {
                property.text += xml.text();
            }
        }
    }
    property.text = property.text.trimmed();
    return property;
}

// Reads a propstat; its properties count only under a 2xx status.
void readPropStat(QXmlStreamReader &xml, const QUrl &base, DavResource *resource)
{
    QHash<QString, DavProperty> found;
    int status = 200;
    while (xml.readNextStartElement()) {
        if (isDav(xml, "prop")) {
            while (xml.readNextStartElement()) {
                const QString name = nameOf(xml);
                found.insert(name, readProperty(xml, base));
            }
        } else if (isDav(xml, "status")) {
            status = statusCode(xml.readElementText());
        } else {
            xml.skipCurrentElement();
        }
    }
    if (status >= 200 && status < 300) {
        resource->properties.insert(found);
    }
}

DavResource readResponse(QXmlStreamReader &xml, const QUrl &base)
{
    DavResource resource;
    while (xml.readNextStartElement()) {
        if (isDav(xml, "href")) {
            resource.url = urlOf(xml.readElementText(), base);
            resource.path = resource.url.path(QUrl::FullyDecoded);
        } else if (isDav(xml, "status")) {
            resource.status = statusCode(xml.readElementText());
        } else if (isDav(xml, "propstat")) {
            readPropStat(xml, base, &resource);
        } else {
            xml.skipCurrentElement();
        }
    }
    return resource;
}

} // namespace

DavMultiStatus DavMultiStatus::parse(const QByteArray &body, const QUrl &base)
{
    DavMultiStatusReader reader(body, base);
    reader.read(-1);
    return reader.result();
}

DavMultiStatusReader::DavMultiStatusReader(const QByteArray &body, const QUrl &base)
    : m_xml(body),
      m_base(base)
{
}

bool DavMultiStatusReader::read(qint64 budgetMs)
{
    if (m_done) {
        return true;
    }
    if (!m_started) {
        m_started = true;
        if (!m_xml.readNextStartElement() || !isDav(m_xml, "multistatus")) {
            m_done = true;
            return true;
        }
    }
    QElapsedTimer clock;
    clock.start();
    while (budgetMs < 0 || !clock.hasExpired(budgetMs)) {
        if (!m_xml.readNextStartElement()) {
            m_result.valid = !m_xml.hasError();
            m_done = true;
            return true;
        }
        if (isDav(m_xml, "response")) {
            m_result.resources.append(readResponse(m_xml, m_base));
        } else if (isDav(m_xml, "sync-token")) {
            m_result.syncToken = m_xml.readElementText().trimmed();
        } else {
            m_xml.skipCurrentElement();
        }
    }
    return false;
}
