#include "storage/database.h"

DataBase::DataBase(QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<DataBase *>();
}

DataBase::~DataBase() = default;
