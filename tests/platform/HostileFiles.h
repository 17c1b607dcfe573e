#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

// What a hostile share holds instead of regular files, made for real.
namespace HostileFiles {

inline QByteArray Native(const QString &path)
{
    return QFile::encodeName(path);
}

inline bool Symlink(const QByteArray &target, const QString &path)
{
    return ::symlink(target.constData(), Native(path).constData()) == 0;
}

inline bool Fifo(const QString &path)
{
    return ::mkfifo(Native(path).constData(), 0666) == 0;
}

// A character device node (root only): false where it cannot be made.
inline bool Device(const QString &path, unsigned major, unsigned minor)
{
    return ::mknod(Native(path).constData(), S_IFCHR | 0666, makedev(major, minor)) == 0;
}

// A socket bound to path, which stays as long as the returned descriptor.
inline int Socket(const QString &path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    const QByteArray native = Native(path);
    if (fd < 0 || size_t(native.size()) >= sizeof address.sun_path)
        return -1;
    std::copy(native.begin(), native.end(), address.sun_path);
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

inline mode_t TypeOf(const QString &path)
{
    struct stat st = {};
    ::lstat(Native(path).constData(), &st);
    return st.st_mode & S_IFMT;
}

// Tells whether anyone opens a FIFO, and keeps anyone who does from hanging:
// a thread keeps opening the FIFO's other ends without blocking. Opening its
// write end succeeds only while a reader has it open; a writer shows as a
// read end that has no end of file yet. Whoever it finds is counted and let
// go (a reader sees the end of the file, a writer a broken pipe). The count
// does not depend on timing: code that never opens the FIFO is never
// counted, and code that opens it blocks until it is found.
class FifoWatch
{
public:
    explicit FifoWatch(const QString &path) : m_path(Native(path))
    {
        m_thread = std::thread([this] { Run(); });
    }
    ~FifoWatch() { Stop(); }
    // How many times someone had the FIFO open.
    int Stop()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        return m_found;
    }

private:
    void Run()
    {
        while (!m_stop) {
            if (int w = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC); w >= 0) {
                ++m_found;
                ::close(w);
            }
            if (int r = ::open(m_path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC); r >= 0) {
                char c;
                const ssize_t n = ::read(r, &c, 1);
                if (n > 0 || (n < 0 && errno == EAGAIN))
                    ++m_found;
                ::close(r);
            }
            ::usleep(500); // only how soon a blocked opener is found
        }
    }

    QByteArray m_path;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_found{0};
    std::thread m_thread;
};

} // namespace HostileFiles
