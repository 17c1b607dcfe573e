#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <functional>

// Writes profile files the way the Windows clients' profile functions do:
// read the whole file, change it in memory, truncate it and write it all
// again in place, with no lock of any kind. This is the writer the tool has
// to live with, so the simulator and the soak write through it rather than
// through the platform's own guarded writer.
class CWin32ProfileWriter
{
public:
    enum class Mode {
        InPlace,  // open read-write, read, truncate, write, close
        Reopen,   // open and read, close, open truncating, write, close
        Held,     // one handle per file kept open for the whole run
        Append,   // a new key is appended as a line at the end of the file
    };
    static bool ParseMode(const QString &name, Mode &mode);
    static QString ModeName(Mode mode);

    explicit CWin32ProfileWriter(Mode mode) : m_mode(mode) {}
    ~CWin32ProfileWriter();
    CWin32ProfileWriter(const CWin32ProfileWriter &) = delete;
    CWin32ProfileWriter &operator=(const CWin32ProfileWriter &) = delete;

    // WritePrivateProfileString(section, key, value); value nullptr removes
    // the key. False when a file call failed (errno is left set).
    bool Write(const QString &path, const QByteArray &section, const QByteArray &key,
               const QByteArray *value);

    // Called between the truncate and the write, for tests that hold a
    // client in that window.
    void SetAfterTruncate(std::function<void()> hook) { m_afterTruncate = std::move(hook); }
    // Called between the read and the truncate (a client about to write
    // back what it read).
    void SetAfterRead(std::function<void()> hook) { m_afterRead = std::move(hook); }

private:
    int HeldHandle(const QString &path);

    Mode m_mode;
    QHash<QString, int> m_held;
    std::function<void()> m_afterTruncate;
    std::function<void()> m_afterRead;
};
