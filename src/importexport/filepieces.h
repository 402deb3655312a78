#pragma once

#include <QByteArray>
#include <QString>

class QFile;

// Reading an import file in pieces, so that a large file is never held
// whole beside the records made from it.
namespace FilePieces {

// How an import file begins: unreadable, with bytes that may be read piece
// by piece (UTF-8 or an older single- or multi-byte encoding), or in UTF-16
// or UTF-32, which is read again whole and decoded as one.
enum class Start { Unreadable, Bytes, Wide };

// Opens the file and reads its first piece into buffer, a UTF-8 byte order
// mark taken off; the reason when it is unreadable.
Start openFirstPiece(QFile &file, int pieceBytes, QByteArray *buffer, QString *reason);

// Appends up to pieceBytes of the file to buffer, read into its room: the
// buffer soon has the room for a piece and its rest, and a long import
// allocates no new piece beside the records; false, with the reason, when
// the file cannot be read.
bool appendPiece(QFile &file, int pieceBytes, QByteArray *buffer, QString *reason);
// The whole file, read again from its start.
bool readAgain(QFile &file, QByteArray *data, QString *reason);

} // namespace FilePieces
