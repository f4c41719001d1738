// The preview's per-tick work and the picture import at the largest face, 600 x 600.
#include <benchmark/benchmark.h>

#include <vector>

#include "PictureBytes.h"
#include "surface/DibSection.h"
#include "surface/JpegReader.h"

namespace {

constexpr std::int16_t kSide = 600;

void MakeFace(pivra::CDIBSection& face, std::int32_t side = kSide) {
    face.Create(side, side, 3);
    std::uint8_t* bits = face.DIBSectionBitsPtr();
    for (std::int32_t i = 0; i < face.BytesPerScanLine() * side; ++i) bits[i] = static_cast<std::uint8_t>(i * 7);
}

void BM_Rotate600(benchmark::State& state) {
    pivra::CDIBSection face, frame;
    MakeFace(face);
    const auto nPix = static_cast<std::int16_t>(state.range(0));
    for (auto _ : state) {
        face.rotate(frame, nPix, kSide);
        benchmark::DoNotOptimize(frame.DIBSectionBitsPtr());
    }
}
BENCHMARK(BM_Rotate600)->Arg(50)->Arg(300)->Arg(-550)->Arg(600)->Unit(benchmark::kMicrosecond);

void BM_CopyAndMask600(benchmark::State& state) {
    // The import's source is already 600 square; 450 makes Copy really stretch.
    pivra::CDIBSection source, face, mask;
    MakeFace(source, static_cast<std::int32_t>(state.range(0)));
    mask.Create(kSide, kSide, 3);
    for (auto _ : state) {
        source.Copy(face, kSide);
        face.Mask(mask);
        benchmark::DoNotOptimize(face.DIBSectionBitsPtr());
    }
}
BENCHMARK(BM_CopyAndMask600)->Arg(600)->Arg(450)->Unit(benchmark::kMicrosecond);

void BM_DecodeJpeg600(benchmark::State& state) {
    const std::vector<std::uint8_t> jpeg = pivra::test::EncodeJpeg(pivra::test::SmoothPicture(kSide, kSide));
    pivra::CDIBSection dib;
    for (auto _ : state) {
        const bool ok = pivra::DecodeJpegBuffer(dib, jpeg.data(), static_cast<std::int32_t>(jpeg.size()), 1);
        if (!ok) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(dib.DIBSectionBitsPtr());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(jpeg.size()));
}
BENCHMARK(BM_DecodeJpeg600)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
