#pragma once
// pivra-make run as a user runs it, with its own $TMPDIR (so private working
// folders left behind are seen) and two pictures to build from.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "support/ChildProcess.h"
#include "support/FileContents.h"
#include "support/GoldenCommands.h"
#include "support/RunProcess.h"
#include "support/TempFolder.h"
#include "support/TestPictures.h"

namespace pivra::test {

inline const std::string kMake = std::string(PIVRA_BIN_DIR) + "/pivra-make";

inline std::set<std::string> NamesIn(const std::string& folder) {  // hidden ones included
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
    static std::vector<std::string> withMake(std::vector<std::string> args) {
        args.insert(args.begin(), kMake);
        return args;
    }
    ProcessResult make(const std::vector<std::string>& args) { return RunProcess(withMake(args), env()); }
    std::unique_ptr<ChildProcess> start(const std::vector<std::string>& args) {
        return std::make_unique<ChildProcess>(withMake(args), env());
    }
    // The commands a --trace run printed, and the golden list for its private working folder `app`.
    static std::vector<CommandLine> Traced(const std::string& out) {
        std::istringstream lines(out);
        std::vector<CommandLine> trace;
        for (std::string line; std::getline(lines, line);) trace.push_back(MaskTemporaryName(SplitTraceLine(line)));
        return trace;
    }
    std::vector<CommandLine> golden(const std::string& app) const {
        return GoldenCommandsAtScale16({{"{APP}", app}, {"{INSTALL}", app}, {"{HEAD}", head}, {"{TAIL}", tail}});
    }
    static std::string AppOf(const std::vector<CommandLine>& trace) {  // from the first template's copy
        const std::string& first = trace.at(0).at(1);
        return first.substr(0, first.size() - std::string("pre_mask.bmp").size());
    }

    TempFolder dir{"make"}, tmp{"make-tmp"};
    const std::string head = dir / "head.png", tail = dir / "tail.jpg";
};

}  // namespace pivra::test
