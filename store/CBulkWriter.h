#pragma once

#include "platform/Profile.h"

#include <QObject>
#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// Writes to many user files, several at a time. On a file server each file
// costs a handful of round trips, almost all of it waiting, so a small pool
// of threads with a few files in flight each finishes many times sooner than
// one file after another. Each file is still written by one call of the
// platform's profile functions, which replace it whole or not at all.
//
// Items are numbered in the order the administrator gave them and started in
// that order; results are kept by number, so reports come out in that order
// whatever order the files finished in. Cancel takes effect between files:
// a file already started is finished, one not started is never touched.
//
// The task runs on the pool's threads with the item's number. It may only
// touch what belongs to that item (its own user); whatever it changes is
// safe to read on the owner's thread once Finished() has been received or
// Wait() has returned.
class CBulkWriter : public QObject
{
    Q_OBJECT

public:
    static constexpr int kDefaultInFlight = 8;
    static constexpr int kMaxInFlight = 64;

    using Task = std::function<ProfileResult(qsizetype index)>;

    enum class State { NotStarted, Written, Failed };
    struct Item
    {
        State state = State::NotStarted;
        ProfileResult result;
    };

    CBulkWriter(qsizetype count, Task task, int inFlight = kDefaultInFlight,
                QObject *parent = nullptr);
    // Cancels and joins the pool.
    ~CBulkWriter() override;

    void Start();
    // Safe from any thread.
    void Cancel();
    bool IsCancelled() const { return m_cancelled.load(std::memory_order_relaxed); }
    // Blocks until every thread of the pool has ended, and joins them.
    void Wait();

    qsizetype GetCount() const { return qsizetype(m_items.size()); }
    // Only after Finished() or Wait().
    const std::vector<Item> &GetItems() const { return m_items; }
    qsizetype CountIn(State state) const;

Q_SIGNALS:
    // done items of total have been written or have failed. Raised on the
    // pool's threads; a receiver on another thread gets it queued.
    void Progress(qsizetype done, qsizetype total);
    // The last thread of the pool is about to end. Raised on that thread.
    void Finished();

private:
    void Run();

    std::vector<Item> m_items; // slot i written only by the thread that took item i
    Task m_task;
    int m_inFlight;
    std::atomic<qsizetype> m_next{0};
    std::atomic<qsizetype> m_done{0};
    std::atomic<int> m_running{0};
    std::atomic<bool> m_cancelled{false};
    std::mutex m_joinMutex;
    std::vector<std::thread> m_threads;
};
