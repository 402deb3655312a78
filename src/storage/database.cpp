#include "storage/database.h"

#include "record/contact.h"

#include <QSettings>

namespace {

// The note of a quit that lost changes: how many contacts, and the names
// known of them.
const QString LostCountKey = QStringLiteral("lostAtQuit/contacts");
const QString LostNamesKey = QStringLiteral("lostAtQuit/names");
// The names a note lists at most; more are shown as an ellipsis.
constexpr int LostNamesShown = 5;

} // namespace

DataBase::DataBase(QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<DataBase *>();
}

DataBase::~DataBase() = default;

QString DataBase::statusMessage() const
{
    return m_statusMessage;
}

void DataBase::setStatusMessage(const QString &text)
{
    if (m_statusMessage == text) {
        return;
    }
    m_statusMessage = text;
    emit statusMessageChanged();
}

bool DataBase::hasUnsavedChanges() const
{
    return false;
}

void DataBase::retry()
{
}

int DataBase::unsavedContactCount() const
{
    return 0;
}

QStringList DataBase::unsavedContactNames(int limit) const
{
    Q_UNUSED(limit)
    return QStringList();
}

QString DataBase::unsavedReason() const
{
    return QString();
}

QString DataBase::quitQuestion()
{
    retry();
    const int count = unsavedContactCount();
    if (count == 0) {
        return QString();
    }
    return tr("Changes to %n contact(s) could not be saved yet: %1", nullptr, count)
            .arg(unsavedReason());
}

void DataBase::noteLostChanges()
{
    retry();
    const int count = unsavedContactCount();
    if (count == 0) {
        return;
    }
    QStringList names = unsavedContactNames(LostNamesShown + 1);
    if (names.size() > LostNamesShown) {
        names.last() = QStringLiteral("…");
    }
    QSettings settings;
    settings.setValue(LostCountKey, count);
    settings.setValue(LostNamesKey, names);
}

QString DataBase::takeLostChangesNote()
{
    QSettings settings;
    const int count = settings.value(LostCountKey, 0).toInt();
    const QStringList names = settings.value(LostNamesKey).toStringList();
    settings.remove(LostCountKey);
    settings.remove(LostNamesKey);
    if (count <= 0) {
        return QString();
    }
    QString text = tr("Changes to %n contact(s) were not saved when Kiv Contacts was last closed.",
                      nullptr, count);
    if (!names.isEmpty()) {
        text += QLatin1Char('\n') + tr("Added or edited: %1").arg(names.join(QStringLiteral(", ")));
    }
    return text;
}

QByteArray DataBase::loadCard(const QString &, QByteArray *)
{
    return QByteArray();
}

QVector<QByteArray> DataBase::loadPhotosAndCards(const QVector<Contact *> &records)
{
    QVector<QByteArray> digests(records.size());
    for (int i = 0; i < records.size(); ++i) {
        Contact *record = records.at(i);
        record->photoData = loadPhoto(record->id).toBase64();
        record->card = loadCard(record->id, &digests[i]);
    }
    return digests;
}

QHash<QString, QString> DataBase::contactsOfCardUids(const QStringList &)
{
    return {};
}

void DataBase::saveCard(const QString &id, const QByteArray &card, const QByteArray &photoDigest)
{
    Q_UNUSED(id)
    Q_UNUSED(card)
    Q_UNUSED(photoDigest)
}

QList<QPair<QString, QString>> DataBase::distinctPairs()
{
    return {};
}

void DataBase::addDistinctPair(const QString &first, const QString &second)
{
    Q_UNUSED(first)
    Q_UNUSED(second)
}

QStringList DataBase::groupNames()
{
    return {};
}

void DataBase::addGroup(const QString &name)
{
    Q_UNUSED(name)
}

void DataBase::renameGroup(const QString &from, const QString &to)
{
    Q_UNUSED(from)
    Q_UNUSED(to)
}

void DataBase::removeGroup(const QString &name)
{
    Q_UNUSED(name)
}

void DataBase::savePhotoData(const QString &id, const QByteArray &base64)
{
    Q_UNUSED(id)
    Q_UNUSED(base64)
}
