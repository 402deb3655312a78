#include "importexport/contactsfileparser.h"

#include "importexport/csvcontactreader.h"
#include "importexport/csvtokenizer.h"
#include "importexport/databaseimport.h"
#include "importexport/importlimits.h"
#include "importexport/textdecoding.h"
#include "record/contact.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>

#include <memory>
#include <new>

QList<QStringList> plainContactList;
QString ContactsFileParser::errorString;
QString ContactsFileParser::usedCodec;

namespace {

// The row that appendCsvField is building, shared between its calls.
QStringList &rowUnderConstruction()
{
    static QStringList row;
    return row;
}

bool readWhole(const QString &fileName, QByteArray *data)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    *data = file.readAll();
    return file.error() == QFileDevice::NoError;
}

QString tooLargeText()
{
    return QCoreApplication::translate("ContactsFileParser",
                                       "The file is too large to import (the limit is %1 MB).")
            .arg(ImportLimits::MaxFileBytes / (1024 * 1024));
}

} // namespace

ContactsFileParser::ContactsFileParser(QObject *parent)
    : QObject(parent)
{
}

QVariantList ContactsFileParser::parseFile(const QString &fileName, const QString &codecName,
                                           bool detectCodec)
{
    plainContactList.clear();
    rowUnderConstruction().clear();
    errorString.clear();
    usedCodec.clear();
    if (fileName.isEmpty() || !QFileInfo(fileName).isFile()) {
        return QVariantList();
    }
    // The limits keep every import within memory; should memory still run
    // out, the import is refused instead of ending the program.
    try {
        return parseExistingFile(fileName, codecName, detectCodec);
    } catch (const std::bad_alloc &) {
        plainContactList.clear();
        rowUnderConstruction().clear();
        errorString = tooLargeText();
        return QVariantList();
    }
}

QVariantList ContactsFileParser::parseExistingFile(const QString &fileName,
                                                   const QString &codecName, bool detectCodec)
{
    const QMimeType type = QMimeDatabase().mimeTypeForFile(fileName);
    // Thunderbird and spreadsheets also write tab-separated files; the
    // tokenizer finds the separator in the header line.
    const bool text = type.inherits(QStringLiteral("text/csv"))
                      || type.inherits(QStringLiteral("text/tab-separated-values"))
                      || type.inherits(QStringLiteral("text/vcard"));
    if (text && QFileInfo(fileName).size() > ImportLimits::MaxFileBytes) {
        errorString = tooLargeText();
        return QVariantList();
    }
    if (type.inherits(QStringLiteral("text/csv"))
        || type.inherits(QStringLiteral("text/tab-separated-values"))) {
        // The bytes and then the text are released as soon as they are used:
        // a large file is held only once at a time besides its rows.
        QString text;
        {
            QByteArray data;
            if (!readWhole(fileName, &data)) {
                return QVariantList();
            }
            usedCodec = TextDecoding::encodingOf(data, codecName, detectCodec);
            text = TextDecoding::decodeIn(data, usedCodec);
        }
        return parseCsv(text);
    }
    if (type.inherits(QStringLiteral("text/vcard"))) {
        // Raw bytes: vCard lines are unfolded before they are decoded.
        QByteArray data;
        if (!readWhole(fileName, &data)) {
            return QVariantList();
        }
        return parseVCardData(data, codecName, detectCodec);
    }
    if (type.inherits(QStringLiteral("application/x-sqlite3"))) {
        return parseSqlite(fileName);
    }
    errorString = QCoreApplication::translate("ContactsFileParser", "Unsupported file type: ")
                  + type.name();
    return QVariantList();
}

// Each row becomes a contact as soon as it is read: only the header row is
// kept in plainContactList, so a large file never holds all its rows.
QVariantList ContactsFileParser::parseCsv(const QString &text)
{
    plainContactList.clear();
    QVariantList result;
    std::unique_ptr<CsvContactReader> reader;
    int rowNumber = 0;
    CsvTokenizer::forEachRow(text, CsvTokenizer::detectSeparator(text), [&](QStringList &row) {
        if (!reader) {
            plainContactList.append(row);
            reader = std::make_unique<CsvContactReader>(row);
            rowNumber = 1;
            return;
        }
        Contact *contact = reader->readRow(row, rowNumber++, QDateTime::currentMSecsSinceEpoch());
        if (contact) {
            result.append(QVariant::fromValue(contact));
        }
    });
    return result;
}

QVariantList ContactsFileParser::parseSqlite(const QString &fileName)
{
    QList<Contact *> contacts;
    if (DatabaseImport::read(fileName, &contacts) == DatabaseImport::TooLarge) {
        errorString = tooLargeText();
    }
    QVariantList result;
    result.reserve(contacts.size());
    for (Contact *contact : qAsConst(contacts)) {
        result.append(QVariant::fromValue(contact));
    }
    return result;
}

void ContactsFileParser::appendCsvField(QString &field, QChar terminator)
{
    if (field.count(QLatin1Char('"')) % 2 != 0) {
        field.append(terminator);
        return;
    }
    QStringList &row = rowUnderConstruction();
    row.append(CsvTokenizer::fieldValue(field.constData(), field.size()));
    if (terminator != QLatin1Char(',')) {
        plainContactList.append(row);
        row.clear();
    }
    field.clear();
}
