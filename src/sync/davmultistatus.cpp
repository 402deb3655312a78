#include "sync/davmultistatus.h"

#include <QXmlStreamReader>

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

QString pathOf(const QString &href, const QUrl &base)
{
    return base.resolved(QUrl::fromEncoded(href.trimmed().toUtf8())).path(QUrl::FullyDecoded);
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
                property.hrefs.append(pathOf(xml.readElementText(), base));
                continue;
            }
            ++depth;
        } else if (token == QXmlStreamReader::EndElement) {
            if (depth == 0) {
                break;
            }
            --depth;
        } else if (token == QXmlStreamReader::Characters) {
            property.text += xml.text();
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
            resource.path = pathOf(xml.readElementText(), base);
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
    DavMultiStatus result;
    QXmlStreamReader xml(body);
    if (!xml.readNextStartElement() || !isDav(xml, "multistatus")) {
        return result;
    }
    while (xml.readNextStartElement()) {
        if (isDav(xml, "response")) {
            result.resources.append(readResponse(xml, base));
        } else if (isDav(xml, "sync-token")) {
            result.syncToken = xml.readElementText().trimmed();
        } else {
            xml.skipCurrentElement();
        }
    }
    result.valid = !xml.hasError();
    return result;
}
