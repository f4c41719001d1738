// Small files that claim huge pictures cost only what they hold.
#include "ImageLibsTest.h"
#include "support/RegressionManifest.h"
#include "support/RunProcess.h"

namespace pivra::test {
namespace {

using Limits = ImageLibsTest;

// Each kept input in a child process that reports its peak resident size: one picture of the sizes
// some of them claim is 400 MB; loading the libraries stays well below the bound.
TEST_F(Limits, HugeClaimsCostOnlyWhatTheFileHolds) {
    for (const auto& [file, expected] : ReadManifest(PIVRA_IMAGELIB_REGRESSIONS)) {
        const ProcessResult run = RunProcess({std::string(PIVRA_TEST_DIR) + "/imagecmd_probe", "morphex",
                                              std::string(PIVRA_IMAGELIB_REGRESSIONS) + "/" + file, "-geometry",
                                              "48X48!", at("out.gif")});
        EXPECT_EQ(run.exitCode, expected.refused ? 1 : 0) << file << ": " << run.err;
        const long peakKiB = run.out.empty() ? -1 : std::stol(run.out);
        EXPECT_TRUE(peakKiB > 0 && peakKiB < 160 * 1024) << file << ": " << peakKiB << " KiB";
    }
}

}  // namespace
}  // namespace pivra::test
