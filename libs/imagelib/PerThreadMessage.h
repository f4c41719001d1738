#pragma once
// One message per calling thread, for the LastError entry points.
// Deliberately not thread_local: dynamic TLS in a dlopen'ed library trips
// LeakSanitizer's exit scan, and a mutex here costs nothing next to a command.
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>

namespace pivra::imagelib {

class PerThreadMessage {
public:
    void set(std::string text) {
        std::lock_guard<std::mutex> lock(mutex_);
        messages_[std::this_thread::get_id()] = std::move(text);
    }
    void clear() { set(std::string()); }

    // Valid until this thread's next set() or clear(); "" if none yet.
    const char* get() {
        std::lock_guard<std::mutex> lock(mutex_);
        return messages_[std::this_thread::get_id()].c_str();
    }

private:
    std::mutex mutex_;
    std::unordered_map<std::thread::id, std::string> messages_;
};

}  // namespace pivra::imagelib
