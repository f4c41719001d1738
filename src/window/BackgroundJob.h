#pragma once
// One job at a time off the window's thread, the latest asked for: posting a
// new one tells the running one to stop and drops any still waiting. Every
// job of the window goes through here, so they can move to a shared pool
// of threads in one place.
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace pivra {

class BackgroundJob {
public:
    // The job polls `stop` and returns early once it is set.
    using Job = std::function<void(const std::atomic<bool>& stop)>;

    BackgroundJob();
    // Stops the running job and waits for it.
    ~BackgroundJob();
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;

    void post(Job job);
    // Stops the running job and drops a waiting one; does not wait.
    void cancel();

private:
    void run();

    std::mutex mutex_;
    std::condition_variable wake_;
    Job waiting_;
    bool quit_ = false;
    std::atomic<bool> stop_{false};
    std::thread thread_;  // last, so that it starts once the rest is there
};

}  // namespace pivra
