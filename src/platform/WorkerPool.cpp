#include "WorkerPool.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace pivra {

namespace {

constexpr int kMostThreads = 64;

int AffinityCpus() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0) return std::max(1, CPU_COUNT(&set));
    return std::max(1u, std::thread::hardware_concurrency());
}

}  // namespace

int ThreadBudget() {
    if (const char* text = std::getenv("PIVRA_THREADS"); text && *text) {
        char* end = nullptr;
        const long n = std::strtol(text, &end, 10);
        if (*end == '\0' && n >= 1) return static_cast<int>(std::min<long>(n, kMostThreads));
    }
    return std::min(AffinityCpus(), kMostThreads);
}

struct WorkerPool::State {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::function<void()>> tasks;
    std::vector<std::thread> threads;
    bool ending = false;

    void work() {
        for (;;) {
            std::function<void()> task;
            {
                std::unique_lock<std::mutex> lock(mutex);
                wake.wait(lock, [this] { return ending || !tasks.empty(); });
                if (tasks.empty()) return;
                task = std::move(tasks.front());
                tasks.pop_front();
            }
            task();
        }
    }
};

WorkerPool& WorkerPool::shared() {
    static WorkerPool pool;
    return pool;
}

// Threads are started with the first task: a program that never spreads work has none.
WorkerPool::WorkerPool() : state_(new State) {}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        state_->ending = true;
    }
    state_->wake.notify_all();
    for (std::thread& t : state_->threads) t.join();
    delete state_;
}

void WorkerPool::post(std::function<void()> task, int threads) {
    State* s = state_;
    {
        std::lock_guard<std::mutex> lock(s->mutex);
        s->tasks.push_back(std::move(task));
        const int wanted = std::clamp(threads, 1, kMostThreads);
        while (static_cast<int>(s->threads.size()) < wanted) s->threads.emplace_back([s] { s->work(); });
    }
    s->wake.notify_one();
}

namespace {

// What the caller and its helpers share; a helper that starts after the
// last index was taken finds nothing to do and lets go of it.
struct Loop {
    Loop(int count, const std::function<void(int)>& body) : count(count), body(body), errors(count) {}
    const int count;
    const std::function<void(int)> body;
    std::atomic<int> next{0};
    std::vector<std::exception_ptr> errors;
    std::mutex mutex;
    std::condition_variable allDone;
    int done = 0;

    void take() {
        for (int i; (i = next.fetch_add(1)) < count;) {
            try {
                body(i);
            } catch (...) {
                errors[static_cast<size_t>(i)] = std::current_exception();
            }
            std::lock_guard<std::mutex> lock(mutex);
            if (++done == count) allDone.notify_all();
        }
    }
};

}  // namespace

void ParallelFor(int count, const std::function<void(int)>& body, int threads) {
    if (count <= 0) return;
    if (threads <= 0) threads = ThreadBudget();
    threads = std::min(threads, count);
    if (threads == 1) {
        for (int i = 0; i < count; ++i) body(i);
        return;
    }
    auto loop = std::make_shared<Loop>(count, body);
    // The caller is one of the threads.
    for (int h = 1; h < threads; ++h) WorkerPool::shared().post([loop] { loop->take(); }, threads - 1);
    loop->take();
    {
        std::unique_lock<std::mutex> lock(loop->mutex);
        loop->allDone.wait(lock, [&] { return loop->done == count; });
    }
    for (const std::exception_ptr& e : loop->errors)
        if (e) std::rethrow_exception(e);
}

}  // namespace pivra
