#include "contactsfileparser.h"

// The vCard import is not written yet: no cards are read.
QVariantList ContactsFileParser::parseVCard(const QString &text)
{
    Q_UNUSED(text)
    return QVariantList();
}

QVariantList ContactsFileParser::parseVCardData(const QByteArray &data, const QString &codecName)
{
    Q_UNUSED(data)
    Q_UNUSED(codecName)
    return QVariantList();
}
