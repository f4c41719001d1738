// Whole pivra-make runs as a user would see them: wall time and peak memory
// of the process, for the sample pictures at scales 1, 16 and 50 (the quick
// path and, for comparison, the plain path of the image libraries) and for
// phone-sized photo pairs made here (24 MP at scale 16, 48 MP at scale 50),
// and the 24 MP pair as a phone may also keep it: stored turned with EXIF
// orientation 6, and as HEIC.
// Runs are interleaved so that a busy machine hurts every case alike. Then
// each call of a scale-50 build on its own, replayed through the libraries:
// the longest call and the animation.
//
//   bench_pivra_make [BIN_DIR] [REPEATS]     (make bench)
//   bench_pivra_make BIN_DIR REPEATS large   (photos too large to decode whole, on every core and on one)
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <spawn.h>
#include <unistd.h>

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <libheif/heif.h>
#include <tiffio.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

struct Run {
    double seconds = 0;
    long maxRssKb = 0;
    int exitCode = -1;
    std::string out;
};

// Runs argv with extra "NAME=value" entries in its environment; stdout kept when asked.
Run runOnce(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv = {},
            const std::string& stdoutFile = "") {
    std::vector<std::string> env(extraEnv);
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    std::vector<char*> argv, envp;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!stdoutFile.empty())
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, stdoutFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    Run run;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return run;
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.maxRssKb = usage.ru_maxrss;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// A photo-like picture: gradients, waves and grain, so JPEG has work to do.
bool writePhoto(const std::string& path, int width, int height, int seed) {
    QImage image(width, height, QImage::Format_RGB32);
    std::uint32_t noise = static_cast<std::uint32_t>(seed) * 2654435761u;
    for (int y = 0; y < height; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            noise = noise * 1103515245u + 12345u;
            const int grain = static_cast<int>(noise >> 28) - 8;
            line[x] = qRgb(std::clamp(x * 255 / width + grain, 0, 255), std::clamp(y * 255 / height + grain, 0, 255),
                           std::clamp(int(128 + 90 * std::sin((x + seed * y) / 300.0)) + grain, 0, 255));
        }
    }
    return image.save(QString::fromStdString(path), "JPG", 88);
}

// The same photo stored turned anticlockwise, with the EXIF Orientation 6 that turns it back: a JPEG
// whose APP1 follows Qt's JFIF segment.
bool writeTurnedPhoto(const std::string& path, int width, int height, int seed) {
    if (!writePhoto(path, width, height, seed)) return false;
    QImage turned = QImage(QString::fromStdString(path)).transformed(QTransform().rotate(-90));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    if (!turned.save(&buffer, "JPG", 88)) return false;
    const char app1[] = {'\xFF', '\xE1', 0, 34, 'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0,
                         1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0, 0, 0, 0, 0};
    const int afterJfif = 4 + (static_cast<unsigned char>(jpeg[4]) << 8 | static_cast<unsigned char>(jpeg[5]));
    jpeg.insert(afterJfif, app1, sizeof app1);
    std::ofstream(path, std::ios::binary).write(jpeg.constData(), jpeg.size());
    return true;
}

// The same photo as HEIC, written by libheif's x265 at its fastest preset (the bench waits for it).
bool writeHeicPhoto(const std::string& path, int width, int height, int seed, int thumbnail = 0) {
    const std::string jpeg = path + ".jpg";
    if (!writePhoto(jpeg, width, height, seed)) return false;
    const QImage image = QImage(QString::fromStdString(jpeg)).convertToFormat(QImage::Format_RGB888);
    fs::remove(jpeg);
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    heif_image* picture = nullptr;
    bool ok = heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder).code == heif_error_Ok;
    if (ok) {
        heif_encoder_set_lossy_quality(encoder, 80);
        heif_encoder_set_parameter(encoder, "preset", "ultrafast");
        heif_image_create(width, height, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &picture);
        heif_image_add_plane(picture, heif_channel_interleaved, width, height, 8);
        int stride = 0;
        std::uint8_t* rows = heif_image_get_plane(picture, heif_channel_interleaved, &stride);
        for (int y = 0; y < height; ++y) std::copy_n(image.constScanLine(y), width * 3, rows + std::ptrdiff_t(y) * stride);
        heif_image_handle* handle = nullptr;
        ok = heif_context_encode_image(context, picture, encoder, nullptr, &handle).code == heif_error_Ok;
        // A thumbnail as phones keep one, that many pixels along the longer side.
        if (ok && thumbnail > 0)
            ok = heif_context_encode_thumbnail(context, picture, handle, encoder, nullptr, thumbnail, nullptr).code == heif_error_Ok;
        if (handle) heif_image_handle_release(handle);
        ok = ok && heif_context_write_to_file(context, path.c_str()).code == heif_error_Ok;
        heif_image_release(picture);
        heif_encoder_release(encoder);
    }
    heif_context_free(context);
    return ok;
}

// The same photo as PNG (Qt's, fastest compression) or as a TIFF in 256-pixel tiles (libtiff, deflate).
bool writeLosslessPhoto(const std::string& path, int width, int height, int seed, bool tiff) {
    const std::string jpeg = path + ".jpg";
    if (!writePhoto(jpeg, width, height, seed)) return false;
    const QImage image = QImage(QString::fromStdString(jpeg)).convertToFormat(QImage::Format_RGB888);
    fs::remove(jpeg);
    if (!tiff) return image.save(QString::fromStdString(path), "PNG", 100);
    TIFF* t = TIFFOpen(path.c_str(), "w");
    if (!t) return false;
    const int side = 256;
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
    TIFFSetField(t, TIFFTAG_TILEWIDTH, side);
    TIFFSetField(t, TIFFTAG_TILELENGTH, side);
    std::vector<std::uint8_t> tile(side * side * 3);
    bool ok = true;
    for (int ty = 0; ty < height; ty += side)
        for (int tx = 0; tx < width; tx += side) {
            std::fill(tile.begin(), tile.end(), 0);
            for (int y = 0; y < side && ty + y < height; ++y)
                std::copy_n(image.constScanLine(ty + y) + tx * 3, std::min(side, width - tx) * 3, &tile[y * side * 3]);
            ok = ok && TIFFWriteTile(t, tile.data(), tx, ty, 0, 0) >= 0;
        }
    TIFFClose(t);
    return ok;
}

struct Case {
    std::string label;
    std::string head, tail;
    int scale;
    bool plain;
    std::vector<Run> runs;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::vector<std::string> linesOf(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Photos too large to decode whole as the head (the sample tail beside it), each run on every
// core and pinned to one (taskset -c 0), interleaved: wall time and peak memory beside the file's size.
int largePhotos(const std::string& bin, int repeats, const fs::path& scratch,
                const std::function<bool(const std::string&, int, int, int, const char*)>& photo) {
    std::printf("making the photos (24 MP PNG, 30 MP TIFF in tiles, 48 MP HEIC with and without a thumbnail, 24 MP HEIC pair)...\n");
    const std::string png = (scratch / "head24.png").string(), tiff = (scratch / "head30.tif").string();
    const std::string heic = (scratch / "head48.heic").string(), thumbed = (scratch / "head48-thumb.heic").string();
    const std::string h24a = (scratch / "head24.heic").string(), h24b = (scratch / "tail24.heic").string();
    if (!photo(png, 6000, 4000, 1, "png") || !photo(tiff, 6708, 4472, 2, "tiff") || !photo(heic, 8000, 6000, 3, "heic") ||
        !photo(thumbed, 8000, 6000, 3, "heic-thumb") || !photo(h24a, 6000, 4000, 1, "heic") ||
        !photo(h24b, 6000, 4000, 2, "heic")) {
        std::fprintf(stderr, "cannot write the photos in %s\n", scratch.c_str());
        return 1;
    }
    const std::string tail = bin + "/sample_tail.jpg", out = (scratch / "out.gif").string();
    struct Large {
        std::string label, head, tail;
        std::vector<Run> runs[2];  // every core, one core
    };
    std::vector<Large> cases = {{"24 MP PNG head", png, tail, {}},
                                {"30 MP TIFF head", tiff, tail, {}},
                                {"48 MP HEIC head", heic, tail, {}},
                                {"48 MP HEIC head, thumbnail", thumbed, tail, {}},
                                {"24 MP HEIC pair", h24a, h24b, {}}};
    int failures = 0;
    for (int i = 0; i < repeats; ++i)
        for (Large& c : cases)
            for (int pinned : {0, 1}) {
                std::vector<std::string> args{bin + "/pivra-make", c.head, c.tail, out, "--scale", "16", "--quiet"};
                if (pinned) args.insert(args.begin(), {"/usr/bin/taskset", "-c", "0"});
                c.runs[pinned].push_back(runOnce(args));
                failures += c.runs[pinned].back().exitCode != 0;
            }
    std::printf("\nscale 16, %d interleaved runs each; medians\n", repeats);
    std::printf("%-28s %10s %12s %12s %14s\n", "case", "file MB", "all cores s", "one core s", "peak RSS MB");
    for (const Large& c : cases) {
        double seconds[2];
        long peak = 0;
        for (int pinned : {0, 1}) {
            std::vector<double> s;
            for (const Run& r : c.runs[pinned]) s.push_back(r.seconds), peak = std::max(peak, r.maxRssKb);
            seconds[pinned] = median(s);
        }
        std::printf("%-28s %10.1f %12.3f %12.3f %14.1f\n", c.label.c_str(), fs::file_size(c.head) / 1048576.0, seconds[0],
                    seconds[1], peak / 1024.0);
    }
    fs::remove_all(scratch);
    if (failures) std::printf("%d run(s) failed\n", failures);
    return failures ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    // The photos are drawn in a child of their own: a child's peak memory
    // counts whatever its parent held when it started.
    if (argc == 7 && std::string(argv[1]) == "--photo") {
        QImageReader::setAllocationLimit(0);  // a 48 MP photo is read back whole
        const std::string kind = argv[6];
        const int width = std::atoi(argv[3]), height = std::atoi(argv[4]), seed = std::atoi(argv[5]);
        const bool ok = kind == "heic"         ? writeHeicPhoto(argv[2], width, height, seed)
                        : kind == "heic-thumb" ? writeHeicPhoto(argv[2], width, height, seed, 512)
                        : kind == "png"        ? writeLosslessPhoto(argv[2], width, height, seed, false)
                        : kind == "tiff"       ? writeLosslessPhoto(argv[2], width, height, seed, true)
                        : kind == "turned"     ? writeTurnedPhoto(argv[2], width, height, seed)
                                               : writePhoto(argv[2], width, height, seed);
        return ok ? 0 : 1;
    }
    const std::string bin = argc > 1 ? argv[1] : PIVRA_BIN_DIR;
    const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    const fs::path scratch = fs::temp_directory_path() / ("pivra-bench-" + std::to_string(::getpid()));
    fs::create_directories(scratch);
    const std::string out = (scratch / "out.gif").string();
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    auto photo = [&](const std::string& path, int width, int height, int seed, const char* kind = "jpeg") {
        return runOnce({self, "--photo", path, std::to_string(width), std::to_string(height), std::to_string(seed), kind})
                   .exitCode == 0;
    };
    if (argc > 3 && std::string(argv[3]) == "large") return largePhotos(bin, repeats, scratch, photo);

    std::printf("making the photo pairs (24 MP and 48 MP JPEGs, 24 MP turned and HEIC)...\n");
    const std::string p24a = (scratch / "head24.jpg").string(), p24b = (scratch / "tail24.jpg").string();
    const std::string p48a = (scratch / "head48.jpg").string(), p48b = (scratch / "tail48.jpg").string();
    const std::string t24a = (scratch / "head24-turned.jpg").string(), t24b = (scratch / "tail24-turned.jpg").string();
    const std::string h24a = (scratch / "head24.heic").string(), h24b = (scratch / "tail24.heic").string();
    if (!photo(p24a, 6000, 4000, 1) || !photo(p24b, 6000, 4000, 2) || !photo(p48a, 8000, 6000, 3) ||
        !photo(p48b, 8000, 6000, 4) || !photo(t24a, 6000, 4000, 1, "turned") || !photo(t24b, 6000, 4000, 2, "turned") ||
        !photo(h24a, 6000, 4000, 1, "heic") || !photo(h24b, 6000, 4000, 2, "heic")) {
        std::fprintf(stderr, "cannot write the photo pairs in %s\n", scratch.c_str());
        return 1;
    }

    const std::string head = bin + "/sample_head.jpg", tail = bin + "/sample_tail.jpg";
    std::vector<Case> cases = {
        {"samples, scale 1", head, tail, 1, false, {}},        {"samples, scale 16", head, tail, 16, false, {}},
        {"samples, scale 50", head, tail, 50, false, {}},      {"24 MP pair, scale 16", p24a, p24b, 16, false, {}},
        {"24 MP turned, scale 16", t24a, t24b, 16, false, {}}, {"24 MP HEIC, scale 16", h24a, h24b, 16, false, {}},
        {"48 MP pair, scale 50", p48a, p48b, 50, false, {}},   {"plain: samples, scale 1", head, tail, 1, true, {}},
        {"plain: samples, scale 16", head, tail, 16, true, {}}, {"plain: samples, scale 50", head, tail, 50, true, {}}};
    int failures = 0;
    for (int i = 0; i < repeats; ++i)
        for (Case& c : cases) {
            c.runs.push_back(runOnce({bin + "/pivra-make", c.head, c.tail, out, "--scale", std::to_string(c.scale), "--quiet"},
                                     {std::string("PIVRA_IMAGELIB_PLAIN=") + (c.plain ? "1" : "0")}));
            failures += c.runs.back().exitCode != 0;
        }

    std::printf("\nwhole pivra-make runs, %d interleaved runs each\n", repeats);
    std::printf("%-26s %8s %10s %8s %13s\n", "case", "min s", "median s", "max s", "peak RSS MB");
    for (const Case& c : cases) {
        std::vector<double> seconds;
        long peak = 0;
        for (const Run& r : c.runs) {
            seconds.push_back(r.seconds);
            peak = std::max(peak, r.maxRssKb);
        }
        std::printf("%-26s %8.3f %10.3f %8.3f %13.1f\n", c.label.c_str(), *std::min_element(seconds.begin(), seconds.end()),
                    median(seconds), *std::max_element(seconds.begin(), seconds.end()), peak / 1024.0);
    }

    // What the photo formats cost beside the plain JPEG pair.
    auto medianOf = [&](const std::string& label) {
        for (const Case& c : cases)
            if (c.label == label) {
                std::vector<double> seconds;
                for (const Run& r : c.runs) seconds.push_back(r.seconds);
                return median(seconds);
            }
        return 0.0;
    };
    const double jpegPair = medianOf("24 MP pair, scale 16");
    std::printf("%-26s %8.2f x the 24 MP JPEG pair\n", "turned (orientation 6)", medianOf("24 MP turned, scale 16") / jpegPair);
    std::printf("%-26s %8.2f x the 24 MP JPEG pair\n", "HEIC", medianOf("24 MP HEIC, scale 16") / jpegPair);

    // Each call of a scale-50 build, timed on its own by the replay tool.
    const std::string replay = PIVRA_REPLAY, calls = (scratch / "calls.txt").string();
    const fs::path work = scratch / "work";
    const Run traced = runOnce({bin + "/pivra-make", head, tail, out, "--scale", "50", "--workdir", work.string(), "--trace",
                                "--quiet"}, {}, calls);
    if (traced.exitCode != 0 || !fs::exists(replay)) {
        std::printf("\n(no per-call figures: %s)\n", fs::exists(replay) ? "the traced build failed" : "no replay tool");
    } else {
        std::vector<double> longest, animation;
        std::string longestCall;
        for (int i = 0; i < repeats; ++i) {
            fs::remove_all(work / "Images");
            fs::remove_all(work / "Masks");
            const std::string times = (scratch / "times.txt").string();
            if (runOnce({replay, calls, (scratch / "snapshots").string(), "--times"}, {}, times).exitCode != 0) {
                ++failures;
                continue;
            }
            double worst = 0;
            for (const std::string& line : linesOf(times)) {
                const double ms = std::atof(line.c_str());
                if (line.find("Images/*.gif") != std::string::npos) animation.push_back(ms);
                if (ms > worst) {
                    worst = ms;
                    longestCall = line.substr(line.find("ms") + 4, 90);
                }
            }
            longest.push_back(worst);
        }
        if (!longest.empty()) {
            std::printf("\ncalls of a scale-50 build, %zu replays\n", longest.size());
            std::printf("%-26s %8.1f ms min %8.1f ms median\n", "longest call", *std::min_element(longest.begin(), longest.end()),
                        median(longest));
            std::printf("%-26s %8.1f ms min %8.1f ms median\n", "the 50-frame animation",
                        *std::min_element(animation.begin(), animation.end()), median(animation));
            std::printf("(last longest: %s)\n", longestCall.c_str());
        }
    }
    fs::remove_all(scratch);
    if (failures) std::printf("%d run(s) failed\n", failures);
    return failures ? 1 : 0;
}
