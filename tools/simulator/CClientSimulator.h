#pragma once

#include "CSimulatedClient.h"
#include "CSimulatorCounts.h"
#include "CWriteJournal.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <vector>

// Plays the clients of the first logins of Users.ini, each on its own
// schedule drawn from the seed, until every client has taken its number of
// steps or Stop is called. Runs on the event loop of the thread that owns it.
class CClientSimulator : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        QString shareDirectory;
        int clients = 0;          // 0: every login that can run a client
        quint32 seed = 1;
        double rate = 0.2;        // steps per second of each client
        int rounds = 0;           // steps of each client; 0: until stopped
        bool fast = false;        // no pause between steps
        int logoffPercent = 10;
        QString journalPath;
        // How the clients write; nullopt: through the platform's guarded writer.
        std::optional<CWin32ProfileWriter::Mode> win32 = CWin32ProfileWriter::Mode::InPlace;
    };

    explicit CClientSimulator(Options options, QObject *parent = nullptr);
    ~CClientSimulator() override;

    // Reads the roster and sets up the clients; false with GetError() on failure.
    bool Load();
    QString GetError() const { return m_error; }
    int GetClientCount() const { return int(m_clients.size()); }

    void Start();
    // Ends the run: clients that are on log off, and Finished is raised.
    void Stop();
    CSimulatorCounts GetCounts() const;

Q_SIGNALS:
    void Finished();

private:
    struct Slot
    {
        std::unique_ptr<CSimulatedClient> client;
        qint64 dueMs = 0;
        int steps = 0;
    };

    void RunDue();
    void RunNextFast();
    void StepSlot(Slot &slot);
    bool IsDone(const Slot &slot) const { return m_options.rounds > 0 && slot.steps >= m_options.rounds; }
    qint64 NextInterval(Slot &slot);
    void ScheduleNext();

    Options m_options;
    std::vector<Slot> m_clients;
    CWriteJournal m_journal;
    QTimer m_timer;
    QElapsedTimer m_clock;
    size_t m_next = 0;     // fast mode: the client whose turn it is
    int m_running = 0;     // clients with steps left
    bool m_stopped = false;
    QString m_error;
};
