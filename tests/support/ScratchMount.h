#pragma once
// A small tmpfs mounted on a folder for one test (a full disk, a read-only
// file system), unmounted afterwards. Needs the right to mount: a test that
// lacks it skips.
#include <sys/mount.h>

#include <string>

namespace pivra::test {

class ScratchMount {
public:
    // options as mount(8) takes them, e.g. "size=64k"; the read-only flag apart.
    ScratchMount(const std::string& folder, const std::string& options, bool readOnly = false)
        : folder_(folder),
          mounted_(::mount("tmpfs", folder.c_str(), "tmpfs", readOnly ? MS_RDONLY : 0, options.c_str()) == 0) {}
    ~ScratchMount() { if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH); }
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;
    bool mounted() const { return mounted_; }

private:
    std::string folder_;
    bool mounted_;
};

}  // namespace pivra::test
