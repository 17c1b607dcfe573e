#pragma once

#include <QByteArray>

// What the simulated clients did, summed over all of them.
struct CSimulatorCounts
{
    quint64 steps = 0;
    quint64 logons = 0;
    quint64 logoffs = 0;
    quint64 infoReports = 0;
    quint64 restrictionsTaken = 0; // keys copied into ActiveRestrictions
    quint64 parametersTaken = 0;   // keys copied into ActiveParameters
    quint64 sharedDirsTaken = 0;   // SharedDir requests followed (never reported back)
    quint64 modelsTaken = 0;       // keys copied into ActiveModels
    quint64 logsWritten = 0;
    quint64 upgrades = 0;
    quint64 notesReceived = 0;
    quint64 writes = 0;            // profile writes and key removals that succeeded
    quint64 failedWrites = 0;

    void Add(const CSimulatorCounts &other);
    // One "name=value" per line, in a fixed order, for people and for tests.
    QByteArray Format() const;
};
