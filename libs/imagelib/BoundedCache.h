#pragma once
// Values by key, least recently used dropped first once the bytes they hold
// pass a bound. Few entries are ever held, so a list is searched.
#include <cstddef>
#include <list>
#include <memory>
#include <mutex>

namespace pivra::imagelib {

template <typename Key, typename Value>
class BoundedCache {
public:
    explicit BoundedCache(std::size_t maxBytes) : maxBytes_(maxBytes) {}

    // The value kept under key, or null.
    std::shared_ptr<const Value> find(const Key& key) {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto it = entries_.begin(); it != entries_.end(); ++it) {
            if (!(it->key == key)) continue;
            entries_.splice(entries_.begin(), entries_, it);
            return entries_.front().value;
        }
        return nullptr;
    }

    // Keeps the value (replacing one of the same key); a value larger than
    // the bound is not kept at all.
    void insert(const Key& key, std::shared_ptr<const Value> value, std::size_t bytes) {
        if (!value) return;
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto it = entries_.begin(); it != entries_.end(); ++it) {
            if (!(it->key == key)) continue;
            bytes_ -= it->bytes;
            entries_.erase(it);
            break;
        }
        if (bytes > maxBytes_) return;
        while (!entries_.empty() && bytes_ + bytes > maxBytes_) {
            bytes_ -= entries_.back().bytes;
            entries_.pop_back();
        }
        entries_.push_front(Entry{key, std::move(value), bytes});
        bytes_ += bytes;
    }

    std::size_t bytes() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return bytes_;
    }
    std::size_t count() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return entries_.size();
    }

private:
    struct Entry {
        Key key;
        std::shared_ptr<const Value> value;
        std::size_t bytes;
    };
    const std::size_t maxBytes_;
    std::size_t bytes_ = 0;
    std::list<Entry> entries_;  // most recently used first
    mutable std::mutex mutex_;
};

}  // namespace pivra::imagelib
