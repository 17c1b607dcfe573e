#include "platform/PlatformTestHooks.h"

#include <QMutex>
#include <atomic>
#include <chrono>
#include <thread>

namespace {

constexpr qint64 kDefaultSettleTime = 2'000'000'000;
constexpr qint64 kDefaultWriteBudgetMs = 8000;

std::atomic<bool> g_armed{false};
std::atomic<qint64> g_settleTime{kDefaultSettleTime};
std::atomic<qint64> g_freeSpace{-1};
std::atomic<qint64> g_writeBudgetMs{kDefaultWriteBudgetMs};
std::atomic<qint64> g_operationDelayUs{0};
QMutex g_mutex;
int g_failCount[2] = {0, 0};
int g_failError[2] = {0, 0};
std::function<void(const QString &)> g_beforeReplace;
std::function<void(const QString &)> g_afterReplace;
std::function<void(const QString &)> g_beforeSettle;
std::function<void(const QString &)> g_beforeVerify;

void Rearm()
{
    g_armed.store(g_failCount[0] > 0 || g_failCount[1] > 0 || bool(g_beforeReplace)
                      || bool(g_afterReplace) || bool(g_beforeSettle) || bool(g_beforeVerify),
                  std::memory_order_relaxed);
}

void RunHook(const std::function<void(const QString &)> &which, const QString &path)
{
    if (!g_armed.load(std::memory_order_relaxed))
        return;
    std::function<void(const QString &)> hook;
    {
        QMutexLocker lock(&g_mutex);
        hook = which;
    }
    if (hook)
        hook(path);
}

} // namespace

void PlatformTestHooks::FailNext(Operation op, int count, int error)
{
    QMutexLocker lock(&g_mutex);
    g_failCount[int(op)] = count;
    g_failError[int(op)] = error;
    Rearm();
}

void PlatformTestHooks::SetBeforeReplace(std::function<void(const QString &)> hook)
{
    QMutexLocker lock(&g_mutex);
    g_beforeReplace = std::move(hook);
    Rearm();
}

void PlatformTestHooks::SetAfterReplace(std::function<void(const QString &)> hook)
{
    QMutexLocker lock(&g_mutex);
    g_afterReplace = std::move(hook);
    Rearm();
}

void PlatformTestHooks::SetBeforeSettle(std::function<void(const QString &)> hook)
{
    QMutexLocker lock(&g_mutex);
    g_beforeSettle = std::move(hook);
    Rearm();
}

void PlatformTestHooks::SetBeforeVerify(std::function<void(const QString &)> hook)
{
    QMutexLocker lock(&g_mutex);
    g_beforeVerify = std::move(hook);
    Rearm();
}

void PlatformTestHooks::SetWriteBudget(qint64 milliseconds)
{
    g_writeBudgetMs.store(milliseconds, std::memory_order_relaxed);
}

void PlatformTestHooks::SetSettleTime(qint64 nanoseconds)
{
    g_settleTime.store(nanoseconds, std::memory_order_relaxed);
}

void PlatformTestHooks::Reset()
{
    QMutexLocker lock(&g_mutex);
    g_failCount[0] = g_failCount[1] = 0;
    g_beforeReplace = nullptr;
    g_afterReplace = nullptr;
    g_beforeSettle = nullptr;
    g_beforeVerify = nullptr;
    g_settleTime.store(kDefaultSettleTime, std::memory_order_relaxed);
    g_freeSpace.store(-1, std::memory_order_relaxed);
    g_writeBudgetMs.store(kDefaultWriteBudgetMs, std::memory_order_relaxed);
    g_operationDelayUs.store(0, std::memory_order_relaxed);
    Rearm();
}

int PlatformTestHooks::TakeFailure(Operation op)
{
    if (!g_armed.load(std::memory_order_relaxed))
        return 0;
    QMutexLocker lock(&g_mutex);
    int &count = g_failCount[int(op)];
    if (count <= 0)
        return 0;
    --count;
    Rearm();
    return g_failError[int(op)];
}

void PlatformTestHooks::RunBeforeReplace(const QString &path)
{
    RunHook(g_beforeReplace, path);
}

void PlatformTestHooks::RunAfterReplace(const QString &path)
{
    RunHook(g_afterReplace, path);
}

void PlatformTestHooks::RunBeforeSettle(const QString &path)
{
    RunHook(g_beforeSettle, path);
}

void PlatformTestHooks::RunBeforeVerify(const QString &path)
{
    RunHook(g_beforeVerify, path);
}

qint64 PlatformTestHooks::WriteBudgetMs()
{
    return g_writeBudgetMs.load(std::memory_order_relaxed);
}

qint64 PlatformTestHooks::SettleTime()
{
    return g_settleTime.load(std::memory_order_relaxed);
}

void PlatformTestHooks::SetFreeSpace(qint64 bytes)
{
    g_freeSpace.store(bytes, std::memory_order_relaxed);
}

qint64 PlatformTestHooks::FreeSpace()
{
    return g_freeSpace.load(std::memory_order_relaxed);
}

void PlatformTestHooks::UseSpace(qint64 bytes)
{
    qint64 free = g_freeSpace.load(std::memory_order_relaxed);
    while (free >= 0 && !g_freeSpace.compare_exchange_weak(free, qMax<qint64>(0, free - bytes),
                                                           std::memory_order_relaxed)) {
    }
}

void PlatformTestHooks::SetOperationDelay(qint64 microseconds)
{
    g_operationDelayUs.store(qMax<qint64>(0, microseconds), std::memory_order_relaxed);
}

void PlatformTestHooks::DelayOperation()
{
    const qint64 us = g_operationDelayUs.load(std::memory_order_relaxed);
    if (us > 0)
        std::this_thread::sleep_for(std::chrono::microseconds(us));
}
