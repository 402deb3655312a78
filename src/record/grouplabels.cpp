#include "record/grouplabels.h"

#include <QCoreApplication>
#include <QSet>

#include <algorithm>

QStringList GroupLabels::defaults()
{
    const auto tr = [](const char *text) {
        return QCoreApplication::translate("ContactsProxyModel", text);
    };
    return {tr("Mobile"), tr("Home"), tr("Work"), tr("Create new")};
}

bool GroupLabels::addMissing(QStringList &list, const QStringList &labels)
{
    QSet<QString> known(list.cbegin(), list.cend());
    const int position = std::max(0, list.size() - 1);
    int added = 0;
    for (const QString &label : labels) {
        if (!label.trimmed().isEmpty() && !known.contains(label)) {
            known.insert(label);
            list.insert(position + added++, label);
        }
    }
    return added > 0;
}
