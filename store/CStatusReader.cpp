#include "store/CStatusReader.h"

#include "platform/ProfileFile.h"
#include "store/CUser.h"

CStatusReader::CStatusReader(std::function<void()> onFinished)
    : m_onFinished(std::move(onFinished))
{
}

CStatusReader::~CStatusReader()
{
    Stop();
}

void CStatusReader::Start(std::vector<CUser *> users, std::shared_ptr<const ProfileFile> usersIni)
{
    std::lock_guard lock(m_mutex);
    if (m_quit)
        return;
    m_pending = Pass{std::move(users), std::move(usersIni), nullptr};
    if (!m_thread.joinable())
        m_thread = std::thread([this] { Run(); });
    m_wake.notify_one();
}

void CStatusReader::Start(std::vector<CUser *> users, Prepare prepare)
{
    std::lock_guard lock(m_mutex);
    if (m_quit)
        return;
    m_pending = Pass{std::move(users), nullptr, std::move(prepare)};
    if (!m_thread.joinable())
        m_thread = std::thread([this] { Run(); });
    m_wake.notify_one();
}

void CStatusReader::Wait()
{
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return !m_busy && !m_pending; });
}

void CStatusReader::Stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        m_stop = true;
        m_pending.reset();
        m_wake.notify_one();
    }
    if (m_thread.joinable())
        m_thread.join();
    std::lock_guard lock(m_mutex);
    m_idle.notify_all();
}

void CStatusReader::Run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_quit || m_pending.has_value(); });
        if (m_quit)
            break;
        Pass pass = std::move(*m_pending);
        m_pending.reset();
        m_busy = true;
        lock.unlock();

        if (pass.prepare)
            pass.usersIni = pass.prepare(pass.users);
        bool completed = pass.usersIni != nullptr;
        if (completed) {
            const CUser::StatusSections sections(*pass.usersIni);
            for (CUser *user : pass.users) {
                if (m_stop.load(std::memory_order_relaxed)) {
                    completed = false;
                    break;
                }
                user->ReadStatus(*pass.usersIni, sections);
            }
        }
        pass = {};
        if (completed && m_onFinished)
            m_onFinished();

        lock.lock();
        m_busy = false;
        m_idle.notify_all();
    }
    m_busy = false;
    m_idle.notify_all();
}
