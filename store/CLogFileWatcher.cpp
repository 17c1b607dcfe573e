#include "store/CLogFileWatcher.h"

#include "platform/FileSystem.h"
#include "store/CLogFile.h"

#include <atomic>

namespace {
// Short enough that the box closes without a noticeable delay, long enough
// that a wait of minutes costs nothing on the file server.
std::atomic<qint64> s_pauseMs{200};
} // namespace

CLogFileWatcher::CLogFileWatcher(QString directory, QByteArray login,
                                 std::function<void()> onFound, QObject *parent)
    : QThread(parent), m_directory(std::move(directory)), m_login(std::move(login)),
      m_onFound(std::move(onFound))
{
}

CLogFileWatcher::~CLogFileWatcher()
{
    Stop();
    wait();
}

void CLogFileWatcher::Stop()
{
    {
        // Taken while the handler runs, so that Stop() returns only once a
        // handler already under way has finished.
        std::lock_guard lock(m_mutex);
        m_bStop = true;
    }
    m_wake.notify_all();
}

bool CLogFileWatcher::HasFound() const
{
    std::lock_guard lock(m_mutex);
    return m_bFound;
}

void CLogFileWatcher::SetPause(std::chrono::milliseconds pause)
{
    s_pauseMs = pause.count();
}

bool CLogFileWatcher::NewLogFileExists() const
{
    // Resolved each time: the client may write the name in another case.
    const std::optional<QString> path =
        FileSystem::UserFilePath(m_directory, m_login, QStringLiteral(".log"));
    return path && CLogFile::IsNewer(FileSystem::GetStatus(*path), m_old);
}

void CLogFileWatcher::run()
{
    std::unique_lock lock(m_mutex);
    while (!m_bStop) {
        lock.unlock();
        const bool exists = NewLogFileExists();
        lock.lock();
        if (m_bStop)
            break;
        if (exists) {
            m_bFound = true;
            if (m_onFound)
                m_onFound();
            break;
        }
        m_wake.wait_for(lock, std::chrono::milliseconds(s_pauseMs.load()),
                        [this] { return m_bStop; });
    }
}
