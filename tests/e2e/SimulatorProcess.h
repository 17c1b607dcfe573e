#pragma once

#include <QMap>
#include <QProcess>
#include <QStringList>

#include <csignal>

// The client simulator run in its own process, as the tool meets it: started
// on a shared directory, stopped the way a service manager stops it, and
// asked afterwards what it did.
class SimulatorProcess
{
public:
    ~SimulatorProcess()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(10000);
        }
    }

    bool Start(const QStringList &arguments)
    {
        m_process.start(QStringLiteral(SIMULATOR_EXE), arguments);
        return m_process.waitForStarted(10000);
    }
    bool IsRunning() const { return m_process.state() == QProcess::Running; }

    // Sends SIGTERM; true when the simulator then ended on its own with 0.
    bool Terminate()
    {
        ::kill(pid_t(m_process.processId()), SIGTERM);
        return Wait(60000);
    }
    // Whether the run has ended (without waiting for it).
    bool HasEnded()
    {
        if (m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(0))
            return false;
        Collect();
        return true;
    }
    bool EndedCleanly() const
    {
        return m_process.state() == QProcess::NotRunning
            && m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    }
    // Waits for the end of a run; true when it ended normally with 0.
    bool Wait(int milliseconds)
    {
        if (!m_process.waitForFinished(milliseconds))
            return false;
        Collect();
        return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    }

    QByteArray Output() const { return m_output; }
    QByteArray Errors() const { return m_errors; }
    // The "name=value" counts printed at the end of the run.
    QMap<QByteArray, qint64> Counts() const
    {
        QMap<QByteArray, qint64> counts;
        for (const QByteArray &line : m_output.split('\n')) {
            const qsizetype eq = line.indexOf('=');
            if (eq > 0)
                counts.insert(line.left(eq), line.mid(eq + 1).toLongLong());
        }
        return counts;
    }

private:
    void Collect()
    {
        m_output += m_process.readAllStandardOutput();
        m_errors += m_process.readAllStandardError();
    }

    QProcess m_process;
    QByteArray m_output;
    QByteArray m_errors;
};
