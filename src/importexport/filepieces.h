#pragma once

#include <QByteArray>
#include <QString>

class QFile;

// Reading an import file in pieces, so that a large file is never held
// whole beside the records made from it.
namespace FilePieces {

// Appends up to pieceBytes of the file to buffer, read into its room: the
// buffer soon has the room for a piece and its rest, and a long import
// allocates no new piece beside the records; false, with the reason, when
// the file cannot be read.
bool appendPiece(QFile &file, int pieceBytes, QByteArray *buffer, QString *reason);
// The whole file, read again from its start.
bool readAgain(QFile &file, QByteArray *data, QString *reason);

} // namespace FilePieces
