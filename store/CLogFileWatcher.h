#pragma once

#include <QByteArray>
#include <QString>
#include <QThread>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

// Waits on its own thread until a client's log file exists, testing a few
// times a second, and then calls the handler once, on that thread. Stop()
// ends the wait; once it has returned the handler is never called, so the
// handler may point at things that are about to go.
class CLogFileWatcher : public QThread
{
    Q_OBJECT

public:
    CLogFileWatcher(QString directory, QByteArray login, std::function<void()> onFound,
                    QObject *parent = nullptr);
    // Stops and joins: the thread never outlives the watcher.
    ~CLogFileWatcher() override;

    void Stop();
    bool HasFound() const;

    static void SetPause(std::chrono::milliseconds pause);

protected:
    void run() override;

private:
    bool LogFileExists() const;

    const QString m_directory;
    const QByteArray m_login;
    const std::function<void()> m_onFound;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_bStop = false;
    bool m_bFound = false;
};
