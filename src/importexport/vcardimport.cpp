#include "importexport/contactsfileparser.h"

#include "importexport/filegroups.h"
#include "importexport/filepieces.h"
#include "record/contact.h"
#include "vcard/cardmapping.h"
#include "vcard/textdecoding.h"
#include "vcard/vcard.h"

#include <QFile>

#include <string_view>

namespace {

// Appends a record for each card of data to result, and takes the group
// cards into groups; index counts the cards of one file, across the pieces
// it is read in.
void appendContacts(const QByteArray &data, vCardReader::Mode mode, const QString &codecName,
                    QList<Contact *> *result, int *index, FileGroups *groups)
{
    const CardMapping mapping;
    vCard::readCardsWithText(
            data, mode, codecName.toLatin1(),
            [result, index, groups, &mapping, mode](const vCard &card, const QByteArray &text) {
                if (groups->take(card)) {
                    return;
                }
                Contact *contact = mapping.contactOf(card, (*index)++);
                // The card is kept as UTF-8 text, which it is unless the file
                // was in another encoding (then the record alone is kept).
                if (mode != vCardReader::RawBytes || TextDecoding::isValidUtf8(text)) {
                    contact->card = QByteArray(text.constData(), text.size());
                }
                result->append(contact);
            });
}

// The records of the cards of data, with the groups of its group cards.
void readInto(ParsedFile *parsed, const QByteArray &data, vCardReader::Mode mode,
              const QString &codecName)
{
    int index = 0;
    FileGroups groups;
    appendContacts(data, mode, codecName, &parsed->contacts, &index, &groups);
    groups.applyTo(parsed);
}

// END:VCARD as the reader always takes it: no white space before it, only
// blanks after it.
bool isPlainCardEnd(std::string_view line)
{
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
        line.remove_suffix(1);
    }
    return line.size() == 9 && qstrnicmp(line.data(), "END:VCARD", 9) == 0;
}

// The length of the longest head of data that ends with a card: up to the
// line after an END:VCARD line, when that line is no folded continuation
// of it. Cards after that point are read the same on their own, since the
// reader carries nothing from one card to the next. 0 when there is none.
size_t cardsEnd(std::string_view data)
{
    if (data.size() < 2) {
        return 0;
    }
    // Each candidate is a line feed with at least one byte after it.
    size_t lineFeed = data.rfind('\n', data.size() - 2);
    while (lineFeed != std::string_view::npos) {
        const size_t next = lineFeed + 1;
        const size_t previous =
                lineFeed == 0 ? std::string_view::npos : data.rfind('\n', lineFeed - 1);
        const size_t start = previous == std::string_view::npos ? 0 : previous + 1;
        if (data[next] != ' ' && data[next] != '\t'
            && isPlainCardEnd(data.substr(start, lineFeed - start))) {
            return next;
        }
        lineFeed = previous;
    }
    return 0;
}

// How reading a vCard file in pieces ended.
enum class PiecesRead { Read, NotUtf8, Unreadable };

// Reads the cards of the file in pieces of about chunkBytes, from what the
// buffer holds on, and appends their records to result. A file that turns
// out not to be UTF-8 is left to be read whole; the reason is set when the
// file cannot be read. Either way result keeps what was read.
PiecesRead appendCardsInPieces(QFile &file, QByteArray &buffer, const QString &codecName,
                               int chunkBytes, QList<Contact *> *result, FileGroups *groups,
                               QString *reason)
{
    int index = 0;
    bool split = false;
    for (;;) {
        const bool atEnd = file.atEnd();
        const size_t end = atEnd ? size_t(buffer.size())
                                 : cardsEnd(std::string_view(buffer.constData(), buffer.size()));
        if (end > 0) {
            QByteArray cards = QByteArray::fromRawData(buffer.constData(), int(end));
            if (!TextDecoding::isValidUtf8(cards)) {
                return PiecesRead::NotUtf8;
            }
            // The last piece of a file with line feeds may have none: the
            // reader then still reads its lines as the file's lines.
            if (atEnd && split && !cards.contains('\n')) {
                cards += '\n';
            }
            appendContacts(cards, vCardReader::ValidUtf8Bytes, codecName, result, &index, groups);
            buffer.remove(0, int(end));
            split = true;
        }
        if (atEnd) {
            return PiecesRead::Read;
        }
        if (!FilePieces::appendPiece(file, chunkBytes, &buffer, reason)) {
            return PiecesRead::Unreadable;
        }
    }
}

} // namespace

QList<Contact *> ContactsFileParser::parseVCard(const QString &text)
{
    ParsedFile parsed;
    readInto(&parsed, text.toUtf8(), vCardReader::Utf8Text, QString());
    return parsed.contacts;
}

ParsedFile ContactsFileParser::parseVCardData(const QByteArray &data, const QString &codecName,
                                              bool detectCodec)
{
    int markLength = 0;
    ParsedFile parsed;
    if (TextDecoding::isWide(TextDecoding::unicodeOf(data, &markLength))) {
        // UTF-16 and UTF-32 are decoded first; then the text is unfolded.
        parsed.usedCodec = TextDecoding::encodingOf(data, codecName, false);
        readInto(&parsed, TextDecoding::decodeIn(data, parsed.usedCodec).toUtf8(),
                 vCardReader::Utf8Text, codecName);
        return parsed;
    }
    const QByteArray body =
            QByteArray::fromRawData(data.constData() + markLength, data.size() - markLength);
    // Values without a CHARSET that are not valid UTF-8 are read in this:
    // the encoding detected in the file's 8-bit text, else the form's codec,
    // which also stays for quoted-printable values of an ASCII file.
    // A file checked valid as a whole is not checked again card by card.
    const bool valid = TextDecoding::isValidUtf8(body);
    parsed.usedCodec = valid ? codecName : TextDecoding::encodingOf(body, codecName, detectCodec);
    readInto(&parsed, body, valid ? vCardReader::ValidUtf8Bytes : vCardReader::RawBytes,
             parsed.usedCodec);
    return parsed;
}

// The file is read in pieces that end after a card, and the cards of each
// piece are read as soon as it is complete, so that a large file is never
// held whole beside its records. The pieces are checked to be UTF-8 as
// parseVCardData checks the whole file; a file in another encoding (rare,
// and small: old phones) is read again whole, since its encoding is guessed
// from all of its text.
ParsedFile ContactsFileParser::parseVCardFile(const QString &fileName, const QString &codecName,
                                              bool detectCodec, int chunkBytes)
{
    QFile file(fileName);
    QString reason;
    QByteArray buffer;
    const FilePieces::Start start = FilePieces::openFirstPiece(file, chunkBytes, &buffer, &reason);
    if (start == FilePieces::Start::Unreadable) {
        return unreadable(fileName, reason);
    }
    if (start == FilePieces::Start::Bytes) {
        ParsedFile parsed;
        FileGroups groups;
        const PiecesRead read = appendCardsInPieces(file, buffer, codecName, chunkBytes,
                                                    &parsed.contacts, &groups, &reason);
        if (read == PiecesRead::Read) {
            parsed.usedCodec = codecName;
            groups.applyTo(&parsed);
            return parsed;
        }
        qDeleteAll(parsed.contacts);
        if (read == PiecesRead::Unreadable) {
            return unreadable(fileName, reason);
        }
    }
    buffer.clear();
    QByteArray data;
    if (!FilePieces::readAgain(file, &data, &reason)) {
        return unreadable(fileName, reason);
    }
    return parseVCardData(data, codecName, detectCodec);
}
