#include "record/grouplabels.h"

#include <QCoreApplication>
#include <QSet>

#include <algorithm>

QStringList GroupLabels::defaults()
{
    // Translated in the context of the view that offers them.
    return {QCoreApplication::translate("ContactsProxyModel", "Mobile"),
            QCoreApplication::translate("ContactsProxyModel", "Home"),
            QCoreApplication::translate("ContactsProxyModel", "Work"),
            QCoreApplication::translate("ContactsProxyModel", "Create new")};
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
