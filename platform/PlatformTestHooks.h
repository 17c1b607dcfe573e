#pragma once

#include <QString>
#include <functional>

// Switches that let tests reach the failure paths of the platform layer:
// make the next file reads or writes fail with a given errno, run code at the
// moment a write is about to replace a file (to play a concurrent writer),
// and shorten the time after which a changed file counts as settled.
// Nothing here is meant for the product itself; with nothing set, every
// check costs one relaxed atomic load.
class PlatformTestHooks
{
public:
    enum class Operation { Read, Write };

    // The next count operations of that kind fail with error (an errno).
    static void FailNext(Operation op, int count, int error);
    // Called with the file's path after a write has read and edited the
    // file and just before it checks the file again and replaces it.
    static void SetBeforeReplace(std::function<void(const QString &path)> hook);
    // Called with the file's path as soon as a write renamed its new file
    // into place, before it looks at what it left.
    static void SetAfterReplace(std::function<void(const QString &path)> hook);
    // A file whose modification or change time is more recent than this is
    // never trusted from the cache without reading it (default 2 s).
    static void SetSettleTime(qint64 nanoseconds);
    // Play a disk with this many bytes free (-1: the real disk's room):
    // writes that grow a file past it stop short and fail with ENOSPC, and
    // so does a reservation of more.
    static void SetFreeSpace(qint64 bytes);
    // Every file operation of the platform layer (open, read, write, sync,
    // rename, status query...) first waits this long, as a round trip to a
    // file server would take (0: no wait).
    static void SetOperationDelay(qint64 microseconds);
    // Called with the file's path each time a write found the file in the
    // middle of another program's write and waits for it to settle.
    static void SetBeforeSettle(std::function<void(const QString &path)> hook);
    // Called with the file's path before each look a write takes back at
    // its request, to see whether a client's late rewrite erased it.
    static void SetBeforeVerify(std::function<void(const QString &path)> hook);
    // How long a write may keep waiting for a busy file before it is
    // refused (default 8 s: longer than a logon storm).
    static void SetWriteBudget(qint64 milliseconds);
    static void Reset();

    // For the platform layer.
    static int TakeFailure(Operation op); // 0, or the errno to fail with
    static void RunBeforeReplace(const QString &path);
    static void RunAfterReplace(const QString &path);
    static void RunBeforeSettle(const QString &path);
    static void RunBeforeVerify(const QString &path);
    static qint64 SettleTime();
    static qint64 FreeSpace(); // -1 unless SetFreeSpace was called
    static void UseSpace(qint64 bytes);
    static void DelayOperation();
    static qint64 WriteBudgetMs();
};
