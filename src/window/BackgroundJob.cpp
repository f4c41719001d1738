#include "window/BackgroundJob.h"

#include "platform/WorkerPool.h"

namespace pivra {

namespace {
// The window keeps two jobs of its own (the preview's frames, a build or a
// save): each can have a thread while the encoders share the rest.
constexpr int kWindowJobs = 2;
}  // namespace

BackgroundJob::~BackgroundJob() {
    std::unique_lock<std::mutex> lock(mutex_);
    waiting_ = nullptr;
    stop_ = true;
    idle_.wait(lock, [this] { return !running_; });
}

void BackgroundJob::post(Job job) {
    std::lock_guard<std::mutex> lock(mutex_);
    waiting_ = std::move(job);
    stop_ = true;  // the running one, if any; cleared when the next starts
    if (running_) return;
    running_ = true;
    WorkerPool::shared().post([this] { drain(); }, kWindowJobs);
}

void BackgroundJob::cancel() {
    std::lock_guard<std::mutex> lock(mutex_);
    waiting_ = nullptr;
    stop_ = true;
}

void BackgroundJob::drain() {
    for (;;) {
        Job job;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!waiting_) {
                running_ = false;
                idle_.notify_all();
                return;
            }
            job = std::move(waiting_);
            waiting_ = nullptr;
            stop_ = false;
        }
        job(stop_);
    }
}

}  // namespace pivra
