#include "TraceStream.h"

#include <unistd.h>

#include <cerrno>

namespace pivra {

FdBuffer::FdBuffer(int fd) : fd_(fd) { setp(buffer_, buffer_ + sizeof buffer_); }

FdBuffer::int_type FdBuffer::overflow(int_type c) {
    if (!drain()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int FdBuffer::sync() { return drain() ? 0 : -1; }

bool FdBuffer::drain() {
    if (error_ != 0) return false;
    for (const char* p = pbase(); p < pptr();) {
        const ssize_t n = ::write(fd_, p, static_cast<size_t>(pptr() - p));
        if (n < 0) {
            if (errno == EINTR) continue;
            error_ = errno;
            return false;
        }
        p += n;
    }
    setp(buffer_, buffer_ + sizeof buffer_);
    return true;
}

}  // namespace pivra
