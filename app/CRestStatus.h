#pragma once

#include <QDateTime>
#include <QString>

// What the status bar's message pane says while nothing else is going on:
// the shared directory, how many users the list shows (of how many, while a
// filter hides some) and when it was last refreshed.
class CRestStatus
{
public:
    static QString Text(const QString &csShare, int nShown, int nUsers,
                        const QDateTime &lastRefresh);
};
