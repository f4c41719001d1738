// Inputs that once misbehaved, each with its outcome in regressions/expected.txt (checksum of the full-size read).
#include <gtest/gtest.h>

#include "support/RecordingNotifier.h"
#include "support/RegressionManifest.h"
#include "surface/JpegReader.h"

namespace pivra {
namespace {

TEST(SurfaceRegressions, KeptInputsGiveTheirRecordedOutcome) {
    const std::string folder = PIVRA_SURFACE_REGRESSIONS;
    const auto manifest = test::ReadManifest(folder);
    test::ExpectManifestMatchesFolder(manifest, folder);
    for (const auto& [file, expected] : manifest) {
        const std::string path = folder + "/" + file;
        const bool bmp = file.rfind("bmp/", 0) == 0;
        for (const std::int32_t factor : {1, 2, 4, 8}) {
            if (bmp && factor > 1) continue;
            test::RecordingNotifier notifier;
            CDIBSection dib;
            const bool loaded = bmp ? dib.Load(path) : ReadJpegFile(dib, path, factor);
            EXPECT_EQ(loaded, !expected.refused) << file << " at factor " << factor;
            if (!loaded) {
                const std::string said = notifier.shown.empty() ? "" : notifier.shown.front().prompt;
                EXPECT_NE(said.find(expected.detail), std::string::npos) << file << " said: " << said;
                continue;
            }
            const std::size_t size = static_cast<std::size_t>(dib.BytesPerScanLine()) * dib.dib_height();
            ASSERT_TRUE(dib.hDib() && dib.dib_width() > 0 && dib.dib_height() > 0 && dib.hDib()->byteCount() == size)
                << file;
            if (factor == 1) {
                EXPECT_EQ(test::PixelChecksum(dib.dib_width(), dib.dib_height(), dib.DIBSectionBitsPtr(), size),
                          expected.detail)
                    << file;
            }
        }
    }
}

}  // namespace
}  // namespace pivra
