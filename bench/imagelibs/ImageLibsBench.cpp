// Times of the image commands one build issues, through the shared libraries
// as the bridge calls them. Inputs are made here: a photo-like JPEG, the
// mask and white templates as MIFF, face and strip GIFs.
#include <benchmark/benchmark.h>

#include <QImage>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "ImageLibraries.h"

namespace {

using pivra::test::layerik;
using pivra::test::morphex;

std::string pad5(int n) {
    char text[16];
    std::snprintf(text, sizeof text, "%05d", n);
    return text;
}

void mustRun(const pivra::test::ImageCommandLibrary& library, const std::vector<std::string>& args) {
    if (library.run(args) != 0) throw std::runtime_error("command failed: " + library.lastError());
}

// A scratch folder holding one scale's templates, face and strips.
class Workspace {
public:
    explicit Workspace(int size) : size_(size) {
        dir_ = std::filesystem::temp_directory_path() / ("pivra-bench-" + std::to_string(size));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_ / "Images");

        QImage photo(640, 480, QImage::Format_RGB32);
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x)
                photo.setPixel(x, y, qRgb((x * 255 / 639 + ((x * 7 + y * 13) % 17)) % 256, y * 255 / 479,
                                          static_cast<int>(128 + 100 * std::sin((x + 2 * y) / 30.0))));
        photo.save(QString::fromStdString(path("photo.jpg")), "JPG", 90);

        QImage mask(size, size, QImage::Format_RGB32);
        mask.fill(Qt::black);
        const double r = size / 2.0 - 1;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                if (std::hypot(x + 0.5 - size / 2.0, y + 0.5 - size / 2.0) < r) mask.setPixel(x, y, qRgb(255, 255, 255));
        mask.save(QString::fromStdString(path("mask.png")), "PNG");
        QImage white(size, size, QImage::Format_RGB32);
        white.fill(Qt::white);
        white.save(QString::fromStdString(path("white.png")), "PNG");
        mustRun(morphex(), {path("mask.png"), path("mask.mif")});
        mustRun(morphex(), {path("white.png"), path("white.mif")});

        // The build's chain at full width gives every input the benchmarks need.
        const std::string geometry = std::to_string(size) + "X" + std::to_string(size) + "!";
        mustRun(morphex(), {path("photo.jpg"), "-geometry", geometry, path("ImagA.gif")});
        mustRun(morphex(), {path("mask.mif"), "-geometry", geometry, "-negate", path("temp1.gif")});
        mustRun(layerik(), {path("temp1.gif"), "-gravity", "center", path("white.mif"), path("temp2.gif")});
        mustRun(morphex(), {path("temp2.gif"), "-transparent", "white", path("M.gif")});
        mustRun(morphex(), {path("ImagA.gif"), "-geometry", geometry, path("face1.gif")});
        mustRun(layerik(), {path("face1.gif"), "-gravity", "center", path("white.mif"), path("A.gif")});
        mustRun(layerik(), {path("A.gif"), path("M.gif"), path("M.gif"), path("frame.gif")});
        for (int i = 0; i < 50; ++i)
            std::filesystem::copy_file(path("frame.gif"), dir_ / "Images" / (pad5(i) + ".gif"));
    }
    ~Workspace() { std::filesystem::remove_all(dir_); }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    std::string geometry() const { return std::to_string(size_) + "X" + std::to_string(size_) + "!"; }
    // A strip width of the middle of the turn: 7 of the 12 steps.
    std::string stripGeometry() const { return std::to_string(size_ * 7 / 12) + "X" + std::to_string(size_) + "!"; }

private:
    int size_;
    std::filesystem::path dir_;
};

Workspace& workspace(int size) {
    static Workspace small(192), large(600);
    return size == 192 ? small : large;
}

void runEach(benchmark::State& state, const pivra::test::ImageCommandLibrary& library,
             const std::vector<std::string>& args) {
    for (auto _ : state) mustRun(library, args);
}

void BM_ResizeNegateMask(benchmark::State& state) {
    Workspace& w = workspace(static_cast<int>(state.range(0)));
    runEach(state, morphex(), {w.path("mask.mif"), "-geometry", w.stripGeometry(), "-negate", w.path("out.gif")});
}

void BM_CenterMaskOnWhite(benchmark::State& state) {
    Workspace& w = workspace(static_cast<int>(state.range(0)));
    runEach(state, layerik(), {w.path("temp1.gif"), "-gravity", "center", w.path("white.mif"), w.path("out.gif")});
}

void BM_TransparentWhite(benchmark::State& state) {
    Workspace& w = workspace(static_cast<int>(state.range(0)));
    runEach(state, morphex(), {w.path("temp2.gif"), "-transparent", "white", w.path("out.gif")});
}

void BM_ResizeFaceGif(benchmark::State& state) {
    Workspace& w = workspace(static_cast<int>(state.range(0)));
    runEach(state, morphex(), {w.path("ImagA.gif"), "-geometry", w.stripGeometry(), w.path("out.gif")});
}

void BM_CenterFaceOnWhite(benchmark::State& state) {
    Workspace& w = workspace(static_cast<int>(state.range(0)));
    runEach(state, layerik(), {w.path("face1.gif"), "-gravity", "center", w.path("white.mif"), w.path("out.gif")});
}

void BM_MaskComposite(benchmark::State& state) {
    Workspace& w = workspace(static_cast<int>(state.range(0)));
    runEach(state, layerik(), {w.path("A.gif"), w.path("M.gif"), w.path("M.gif"), w.path("out.gif")});
}

void BM_BlankFrame(benchmark::State& state) {
    Workspace& w = workspace(static_cast<int>(state.range(0)));
    runEach(state, morphex(), {w.path("white.mif"), "-transparent", "white", w.path("out.gif")});
}

void BM_FaceCopyFromJpeg(benchmark::State& state) {
    Workspace& w = workspace(static_cast<int>(state.range(0)));
    runEach(state, morphex(), {w.path("photo.jpg"), "-geometry", w.geometry(), w.path("out.gif")});
}

void BM_Assemble50Frames(benchmark::State& state) {
    Workspace& w = workspace(static_cast<int>(state.range(0)));
    runEach(state, morphex(),
            {w.path("Images") + "/*.gif", "-compress", "LZW", "-delay", "6", "-dispose", "background", "-loop", "0",
             w.path("pivra.gif")});
}

#define PIVRA_SIZES ->Arg(192)->Arg(600)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_ResizeNegateMask) PIVRA_SIZES;
BENCHMARK(BM_CenterMaskOnWhite) PIVRA_SIZES;
BENCHMARK(BM_TransparentWhite) PIVRA_SIZES;
BENCHMARK(BM_ResizeFaceGif) PIVRA_SIZES;
BENCHMARK(BM_CenterFaceOnWhite) PIVRA_SIZES;
BENCHMARK(BM_MaskComposite) PIVRA_SIZES;
BENCHMARK(BM_BlankFrame) PIVRA_SIZES;
BENCHMARK(BM_FaceCopyFromJpeg) PIVRA_SIZES;
BENCHMARK(BM_Assemble50Frames) PIVRA_SIZES;

}  // namespace

BENCHMARK_MAIN();
