#include "window/BackgroundJob.h"

namespace pivra {

BackgroundJob::BackgroundJob() : thread_([this] { run(); }) {}

BackgroundJob::~BackgroundJob() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
        waiting_ = nullptr;
        stop_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void BackgroundJob::post(Job job) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        waiting_ = std::move(job);
        stop_ = true;  // the running one, if any; cleared when the next starts
    }
    wake_.notify_one();
}

void BackgroundJob::cancel() {
    std::lock_guard<std::mutex> lock(mutex_);
    waiting_ = nullptr;
    stop_ = true;
}

void BackgroundJob::run() {
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return quit_ || waiting_; });
            if (quit_) return;
            job = std::move(waiting_);
            waiting_ = nullptr;
            stop_ = false;
        }
        job(stop_);
    }
}

}  // namespace pivra
