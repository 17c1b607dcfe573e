#pragma once

#include "platform/FileSystem.h"

#include <QByteArray>
#include <QString>
#include <QThread>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

// Waits on its own thread until a client's log file exists (or, when the
// log there before the request is given, until another one is there),
// testing a few times a second, and then calls the handler once, on that
// thread. Stop()
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

    // The log as it was before the request; call before start().
    void SetOldLog(const FileSystem::Status &old) { m_old = old; }
    void Stop();
    bool HasFound() const;

    static void SetPause(std::chrono::milliseconds pause);

protected:
    void run() override;

private:
    bool NewLogFileExists() const;

    const QString m_directory;
    const QByteArray m_login;
    const std::function<void()> m_onFound;
    FileSystem::Status m_old;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_bStop = false;
    bool m_bFound = false;
};
