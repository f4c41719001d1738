// Inputs that once crashed the BMP load or the JPEG reader, kept so they never
// do again. Each must give a clean true or false.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "support/RecordingNotifier.h"
#include "surface/JpegReader.h"

namespace pivra {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> Inputs(const char* kind) {
    std::vector<fs::path> files;
    const fs::path folder = fs::path(PIVRA_SURFACE_REGRESSIONS) / kind;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') files.push_back(entry.path());
    return files;
}

void ExpectConsistent(const CDIBSection& dib) {
    if (dib.hDib() == nullptr) return;
    EXPECT_GT(dib.dib_width(), 0);
    EXPECT_GT(dib.dib_height(), 0);
    EXPECT_EQ(dib.hDib()->byteCount(), static_cast<std::size_t>(dib.BytesPerScanLine()) * dib.dib_height());
}

TEST(SurfaceRegressions, BmpInputsLoadOrFailCleanly) {
    for (const fs::path& file : Inputs("bmp")) {
        SCOPED_TRACE(file.filename().string());
        test::RecordingNotifier notifier;
        CDIBSection dib;
        const bool loaded = dib.Load(file.string());
        EXPECT_EQ(notifier.shown.size(), loaded ? 0u : 1u);
        ExpectConsistent(dib);
    }
}

TEST(SurfaceRegressions, JpegInputsDecodeOrFailCleanly) {
    for (const fs::path& file : Inputs("jpeg")) {
        SCOPED_TRACE(file.filename().string());
        std::ifstream in(file, std::ios::binary);
        const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        test::RecordingNotifier notifier;
        CDIBSection dib;
        const bool decoded = DecodeJpegBuffer(dib, bytes.data(), static_cast<std::int32_t>(bytes.size()), 1);
        EXPECT_LE(notifier.shown.size(), decoded ? 0u : 1u);
        ExpectConsistent(dib);
    }
}

}  // namespace
}  // namespace pivra
