// Inputs that once misbehaved in the image libraries (found by fuzzing or by users), kept with their
// outcome in regressions/expected.txt: refused with a reason, or decoded to these pixels. The whole
// resize command must agree with the decode, or give the reason kept for it.
#include <gtest/gtest.h>
#include <unistd.h>

#include "CommandError.h"
#include "ConvertCommand.h"
#include "FileBytes.h"
#include "PictureDecoder.h"
#include "support/RegressionManifest.h"

namespace pivra::imagelib {
namespace {

TEST(ImageLibRegressions, KeptInputsGiveTheirRecordedOutcome) {
    const std::string folder = PIVRA_IMAGELIB_REGRESSIONS;
    const auto manifest = test::ReadManifest(folder);
    test::ExpectManifestMatchesFolder(manifest, folder);
    const std::string output = ::testing::TempDir() + "regression-" + std::to_string(::getpid()) + ".gif";
    for (const auto& [file, expected] : manifest) {
        const std::string path = folder + "/" + file;
        std::string reason, pixels, commandReason;
        try {
            const Picture picture = decodeFirstFrame(readInputFile(path), file);
            pixels = test::PixelChecksum(picture.width, picture.height, picture.rgba.data(), picture.rgba.size());
        } catch (const CommandError& e) {
            reason = e.what();
        }
        try {
            convertCommand({path, "-geometry", "48X48!", output});
        } catch (const CommandError& e) {
            commandReason = e.what();
        }
        if (expected.refused) {
            const std::size_t split = expected.detail.find(" // ");
            const std::string forDecode = expected.detail.substr(0, split);
            const std::string forCommand = split == std::string::npos ? forDecode : expected.detail.substr(split + 4);
            EXPECT_NE(reason.find(forDecode), std::string::npos) << file << ": " << reason;
            EXPECT_NE(commandReason.find(forCommand), std::string::npos) << file << ": " << commandReason;
        } else {
            EXPECT_EQ(pixels, expected.detail) << file << ": " << reason;
            EXPECT_EQ(commandReason, "") << file;
        }
    }
    std::remove(output.c_str());
}

}  // namespace
}  // namespace pivra::imagelib
