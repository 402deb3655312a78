#include "importexport/filepieces.h"

#include "vcard/textdecoding.h"

#include <QFile>

FilePieces::Start FilePieces::openFirstPiece(QFile &file, int pieceBytes, QByteArray *buffer,
                                             QString *reason)
{
    if (!file.open(QIODevice::ReadOnly)) {
        *reason = file.errorString();
        return Start::Unreadable;
    }
    if (!appendPiece(file, pieceBytes, buffer, reason)) {
        return Start::Unreadable;
    }
    int markLength = 0;
    if (TextDecoding::isWide(TextDecoding::unicodeOf(*buffer, &markLength))) {
        return Start::Wide;
    }
    buffer->remove(0, markLength);
    return Start::Bytes;
}

bool FilePieces::appendPiece(QFile &file, int pieceBytes, QByteArray *buffer, QString *reason)
{
    const int held = buffer->size();
    buffer->resize(held + pieceBytes);
    const qint64 read = file.read(buffer->data() + held, pieceBytes);
    buffer->resize(held + int(qMax<qint64>(read, 0)));
    if (read < 0) {
        *reason = file.errorString();
        return false;
    }
    return true;
}

bool FilePieces::readAgain(QFile &file, QByteArray *data, QString *reason)
{
    if (!file.seek(0)) {
        *reason = file.errorString();
        return false;
    }
    *data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *reason = file.errorString();
        return false;
    }
    return true;
}
