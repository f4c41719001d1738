#pragma once
// Writing a file the user named: beside its target under a private
// temporary name, then renamed into place, so that a failure never leaves a
// half-written file under the user's name and never touches anything else.
#include <cstdint>
#include <string>
#include <vector>

namespace pivra {

// The file that writing `path` would replace: path itself, or the end of its
// chain of symbolic links (the links stay). Refuses a folder, a device, a
// FIFO or a socket, and says why.
bool ResolveWriteTarget(const std::string& path, std::string& target, std::string& why);

// Copies src over dst (through dst's links). The new file keeps the mode of
// the one it replaces, or gets 0666 less the umask. why: the system's reason.
bool ReplaceWithCopy(const std::string& src, const std::string& dst, std::string& why);

// The same with bytes made in memory.
bool ReplaceWithBytes(const std::vector<std::uint8_t>& bytes, const std::string& dst, std::string& why);

// A new file's bytes go to the disk before it is renamed over an old one, and
// the folder's new entry after the rename, so that a power cut leaves the old
// file or the new one, never an empty one. Both replacements above do this.
bool SyncFile(const std::string& path, std::string& why);
void SyncFolderOf(const std::string& path);

}  // namespace pivra
