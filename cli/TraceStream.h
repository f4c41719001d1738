#pragma once
// The trace's output stream: written straight to a file descriptor, keeping
// the system's reason when a write fails (a full disk, a reader that went away).
#include <ostream>
#include <streambuf>

namespace pivra {

class FdBuffer : public std::streambuf {
public:
    explicit FdBuffer(int fd);
    // errno of the first failed write, 0 while all went well.
    int error() const { return error_; }

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    bool drain();
    int fd_;
    int error_ = 0;
    char buffer_[4096];
};

class TraceStream : public std::ostream {
public:
    explicit TraceStream(int fd) : std::ostream(nullptr), buffer_(fd) { rdbuf(&buffer_); }
    int error() const { return buffer_.error(); }

private:
    FdBuffer buffer_;
};

}  // namespace pivra
