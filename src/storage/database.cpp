#include "storage/database.h"

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

void DataBase::savePhotoData(const QString &id, const QByteArray &base64)
{
    Q_UNUSED(id)
    Q_UNUSED(base64)
}
