#include "GifLzw.h"

#include <algorithm>
#include <cstring>

namespace pivra::imagelib {

namespace {

constexpr int kMaxCode = 4095;  // 12 bits; giflib clears before it is ever given out

// Strings seen so far, by prefix code and next pixel. Open addressing on a
// table four times the largest dictionary, so a probe rarely goes past its
// first slot; an entry holds key << 12 | code, and no real key and code make
// all ones (the last code given out is 4094).
class CodeTable {
public:
    CodeTable() { clear(); }
    void clear() { std::fill(std::begin(slots_), std::end(slots_), kEmpty); }

    int find(std::uint32_t key) const {
        for (std::uint32_t i = slotOf(key);; i = (i + 1) & kMask) {
            const std::uint32_t entry = slots_[i];
            if (entry == kEmpty) return -1;
            if ((entry >> 12) == key) return static_cast<int>(entry & 0xFFF);
        }
    }
    void insert(std::uint32_t key, int code) {
        std::uint32_t i = slotOf(key);
        while (slots_[i] != kEmpty) i = (i + 1) & kMask;
        slots_[i] = key << 12 | static_cast<std::uint32_t>(code);
    }

private:
    static constexpr int kBits = 14;
    static constexpr std::uint32_t kMask = (1u << kBits) - 1;
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;
    static std::uint32_t slotOf(std::uint32_t key) { return (key * 2654435761u) >> (32 - kBits); }
    std::uint32_t slots_[1u << kBits];
};

// Codes packed least significant bit first, with giflib's rule for when a
// code grows a bit: after writing any code while the next free code no
// longer fits.
class CodeWriter {
public:
    CodeWriter(int codeSize, std::size_t expected) : codeSize_(codeSize) {
        bytes_.reserve(expected);
        reset();
    }
    void reset() {
        runningBits_ = codeSize_ + 1;
        maxCode1_ = 1 << runningBits_;
    }
    void put(int code, int runningCode) {
        bits_ |= static_cast<std::uint64_t>(code) << count_;
        count_ += runningBits_;
        while (count_ >= 8) {
            bytes_.push_back(static_cast<std::uint8_t>(bits_));
            bits_ >>= 8;
            count_ -= 8;
        }
        if (runningCode >= maxCode1_ && code <= kMaxCode) maxCode1_ = 1 << ++runningBits_;
    }
    std::vector<std::uint8_t>& flush() {
        for (; count_ > 0; count_ -= 8) {
            bytes_.push_back(static_cast<std::uint8_t>(bits_));
            bits_ >>= 8;
        }
        count_ = 0;
        return bytes_;
    }

private:
    int codeSize_;
    int runningBits_ = 0;
    int maxCode1_ = 0;
    std::uint64_t bits_ = 0;
    int count_ = 0;
    std::vector<std::uint8_t> bytes_;
};

}  // namespace

void appendLzwBlocks(const std::uint8_t* pixels, std::size_t count, int codeSize, std::vector<std::uint8_t>& out) {
    const unsigned mask = (1u << codeSize) - 1;  // giflib masks every pixel so
    const int clearCode = 1 << codeSize;
    const int eofCode = clearCode + 1;
    int runningCode = eofCode + 1;
    CodeTable table;
    // A string followed by its own last pixel, the one step of a run of a
    // colour, kept apart in a small array indexed by code: runs (white and
    // clear areas) are most of a build's pixels. 0 is never a made code.
    std::uint16_t runNext[kMaxCode + 1] = {};
    CodeWriter writer(codeSize, count / 2 + 64);
    writer.put(clearCode, runningCode);

    int current = pixels[0] & mask;
    unsigned previous = static_cast<unsigned>(current);  // the last pixel of current's string
    for (std::size_t i = 1; i < count; ++i) {
        const unsigned pixel = pixels[i] & mask;
        const bool run = pixel == previous;
        previous = pixel;
        const std::uint32_t key = static_cast<std::uint32_t>(current) << 8 | pixel;
        const int found = run ? (runNext[current] != 0 ? runNext[current] : -1) : table.find(key);
        if (found >= 0) {
            current = found;
            continue;
        }
        writer.put(current, runningCode);
        if (runningCode >= kMaxCode) {
            writer.put(clearCode, runningCode);
            runningCode = eofCode + 1;
            writer.reset();
            table.clear();
            std::fill(std::begin(runNext), std::end(runNext), 0);
        } else if (run) {
            runNext[current] = static_cast<std::uint16_t>(runningCode++);
        } else {
            table.insert(key, runningCode++);
        }
        current = static_cast<int>(pixel);
    }
    writer.put(current, runningCode);
    writer.put(eofCode, runningCode);
    const std::vector<std::uint8_t>& data = writer.flush();

    out.reserve(out.size() + data.size() + data.size() / 255 + 1);
    for (std::size_t at = 0; at < data.size(); at += 255) {
        const std::size_t length = std::min<std::size_t>(255, data.size() - at);
        out.push_back(static_cast<std::uint8_t>(length));
        out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
                   data.begin() + static_cast<std::ptrdiff_t>(at + length));
    }
}

bool lzwDecode(const std::uint8_t* data, std::size_t size, int codeSize, std::uint8_t* out, std::size_t count) {
    if (codeSize < 2 || codeSize > 8) return false;
    const int clearCode = 1 << codeSize;
    const int eofCode = clearCode + 1;
    // Every string is a stretch of output already written: the previous
    // string and the first pixel after it. So a code is where and how long.
    std::uint32_t entryStart[kMaxCode + 1];
    std::uint16_t entryLength[kMaxCode + 1];

    // giflib's counters: runningCode runs two ahead of the entry being made.
    int runningCode = eofCode + 1, runningBits = codeSize + 1, maxCode1 = 1 << runningBits;
    std::uint64_t bits = 0;
    int bitCount = 0;
    std::size_t in = 0, pos = 0, lastStart = 0, lastLength = 0;
    bool haveLast = false;
    while (pos < count) {
        while (bitCount < runningBits) {
            if (in >= size) return false;
            bits |= static_cast<std::uint64_t>(data[in++]) << bitCount;
            bitCount += 8;
        }
        const int code = static_cast<int>(bits & ((1u << runningBits) - 1));
        bits >>= runningBits;
        bitCount -= runningBits;
        if (runningCode < kMaxCode + 2 && ++runningCode > maxCode1 && runningBits < 12) {
            maxCode1 <<= 1;
            ++runningBits;
        }
        if (code == clearCode) {
            runningCode = eofCode + 1;
            runningBits = codeSize + 1;
            maxCode1 = 1 << runningBits;
            haveLast = false;
            continue;
        }
        if (code == eofCode) return false;
        const int newEntry = runningCode - 2;
        // giflib stops adding strings at a full table and reads on in a way of its own.
        if (haveLast && newEntry >= kMaxCode) return false;

        std::size_t start = 0, length = 1;
        const std::size_t room = count - pos;
        if (code < clearCode) {
            out[pos] = static_cast<std::uint8_t>(code);
            start = pos;
        } else if (!haveLast || code > newEntry) {
            return false;
        } else if (code < newEntry) {
            start = entryStart[code];
            length = entryLength[code];
            std::memcpy(out + pos, out + start, std::min(length, room));
        } else {
            // The string being made: the previous one and its own first pixel,
            // copied forward a pixel at a time since it overlaps itself.
            start = lastStart;
            length = lastLength + 1;
            const std::size_t n = std::min(length, room);
            for (std::size_t j = 0; j < n; ++j) out[pos + j] = out[start + j];
        }
        if (haveLast) {
            entryStart[newEntry] = static_cast<std::uint32_t>(lastStart);
            entryLength[newEntry] = static_cast<std::uint16_t>(lastLength + 1);
        }
        lastStart = pos;
        lastLength = length;
        haveLast = true;
        pos += std::min(length, room);
    }
    return true;
}

bool joinSubBlocks(const std::vector<std::uint8_t>& bytes, std::size_t& offset, std::vector<std::uint8_t>& joined) {
    joined.clear();
    for (;;) {
        if (offset >= bytes.size()) return false;
        const std::size_t length = bytes[offset++];
        if (length == 0) return true;
        if (length > bytes.size() - offset) return false;
        joined.insert(joined.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                      bytes.begin() + static_cast<std::ptrdiff_t>(offset + length));
        offset += length;
    }
}

}  // namespace pivra::imagelib
