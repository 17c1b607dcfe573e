#include "store/CShareDirectory.h"

CShareDirectory g_shareDirectory;

QString CShareDirectory::Get() const
{
    std::lock_guard lock(m_mutex);
    return m_path;
}

void CShareDirectory::Set(const QString &path)
{
    std::lock_guard lock(m_mutex);
    m_path = path;
}
