#pragma once
// Which file, in which version: every write of ours renames a new file into
// place, so a new inode; a change in place moves the size or the
// modification time. The file system's clock is coarser than our commands
// (several writes can share a modification time) and a freed inode number
// is soon given to a new file, so a hash of the bytes read completes it.
#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

namespace pivra::imagelib {

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    time_t mtimeSeconds = 0;
    long mtimeNanoseconds = 0;
    std::uint64_t contentHash = 0;

    // False for the empty identity of a file whose version could not be told.
    bool known() const { return inode != 0; }

    bool operator==(const FileIdentity& other) const {
        return device == other.device && inode == other.inode && size == other.size &&
               mtimeSeconds == other.mtimeSeconds && mtimeNanoseconds == other.mtimeNanoseconds && contentHash == other.contentHash;
    }
    bool operator!=(const FileIdentity& other) const { return !(*this == other); }
};

// From the file's status; the content hash is left to whoever holds the bytes.
inline FileIdentity identityOf(const struct stat& info) {
    return {info.st_dev, info.st_ino, info.st_size, info.st_mtim.tv_sec, info.st_mtim.tv_nsec, 0};
}

// A quick 64-bit hash of the bytes (not for adversaries: it confirms a
// version that device, inode, size and time already name).
inline std::uint64_t hashBytes(const std::uint8_t* data, std::size_t size) {
    std::uint64_t h = 0x9E3779B97F4A7C15ull ^ size;
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, data + i, 8);
        h = (h ^ word) * 0xBF58476D1CE4E5B9ull;
        h ^= h >> 31;
    }
    for (; i < size; ++i) h = (h ^ data[i]) * 0x94D049BB133111EBull;
    return h ^ (h >> 29);
}

}  // namespace pivra::imagelib
