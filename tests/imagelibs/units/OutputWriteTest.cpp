// Writing an output: a full device says so in the reason.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "CommandError.h"
#include "FileBytes.h"

namespace pivra::imagelib {
namespace {

TEST(OutputWrite, AFullDeviceSaysNoSpaceLeft) {
    const int fd = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    std::string reason;
    try {
        writeAllBytes(fd, std::vector<std::uint8_t>(70000, 7), "out.gif");
    } catch (const CommandError& e) {
        reason = e.what();
    }
    ::close(fd);
    EXPECT_EQ(reason, "cannot write output \"out.gif\": No space left on device");
}

}  // namespace
}  // namespace pivra::imagelib
