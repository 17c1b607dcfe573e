#include "app/CRestStatus.h"

#include <QDir>

QString CRestStatus::Text(const QString &csShare, int nShown, int nUsers,
                          const QDateTime &lastRefresh)
{
    QStringList parts;
    if (!csShare.isEmpty())
        parts.append(QDir::toNativeSeparators(csShare));
    if (nShown == nUsers)
        parts.append(nUsers == 1 ? QStringLiteral("1 user") : QStringLiteral("%1 users").arg(nUsers));
    else
        parts.append(QStringLiteral("%1 of %2 users").arg(nShown).arg(nUsers));
    if (lastRefresh.isValid())
        parts.append(QStringLiteral("refreshed %1").arg(lastRefresh.toString(QStringLiteral("HH:mm:ss"))));
    return parts.join(QStringLiteral("  \u2022  "));
}
