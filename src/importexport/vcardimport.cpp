#include "importexport/contactsfileparser.h"

#include "importexport/filegroups.h"
#include "importexport/filepieces.h"
#include "record/contact.h"
#include "vcard/cardmapping.h"
#include "vcard/textdecoding.h"
#include "vcard/vcard.h"

#include <QCoreApplication>
#include <QFile>

#include <memory>
#include <string_view>
#include <utility>

namespace {

// What reading the cards of one file gathers, across the pieces it is read
// in: a record for each card, the group cards, and the cards it had to drop
// (cut off, or interrupted by another BEGIN:VCARD), which are named to the
// user.
class FileCards
{
public:
    void read(const QByteArray &data, vCardReader::Mode mode, const QString &codecName)
    {
        const vCard::Unfinished unfinished = vCard::readCardsWithText(
                data, mode, codecName.toLatin1(),
                [this, mode](const vCard &card, const QByteArray &text) {
                    if (m_groups.take(card)) {
                        return;
                    }
                    Contact *contact = m_mapping.contactOf(card, m_index++);
                    // The card is kept as UTF-8 text, which it is unless the
                    // file was in another encoding (then the record alone is
                    // kept).
                    if (mode != vCardReader::RawBytes || TextDecoding::isValidUtf8(text)) {
                        contact->card = QByteArray(text.constData(), text.size());
                    }
                    m_contacts.append(contact);
                });
        if (unfinished.count > 0 && m_unfinished == 0) {
            const std::unique_ptr<Contact> first(m_mapping.contactOf(unfinished.first));
            m_firstUnfinished = first->composedFullName();
        }
        m_unfinished += unfinished.count;
    }

    // The records (the caller's from now on), groups and what could not be
    // read.
    void moveInto(ParsedFile *parsed)
    {
        parsed->contacts += std::exchange(m_contacts, {});
        m_groups.applyTo(parsed);
        parsed->warning = unfinishedText();
    }

    // Forgets what was read, for a file that is read again another way.
    void release() { qDeleteAll(std::exchange(m_contacts, {})); }

private:
    QString unfinishedText() const
    {
        const bool named = !m_firstUnfinished.isEmpty();
        if (m_unfinished == 1) {
            return named ? QCoreApplication::translate("ContactsFileParser",
                                                       "The card of %1 has no END:VCARD line, so "
                                                       "it could not be read.")
                                   .arg(m_firstUnfinished)
                         : QCoreApplication::translate("ContactsFileParser",
                                                       "A card without a name has no END:VCARD "
                                                       "line, so it could not be read.");
        }
        if (m_unfinished > 1) {
            return named ? QCoreApplication::translate("ContactsFileParser",
                                                       "%1 cards have no END:VCARD line, so they "
                                                       "could not be read; the first is the card "
                                                       "of %2.")
                                   .arg(m_unfinished)
                                   .arg(m_firstUnfinished)
                         : QCoreApplication::translate("ContactsFileParser",
                                                       "%1 cards have no END:VCARD line, so they "
                                                       "could not be read.")
                                   .arg(m_unfinished);
        }
        return QString();
    }

    const CardMapping m_mapping;
    QList<Contact *> m_contacts;
    FileGroups m_groups;
    int m_index = 0;
    int m_unfinished = 0;
    QString m_firstUnfinished;
};

// The records of the cards of data, with the groups of its group cards.
void readInto(ParsedFile *parsed, const QByteArray &data, vCardReader::Mode mode,
              const QString &codecName)
{
    FileCards cards;
    cards.read(data, mode, codecName);
    cards.moveInto(parsed);
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
// buffer holds on, into cards. A file that turns out not to be UTF-8 is left
// to be read whole; the reason is set when the file cannot be read. Either
// way cards keeps what was read.
PiecesRead readCardsInPieces(QFile &file, QByteArray &buffer, const QString &codecName,
                             int chunkBytes, FileCards *cards, QString *reason)
{
    bool split = false;
    for (;;) {
        const bool atEnd = file.atEnd();
        const size_t end = atEnd ? size_t(buffer.size())
                                 : cardsEnd(std::string_view(buffer.constData(), buffer.size()));
        if (end > 0) {
            QByteArray piece = QByteArray::fromRawData(buffer.constData(), int(end));
            if (!TextDecoding::isValidUtf8(piece)) {
                return PiecesRead::NotUtf8;
            }
            // The last piece of a file with line feeds may have none: the
            // reader then still reads its lines as the file's lines.
            if (atEnd && split && !piece.contains('\n')) {
                piece += '\n';
            }
            cards->read(piece, vCardReader::ValidUtf8Bytes, codecName);
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
        FileCards cards;
        const PiecesRead read =
                readCardsInPieces(file, buffer, codecName, chunkBytes, &cards, &reason);
        if (read == PiecesRead::Read) {
            ParsedFile parsed;
            parsed.usedCodec = codecName;
            cards.moveInto(&parsed);
            return parsed;
        }
        cards.release();
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
