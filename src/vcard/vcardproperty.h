#pragma once

#include "vcard/vcardparameter.h"
#include "vcard/vcardversion.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

// One property of a vCard: a name such as TEL, its values (the components of
// a structured value such as N or ADR) and its parameters.
class vCardProperty;
using vCardPropertyList = QVector<vCardProperty>;

class vCardProperty
{
public:
    vCardProperty() = default;
    // The value text is split at every semicolon into values.
    vCardProperty(const QString &name, const QString &value,
                  const vCardParameterList &params = vCardParameterList());
    vCardProperty(const QString &name, const QStringList &values,
                  const vCardParameterList &params = vCardParameterList());
    // The parameter text goes through vCardParameter::fromByteArray.
    vCardProperty(const QString &name, const QString &value, const QString &params);
    vCardProperty(const QString &name, const QStringList &values, const QString &params);

    const QString &name() const { return m_name; }
    // The group that ties properties of one entry together (item1 of
    // item1.TEL and item1.X-ABLabel); empty for none.
    const QString &group() const { return m_group; }
    void setGroup(const QString &group) { m_group = group; }
    // A property whose value is Base64 data, kept as the bytes that were
    // read: its text is made only when it is asked for (so that one
    // property, even shared, is not read from two threads at once).
    static vCardProperty base64Property(const QString &name, const QByteArray &base64,
                                        const vCardParameterList &params);
    // The values joined with ";" (a single value is shared, not copied).
    QString value() const
    {
        const QStringList &all = values();
        return all.size() == 1 ? all.first() : all.join(QLatin1Char(';'));
    }
    const QStringList &values() const
    {
        if (m_values.isEmpty() && !m_base64.isNull()) {
            m_values = QStringList{QString::fromLatin1(m_base64)};
        }
        return m_values;
    }
    // The bytes of a value read as Base64; null for any other value.
    const QByteArray &base64() const { return m_base64; }
    const vCardParameterList &params() const { return m_params; }
    bool isValid() const;

    // Names and values decide; parameters are not compared.
    bool operator==(const vCardProperty &other) const;
    bool operator!=(const vCardProperty &other) const { return !(*this == other); }

    // One content line. Text values are escaped (backslash, line break, comma
    // and semicolon inside a component); link and binary values are written
    // as they are. Version 2.1 writes values with line breaks or non-ASCII
    // characters as quoted-printable UTF-8, unfolded; version 3.0 folds lines
    // longer than 75 octets (RFC 2425 5.8.1), never inside a UTF-8 character.
    QByteArray toByteArray(vCardVersion version) const;
    // Reads content lines (unfolded, decoded and unescaped as vCard::fromByteArray
    // does); BEGIN, END and VERSION lines give nothing.
    static vCardPropertyList fromByteArray(const QByteArray &data);

    static vCardProperty nameProperty(const QString &givenName, const QString &familyName,
                                      const QString &additionalNames, const QString &prefix,
                                      const QString &suffix,
                                      const vCardParameterList &params = vCardParameterList());
    static vCardProperty addressProperty(const QString &street, const QString &locality,
                                         const QString &region, const QString &postalCode,
                                         const QString &country, const QString &postOfficeBox,
                                         const QString &extendedAddress,
                                         const vCardParameterList &params = vCardParameterList());
    static vCardProperty
    organizationProperty(const QString &name, const QStringList &units = QStringList(),
                         const vCardParameterList &params = vCardParameterList());
    static vCardProperty geoProperty(double latitude, double longitude,
                                     const vCardParameterList &params = vCardParameterList());
    static vCardProperty birthdayProperty(const QDate &date,
                                          const vCardParameterList &params = vCardParameterList());
    static vCardProperty birthdayProperty(const QDateTime &dateTime,
                                          const vCardParameterList &params = vCardParameterList());

private:
    QString m_name;
    QString m_group;
    // Made from m_base64 when first asked for.
    mutable QStringList m_values;
    QByteArray m_base64;
    vCardParameterList m_params;
};

Q_DECLARE_TYPEINFO(vCardProperty, Q_MOVABLE_TYPE);
