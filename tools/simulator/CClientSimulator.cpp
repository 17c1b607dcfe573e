#include "CClientSimulator.h"

#include "platform/FileSystem.h"
#include "platform/Profile.h"

#include <QDateTime>
#include <QSet>

#include <algorithm>

namespace {

qint64 Now()
{
    return QDateTime::currentSecsSinceEpoch();
}

} // namespace

CClientSimulator::CClientSimulator(Options options, QObject *parent)
    : QObject(parent), m_options(std::move(options))
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (m_options.fast)
            RunNextFast();
        else
            RunDue();
    });
}

CClientSimulator::~CClientSimulator() = default;

bool CClientSimulator::Load()
{
    const QString dir = m_options.shareDirectory;
    const QString usersIni = FileSystem::ResolveInDir(dir, QStringLiteral("Users.ini"));
    const std::shared_ptr<const ProfileFile> roster = Profile::Load(usersIni);
    if (!roster->Exists()) {
        m_error = QStringLiteral("%1 cannot be read").arg(usersIni);
        return false;
    }
    if (!m_options.journalPath.isEmpty() && !m_journal.Open(m_options.journalPath)) {
        m_error = QStringLiteral("cannot write the journal %1").arg(m_options.journalPath);
        return false;
    }

    CSimulatedClient::Settings settings;
    settings.shareDirectory = dir;
    settings.usersIniPath = usersIni;
    settings.logoffPercent = m_options.logoffPercent;
    settings.win32 = m_options.win32;

    // A deleted user runs no client, and a login that cannot name a file
    // has no user file to work in.
    QSet<QByteArray> seen;
    for (const auto &[login, fullName] : roster->Entries("Users")) {
        if (m_options.clients > 0 && int(m_clients.size()) >= m_options.clients)
            break;
        if (seen.contains(login) || fullName == "deleted")
            continue;
        seen.insert(login);
        const std::optional<QString> path = FileSystem::UserFilePath(dir, login);
        if (!path)
            continue;
        const quint32 seed = m_options.seed ^ (quint32(m_clients.size() + 1) * 0x9E3779B9u);
        Slot slot;
        slot.client = std::make_unique<CSimulatedClient>(settings, login, *path, seed,
                                                         m_journal.IsOpen() ? &m_journal : nullptr);
        slot.client->ReadStatus(*roster);
        m_clients.push_back(std::move(slot));
    }
    if (m_clients.empty()) {
        m_error = QStringLiteral("%1 lists no user who can run a client").arg(usersIni);
        return false;
    }
    return true;
}

void CClientSimulator::Start()
{
    m_clock.start();
    m_running = int(m_clients.size());
    // Spread the first steps over one interval, so that the clients do not
    // all come up at once.
    const double period = 1000.0 / std::max(m_options.rate, 0.001);
    for (Slot &slot : m_clients)
        slot.dueMs = qint64(slot.client->NextUniform() * period);
    m_timer.start(0);
}

void CClientSimulator::Stop()
{
    if (m_stopped)
        return;
    m_stopped = true;
    m_timer.stop();
    const qint64 now = Now();
    for (Slot &slot : m_clients)
        slot.client->Stop(now);
    m_journal.Flush();
    Q_EMIT Finished();
}

CSimulatorCounts CClientSimulator::GetCounts() const
{
    CSimulatorCounts sum;
    for (const Slot &slot : m_clients)
        sum.Add(slot.client->GetCounts());
    return sum;
}

void CClientSimulator::StepSlot(Slot &slot)
{
    slot.client->Step(Now());
    ++slot.steps;
    if (IsDone(slot))
        --m_running;
}

void CClientSimulator::RunNextFast()
{
    // One step per turn of the event loop, so that a stop request is seen
    // between any two steps.
    for (size_t tried = 0; tried < m_clients.size(); ++tried) {
        Slot &slot = m_clients[m_next];
        m_next = (m_next + 1) % m_clients.size();
        if (IsDone(slot))
            continue;
        StepSlot(slot);
        break;
    }
    if (m_running == 0) {
        Stop();
        return;
    }
    m_timer.start(0);
}

qint64 CClientSimulator::NextInterval(Slot &slot)
{
    // Between half and one and a half of the mean interval.
    const double mean = 1000.0 / std::max(m_options.rate, 0.001);
    return qint64(mean * (0.5 + slot.client->NextUniform()));
}

void CClientSimulator::RunDue()
{
    const qint64 now = m_clock.elapsed();
    for (Slot &slot : m_clients) {
        if (m_stopped)
            return;
        if (IsDone(slot) || slot.dueMs > now)
            continue;
        StepSlot(slot);
        slot.dueMs = now + NextInterval(slot);
    }
    if (m_running == 0) {
        Stop();
        return;
    }
    ScheduleNext();
}

void CClientSimulator::ScheduleNext()
{
    qint64 due = std::numeric_limits<qint64>::max();
    for (const Slot &slot : m_clients)
        if (!IsDone(slot))
            due = std::min(due, slot.dueMs);
    m_timer.start(int(std::clamp<qint64>(due - m_clock.elapsed(), 0, 60000)));
}
