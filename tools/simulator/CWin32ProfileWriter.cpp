#include "CWin32ProfileWriter.h"

#include "platform/ProfileEditor.h"
#include "platform/ProfileFile.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

bool ReadAll(int fd, QByteArray &out)
{
    out.clear();
    char buffer[16384];
    off_t offset = 0;
    for (;;) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        out.append(buffer, n);
        offset += n;
    }
}

bool WriteAll(int fd, const QByteArray &bytes, off_t offset)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::pwrite(fd, data, size_t(left), offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        data += n;
        left -= n;
        offset += n;
    }
    return true;
}

int Open(const QString &path, int flags)
{
    int fd;
    do {
        fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

std::optional<QByteArray> Edit(const QByteArray &bytes, const QByteArray &section,
                               const QByteArray &key, const QByteArray *value)
{
    const ProfileFile file = ProfileFile::Parse(bytes);
    return value ? ProfileEditor::SetValue(file, section, key, *value)
                 : ProfileEditor::RemoveKey(file, section, key);
}

} // namespace

bool CWin32ProfileWriter::ParseMode(const QString &name, Mode &mode)
{
    for (Mode m : {Mode::InPlace, Mode::Reopen, Mode::Held, Mode::Append}) {
        if (ModeName(m) == name) {
            mode = m;
            return true;
        }
    }
    return false;
}

QString CWin32ProfileWriter::ModeName(Mode mode)
{
    switch (mode) {
    case Mode::InPlace: return QStringLiteral("inplace");
    case Mode::Reopen: return QStringLiteral("reopen");
    case Mode::Held: return QStringLiteral("held");
    case Mode::Append: return QStringLiteral("append");
    }
    return {};
}

CWin32ProfileWriter::~CWin32ProfileWriter()
{
    for (int fd : std::as_const(m_held))
        ::close(fd);
}

int CWin32ProfileWriter::HeldHandle(const QString &path)
{
    auto it = m_held.constFind(path);
    if (it != m_held.cend())
        return *it;
    const int fd = Open(path, O_RDWR | O_CREAT);
    if (fd >= 0)
        m_held.insert(path, fd);
    return fd;
}

bool CWin32ProfileWriter::Write(const QString &path, const QByteArray &section,
                                const QByteArray &key, const QByteArray *value)
{
    QByteArray bytes;
    if (m_mode == Mode::Reopen) {
        const int in = Open(path, O_RDONLY);
        if (in < 0 && errno != ENOENT)
            return false;
        if (in >= 0) {
            const bool read = ReadAll(in, bytes);
            ::close(in);
            if (!read)
                return false;
        }
        const std::optional<QByteArray> edited = Edit(bytes, section, key, value);
        if (!edited)
            return true;
        if (m_afterRead)
            m_afterRead();
        const int out = Open(path, O_WRONLY | O_CREAT | O_TRUNC);
        if (out < 0)
            return false;
        if (m_afterTruncate)
            m_afterTruncate();
        const bool written = WriteAll(out, *edited, 0);
        ::close(out);
        return written;
    }

    // Removing a key from a missing file creates nothing.
    const bool held = m_mode == Mode::Held;
    const int fd = held ? HeldHandle(path) : Open(path, O_RDWR | (value ? O_CREAT : 0));
    if (fd < 0)
        return !value && errno == ENOENT;
    bool ok = ReadAll(fd, bytes);
    const std::optional<QByteArray> edited = ok ? Edit(bytes, section, key, value) : std::nullopt;
    if (ok && edited && m_afterRead)
        m_afterRead();
    if (ok && edited) {
        // A new key at the end of the file's last section is an append: only
        // the new line is written, after whatever the file holds by then.
        if (m_mode == Mode::Append && edited->startsWith(bytes) && edited->size() > bytes.size()) {
            const off_t end = ::lseek(fd, 0, SEEK_END);
            ok = end >= 0 && WriteAll(fd, edited->mid(bytes.size()), end);
        } else {
            ok = ::ftruncate(fd, 0) == 0;
            if (ok && m_afterTruncate)
                m_afterTruncate();
            ok = ok && WriteAll(fd, *edited, 0);
        }
    }
    if (!held)
        ::close(fd);
    return ok;
}
