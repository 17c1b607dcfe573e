#pragma once

#include <QString>
#include <mutex>

// The process-wide copy of the shared directory path. Every per-user path is
// built from it, on the user-interface thread and on the status reader alike,
// so it is read and replaced under a lock and handed out by value.
class CShareDirectory
{
public:
    QString Get() const;
    void Set(const QString &path);

private:
    mutable std::mutex m_mutex;
    QString m_path;
};

extern CShareDirectory g_shareDirectory;
