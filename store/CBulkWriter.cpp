#include "store/CBulkWriter.h"

#include <algorithm>

CBulkWriter::CBulkWriter(qsizetype count, Task task, int inFlight, QObject *parent)
    : QObject(parent),
      m_items(size_t(qMax<qsizetype>(0, count))),
      m_task(std::move(task)),
      m_inFlight(std::clamp(inFlight, 1, kMaxInFlight))
{
}

CBulkWriter::~CBulkWriter()
{
    Cancel();
    Wait();
}

void CBulkWriter::Start()
{
    std::lock_guard lock(m_joinMutex);
    if (!m_threads.empty())
        return;
    const int threads = int(qMin<qsizetype>(m_inFlight, qMax<qsizetype>(1, GetCount())));
    m_running = threads;
    m_threads.reserve(size_t(threads));
    for (int i = 0; i < threads; ++i)
        m_threads.emplace_back([this] { Run(); });
}

void CBulkWriter::Cancel()
{
    m_cancelled.store(true, std::memory_order_relaxed);
}

void CBulkWriter::Wait()
{
    std::lock_guard lock(m_joinMutex);
    for (std::thread &thread : m_threads)
        if (thread.joinable())
            thread.join();
}

qsizetype CBulkWriter::CountIn(State state) const
{
    return std::count_if(m_items.cbegin(), m_items.cend(),
                         [state](const Item &item) { return item.state == state; });
}

void CBulkWriter::Run()
{
    const qsizetype total = GetCount();
    for (;;) {
        if (m_cancelled.load(std::memory_order_relaxed))
            break;
        const qsizetype index = m_next.fetch_add(1);
        if (index >= total)
            break;
        Item &item = m_items[size_t(index)];
        item.result = m_task ? m_task(index) : ProfileResult::Success();
        item.state = item.result ? State::Written : State::Failed;
        Q_EMIT Progress(m_done.fetch_add(1) + 1, total);
    }
    if (m_running.fetch_sub(1) == 1)
        Q_EMIT Finished();
}
