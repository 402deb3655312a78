#include "storage/listencoding.h"

namespace {

const QString Separator = QString::fromLatin1(ListEncoding::SeparatorUtf8.data(),
                                              int(ListEncoding::SeparatorUtf8.size()));

} // namespace

QString ListEncoding::encode(const QStringList &list)
{
    return list.join(Separator);
}

QStringList ListEncoding::decode(const QString &text)
{
    if (text.isEmpty()) {
        return QStringList();
    }
    return text.split(Separator, Qt::KeepEmptyParts);
}
