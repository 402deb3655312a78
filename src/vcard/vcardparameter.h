#pragma once

#include "vcard/vcardversion.h"

#include <QByteArray>
#include <QString>
#include <QVector>

// One parameter of a vCard content line, such as TYPE=HOME or CHARSET=UTF-8.
class vCardParameter;
using vCardParameterList = QVector<vCardParameter>;

class vCardParameter
{
public:
    enum Group { Type = 0, Encoding = 1, Charset = 2, Undefined = 3 };

    vCardParameter() = default;
    vCardParameter(const QString &value, Group group);

    Group group() const { return m_group; }
    const QString &value() const { return m_value; }
    void setValue(const QString &value) { m_value = value; }
    bool isValid() const { return !m_value.isEmpty(); }

    bool operator==(const vCardParameter &other) const;
    bool operator!=(const vCardParameter &other) const { return !(*this == other); }

    QByteArray toByteArray(vCardVersion version) const;
    static QByteArray listToByteArray(const vCardParameterList &params, vCardVersion version);
    // Reads the parameter part of a content line (the text between the
    // property name and the colon, without the leading semicolon).
    static vCardParameterList fromByteArray(const QByteArray &data);

private:
    Group m_group = Undefined;
    QString m_value;
};

Q_DECLARE_TYPEINFO(vCardParameter, Q_MOVABLE_TYPE);
