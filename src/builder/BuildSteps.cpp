#include "builder/BuildSteps.h"

#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <string>

#include "platform/WorkerPool.h"

namespace pivra {

namespace {

std::string FileKey(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    return (ec ? std::filesystem::path(path) : absolute).lexically_normal().string();
}

bool HasWildcard(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return path.find_first_of("*?", slash == std::string::npos ? 0 : slash + 1) != std::string::npos;
}

// For each command, the earlier ones it must wait for: the last writer of each
// file it reads or writes, and every reader of a file it writes since that
// file's last writer. A wildcard reads a whole folder: such a command waits
// for all before it, and all after it wait for it.
std::vector<std::set<int>> Dependencies(const std::vector<PreparedCommand>& commands) {
    std::map<std::string, int> lastWriter;
    std::map<std::string, std::vector<int>> readers;
    std::vector<std::set<int>> after(commands.size());
    int barrier = -1;
    for (int i = 0; i < static_cast<int>(commands.size()); ++i) {
        std::set<int>& deps = after[static_cast<size_t>(i)];
        if (barrier >= 0) deps.insert(barrier);
        std::vector<std::string> reads, writes;
        bool wildcard = false;
        for (const CommandArg& a : commands[static_cast<size_t>(i)].args) {
            if (a.kind == ArgKind::Option) continue;
            wildcard = wildcard || (a.kind == ArgKind::Input && HasWildcard(a.text));
            (a.kind == ArgKind::Input ? reads : writes).push_back(FileKey(a.text));
        }
        if (wildcard) {
            for (int j = 0; j < i; ++j) deps.insert(j);
            barrier = i;
        }
        for (const std::string& f : reads)
            if (auto w = lastWriter.find(f); w != lastWriter.end()) deps.insert(w->second);
        for (const std::string& f : writes) {
            if (auto w = lastWriter.find(f); w != lastWriter.end()) deps.insert(w->second);
            for (int r : readers[f]) deps.insert(r);
        }
        deps.erase(i);
        for (const std::string& f : reads) readers[f].push_back(i);
        for (const std::string& f : writes) {
            lastWriter[f] = i;
            readers[f].clear();
        }
    }
    return after;
}

// The commands' progress, shared by the caller and the pool's runners.
struct Schedule {
    Schedule(ImageCommands& commands, const std::vector<PreparedCommand>& prepared, int threads)
        : commands(commands), prepared(prepared), threads(threads), waitingFor(prepared.size()),
          next(prepared.size()), done(prepared.size()), outcomes(prepared.size()) {
        const std::vector<std::set<int>> deps = Dependencies(prepared);
        for (size_t i = 0; i < deps.size(); ++i) {
            waitingFor[i] = static_cast<int>(deps[i].size());
            for (int d : deps[i]) next[static_cast<size_t>(d)].push_back(static_cast<int>(i));
            if (deps[i].empty()) ready.insert(static_cast<int>(i));
        }
    }

    // More runners while ready commands outnumber the idle ones. Under the lock.
    void topUp() {
        while (!dropped && alive < threads && static_cast<int>(ready.size()) > alive - busy) {
            ++alive;
            WorkerPool::shared().post([this] { runner(); }, threads);
        }
    }

    // Takes ready commands, earliest first (the strips before the frames
    // that wait for them), until none is ready.
    void runner() {
        for (;;) {
            int c;
            {
                std::lock_guard<std::mutex> lock(mutex);
                if (dropped || ready.empty()) {
                    --alive;
                    changed.notify_all();
                    return;
                }
                c = *ready.begin();
                ready.erase(ready.begin());
                ++busy;
            }
            CommandOutcome outcome;
            try {
                outcome = commands.execute(prepared[static_cast<size_t>(c)]);
            } catch (...) {
                // Out of memory, most likely: the output is missing, and says so.
                outcome.dst = prepared[static_cast<size_t>(c)].dst;
                outcome.missing = true;
                outcome.missingReason = "the command could not run (out of memory?)";
            }
            {
                std::lock_guard<std::mutex> lock(mutex);
                outcomes[static_cast<size_t>(c)] = std::move(outcome);
                done[static_cast<size_t>(c)] = true;
                --busy;
                for (int n : next[static_cast<size_t>(c)])
                    if (--waitingFor[static_cast<size_t>(n)] == 0) ready.insert(n);
                topUp();
            }
            changed.notify_all();
        }
    }

    CommandOutcome waitFor(int c) {
        std::unique_lock<std::mutex> lock(mutex);
        topUp();
        changed.wait(lock, [&] { return done[static_cast<size_t>(c)]; });
        return std::move(outcomes[static_cast<size_t>(c)]);
    }

    // Drops what has not started and waits for the runners to end.
    void finish() {
        std::unique_lock<std::mutex> lock(mutex);
        dropped = true;
        changed.wait(lock, [&] { return alive == 0; });
    }

    ImageCommands& commands;
    const std::vector<PreparedCommand>& prepared;
    const int threads;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<int> waitingFor;
    std::vector<std::vector<int>> next;
    std::set<int> ready;
    std::vector<bool> done;
    std::vector<CommandOutcome> outcomes;
    int alive = 0, busy = 0;
    bool dropped = false;
};

}  // namespace

BuildSteps::Recording::Recording(BuildSteps& steps) : steps_(steps) {
    steps_.commands_.deferTo([this](PreparedCommand c) {
        steps_.steps_.push_back({static_cast<int>(steps_.prepared_.size()), {}});
        steps_.prepared_.push_back(std::move(c));
    });
}

BuildSteps::Recording::~Recording() { steps_.commands_.deferTo(nullptr); }

void BuildSteps::then(std::function<bool()> step) { steps_.push_back({-1, std::move(step)}); }

bool BuildSteps::run(int threads) {
    if (threads <= 0) threads = ThreadBudget();
    if (threads == 1) {
        for (const Step& s : steps_) {
            if (s.command >= 0)
                commands_.takeOutcome(commands_.execute(prepared_[static_cast<size_t>(s.command)]));
            else if (!s.action())
                return false;
        }
        return true;
    }
    Schedule schedule(commands_, prepared_, threads);
    for (const Step& s : steps_) {
        if (s.command >= 0) {
            commands_.takeOutcome(schedule.waitFor(s.command));
        } else if (!s.action()) {
            schedule.finish();
            return false;
        }
    }
    schedule.finish();
    return true;
}

}  // namespace pivra
