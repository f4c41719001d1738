// Inputs that once crashed the BMP load or the JPEG reader, kept so they never
// do again: each must give a clean true or false and a consistent surface.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/RecordingNotifier.h"
#include "surface/JpegReader.h"

namespace pivra {
namespace {

TEST(SurfaceRegressions, InputsLoadOrFailCleanly) {
    for (const std::string kind : {"bmp", "jpeg"})
        for (const auto& entry : std::filesystem::directory_iterator(PIVRA_SURFACE_REGRESSIONS + ("/" + kind)))
            for (const std::int32_t factor : {1, 2, 4, 8}) {  // the fuzzer reads JPEGs at every factor
                const std::string path = entry.path().string();
                if (entry.path().filename().string()[0] == '.' || (kind == "bmp" && factor > 1)) continue;
                test::RecordingNotifier notifier;
                CDIBSection dib;
                const bool ok = kind == "bmp" ? dib.Load(path) : ReadJpegFile(dib, path, factor);
                // A failed BMP load always says so; a JPEG too large for a surface fails silently.
                EXPECT_EQ(notifier.shown.size(), ok || (kind == "jpeg" && notifier.shown.empty()) ? 0u : 1u) << path;
                EXPECT_TRUE(!dib.hDib() || (dib.dib_width() > 0 && dib.dib_height() > 0 && dib.hDib()->byteCount() ==
                                            static_cast<std::size_t>(dib.BytesPerScanLine()) * dib.dib_height()))
                    << path << " at factor " << factor;
            }
}

}  // namespace
}  // namespace pivra
