#include "CSimulatorCounts.h"

void CSimulatorCounts::Add(const CSimulatorCounts &o)
{
    steps += o.steps;
    logons += o.logons;
    logoffs += o.logoffs;
    infoReports += o.infoReports;
    restrictionsTaken += o.restrictionsTaken;
    parametersTaken += o.parametersTaken;
    sharedDirsTaken += o.sharedDirsTaken;
    modelsTaken += o.modelsTaken;
    logsWritten += o.logsWritten;
    upgrades += o.upgrades;
    notesReceived += o.notesReceived;
    writes += o.writes;
    failedWrites += o.failedWrites;
}

QByteArray CSimulatorCounts::Format() const
{
    const std::pair<const char *, quint64> rows[] = {
        {"steps", steps},
        {"logons", logons},
        {"logoffs", logoffs},
        {"infos", infoReports},
        {"restrictions", restrictionsTaken},
        {"parameters", parametersTaken},
        {"shareddirs", sharedDirsTaken},
        {"models", modelsTaken},
        {"logs", logsWritten},
        {"upgrades", upgrades},
        {"notes", notesReceived},
        {"writes", writes},
        {"failedwrites", failedWrites},
    };
    QByteArray text;
    for (const auto &[name, value] : rows)
        text += QByteArray(name) + '=' + QByteArray::number(value) + '\n';
    return text;
}
