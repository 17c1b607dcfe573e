#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class CUser;
class ProfileFile;

// The background reader of the users' status. It owns one worker thread that
// reads every user of a pass from one parsed Users.ini, so the file is read
// once per pass whatever the number of users. The pass works on a copy of the
// user pointers taken when it was asked for, so the roster may grow meanwhile.
//
// Passes run one after the other: a pass that is asked for while another runs
// waits for it, and only the newest waiting pass is kept. Letting the running
// pass finish (rather than restarting it) means every user is read even when
// Users.ini changes faster than a pass takes.
class CStatusReader
{
public:
    // onFinished runs on the worker thread after each completed pass.
    explicit CStatusReader(std::function<void()> onFinished);
    ~CStatusReader();

    CStatusReader(const CStatusReader &) = delete;
    CStatusReader &operator=(const CStatusReader &) = delete;

    // Reads the file a pass works on, on the worker, and may append users to
    // the pass; null when there is nothing to read (the pass then ends
    // without reading any status and without onFinished).
    using Prepare = std::function<std::shared_ptr<const ProfileFile>(std::vector<CUser *> &users)>;

    void Start(std::vector<CUser *> users, std::shared_ptr<const ProfileFile> usersIni);
    void Start(std::vector<CUser *> users, Prepare prepare);
    // Blocks until no pass runs or waits.
    void Wait();
    // Abandons the running pass between two users, drops the waiting one and
    // joins the worker. The users may be destroyed once this returns.
    void Stop();

private:
    struct Pass
    {
        std::vector<CUser *> users;
        std::shared_ptr<const ProfileFile> usersIni;
        Prepare prepare;
    };

    void Run();

    std::function<void()> m_onFinished;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::optional<Pass> m_pending;
    bool m_busy = false;
    bool m_quit = false;
    std::atomic_bool m_stop{false}; // read by the worker between two users
    std::thread m_thread;
};
