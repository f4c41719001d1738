#pragma once
// pivra-make run as a user runs it, with its own $TMPDIR so that private
// working folders left behind are seen, and two pictures to build from.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/RunProcess.h"
#include "support/TempFolder.h"
#include "support/TestPictures.h"

namespace pivra::test {

inline const std::string kMake = std::string(PIVRA_BIN_DIR) + "/pivra-make";

// The names in a folder, hidden ones included.
inline std::set<std::string> NamesIn(const std::string& folder) {
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder, ec)) names.insert(e.path().filename().string());
    return names;
}

class PivraMakeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteSolidPicture(head, 64, 48, QColor(200, 40, 40)));
        ASSERT_TRUE(WriteSolidPicture(tail, 48, 64, QColor(40, 40, 200)));
    }
    std::vector<std::string> env() const { return {"TMPDIR=" + tmp.str()}; }
    ProcessResult make(std::vector<std::string> args, const std::string& program = kMake) {
        args.insert(args.begin(), program);
        return RunProcess(args, env());
    }
    std::unique_ptr<ChildProcess> start(std::vector<std::string> args) {
        args.insert(args.begin(), kMake);
        return std::make_unique<ChildProcess>(args, env());
    }
    // Only the two pictures (and whatever the test names) in the pictures' folder.
    void expectNothingElseIn(const std::set<std::string>& also = {}) {
        std::set<std::string> want{"head.png", "tail.jpg"};
        want.insert(also.begin(), also.end());
        EXPECT_EQ(NamesIn(dir.str()), want);
    }

    TempFolder dir{"make"};
    TempFolder tmp{"make-tmp"};
    const std::string head = dir / "head.png";
    const std::string tail = dir / "tail.jpg";
};

}  // namespace pivra::test
