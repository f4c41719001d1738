#pragma once
// The threads independent work is spread over: one pool for the whole
// process, grown on demand up to the number of CPUs the process may run on.
// A build's commands, the rendered frames and their compression all share it,
// so a later caller adds work, not threads.
#include <functional>

namespace pivra {

// How many threads work may use at once: PIVRA_THREADS when it is a whole
// number from 1 (at most 64), else the CPUs of the process's affinity mask.
// Read at every call, so that a test can change it.
int ThreadBudget();

class WorkerPool {
public:
    // The process's pool; its threads end when the program does.
    static WorkerPool& shared();

    // Runs task on a pool thread, starting threads until there are at least
    // `threads` (never more than 64). The task must not throw.
    void post(std::function<void()> task, int threads);

    WorkerPool();
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

private:
    struct State;
    State* state_;
};

// body(0) ... body(count - 1), spread over the caller and the pool, at most
// `threads` at once (ThreadBudget() when 0); returns when all have run. With
// one thread they run in order on the caller. The exception of the lowest
// index that threw, if any, is rethrown here after all have run.
void ParallelFor(int count, const std::function<void(int)>& body, int threads = 0);

}  // namespace pivra
