#pragma once
// One job at a time off the window's thread, the latest asked for: posting a
// new one tells the running one to stop and drops any still waiting. The
// jobs run on the process's worker pool, one after the other.
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace pivra {

class BackgroundJob {
public:
    // The job polls `stop` and returns early once it is set.
    using Job = std::function<void(const std::atomic<bool>& stop)>;

    BackgroundJob() = default;
    // Stops the running job and waits for it.
    ~BackgroundJob();
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;

    void post(Job job);
    // Stops the running job and drops a waiting one; does not wait.
    void cancel();

private:
    // On a pool thread: the waiting jobs, until there is none.
    void drain();

    std::mutex mutex_;
    std::condition_variable idle_;
    Job waiting_;
    bool running_ = false;  // a drain is posted or under way
    std::atomic<bool> stop_{false};
};

}  // namespace pivra
