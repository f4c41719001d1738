#pragma once
// What tells one state of a file from another without reading it: its
// identity (device and inode), size and last change. A picture replaced,
// rewritten or touched since it was read has another stamp.
#include <cstdint>
#include <optional>
#include <string>

namespace pivra {

struct FileStamp {
    std::uint64_t device = 0, inode = 0;
    std::int64_t size = 0, changedNs = 0;
};

inline bool operator==(const FileStamp& a, const FileStamp& b) {
    return a.device == b.device && a.inode == b.inode && a.size == b.size && a.changedNs == b.changedNs;
}

// The stamp of the file path names (through links); nothing when there is none.
std::optional<FileStamp> StampOf(const std::string& path);

// Whether a new file can be written in folder: a small one is made, written,
// synced and removed. why: the system's reason when it cannot.
bool CanWriteIn(const std::string& folder, std::string& why);

}  // namespace pivra
