// Pictures too large to decode whole, read while they shrink for the resize that follows: a
// 24-megapixel PNG (and an interlaced one), 20-megapixel TIFFs in tiles and in strips (one stored turned),
// 56-megapixel GIFs (one interlaced),
// each against the block means of the pixels they were written with; a 30-megapixel HEIC read
// through the thumbnail it keeps, against libheif's own decode of that thumbnail; a 36-megapixel
// WebP through libwebp's scaled decode. And for every
// format a header claiming more than the limits, refused at once with the limits in the reason.
#include <gtest/gtest.h>
#include <libheif/heif.h>
#include <gif_lib.h>
#include <png.h>
#include <tiffio.h>
#include <unistd.h>
#include <wand/MagickWand.h>
#include <webp/encode.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <fstream>
#include <iterator>

#include "CommandError.h"
#include "FileBytes.h"
#include "MagickSession.h"
#include "PictureDecoder.h"

namespace pivra::imagelib {
namespace {

// The written pictures' pixels: gradients, a fine stripe and a checkerboard of odd sizes, so that
// a block taken from the wrong place or in the wrong order shows.
void Pattern(int x, int y, std::uint8_t* p) {
    p[0] = static_cast<std::uint8_t>((x * 255 / 7000) ^ (y & 15));
    p[1] = static_cast<std::uint8_t>(y * 255 / 7000);
    p[2] = ((x / 97) + (y / 89)) % 2 ? 220 : 30;
}

std::string TempPath(const std::string& name) { return ::testing::TempDir() + std::to_string(::getpid()) + "-" + name; }

std::vector<std::uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::uint8_t> WritePng(int w, int h, bool interlaced) {
    const std::string path = TempPath("big.png");
    std::FILE* f = std::fopen(path.c_str(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_compression_level(png, 1);
    png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGB, interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const int passes = png_set_interlace_handling(png);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(w) * 3);
    for (int pass = 0; pass < passes; ++pass)
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) Pattern(x, y, &row[static_cast<std::size_t>(x) * 3]);
            png_write_row(png, row.data());
        }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    std::vector<std::uint8_t> bytes = FileBytes(path);
    std::remove(path.c_str());
    return bytes;
}

// Tiles of 256 (the last ones cut short) or strips of 16 rows; stored with an orientation tag.
std::vector<std::uint8_t> WriteTiff(int w, int h, bool tiled, int orientation) {
    const std::string path = TempPath("big.tif");
    TIFF* t = TIFFOpen(path.c_str(), "w");
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
    TIFFSetField(t, TIFFTAG_ORIENTATION, orientation);
    if (tiled) {
        const int side = 256;
        TIFFSetField(t, TIFFTAG_TILEWIDTH, side);
        TIFFSetField(t, TIFFTAG_TILELENGTH, side);
        std::vector<std::uint8_t> tile(side * side * 3);
        for (int ty = 0; ty < h; ty += side)
            for (int tx = 0; tx < w; tx += side) {
                for (int y = 0; y < side; ++y)
                    for (int x = 0; x < side; ++x) Pattern(tx + x, ty + y, &tile[(y * side + x) * 3]);
                TIFFWriteTile(t, tile.data(), tx, ty, 0, 0);
            }
    } else {
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 16);
        std::vector<std::uint8_t> row(static_cast<std::size_t>(w) * 3);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) Pattern(x, y, &row[static_cast<std::size_t>(x) * 3]);
            TIFFWriteScanline(t, row.data(), y, 0);
        }
    }
    TIFFClose(t);
    std::vector<std::uint8_t> bytes = FileBytes(path);
    std::remove(path.c_str());
    return bytes;
}

// 56 megapixels, interlaced or not, by giflib; its colour table the first 256 of the pattern's
// colours along a diagonal, each pixel the entry of its own diagonal.
int GifIndex(int x, int y) { return (x / 31 + y / 29) % 256; }
void GifPattern(int x, int y, std::uint8_t* p) { Pattern(GifIndex(x, y) * 27, GifIndex(x, y) * 17, p); }

std::vector<std::uint8_t> WriteGif(int w, int h, bool interlaced) {
    const std::string path = TempPath("big.gif");
    int error = 0;
    GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
    ColorMapObject* map = GifMakeMapObject(256, nullptr);
    for (int i = 0; i < 256; ++i) {
        std::uint8_t p[3];
        Pattern(i * 27, i * 17, p);
        map->Colors[i] = GifColorType{p[0], p[1], p[2]};
    }
    EGifPutScreenDesc(gif, w, h, 8, 0, map);
    EGifPutImageDesc(gif, 0, 0, w, h, interlaced, nullptr);
    std::vector<GifPixelType> line(static_cast<std::size_t>(w));
    static const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
    for (int pass = 0; pass < (interlaced ? 4 : 1); ++pass)
        for (int y = interlaced ? start[pass] : 0; y < h; y += interlaced ? step[pass] : 1) {
            for (int x = 0; x < w; ++x) line[static_cast<std::size_t>(x)] = static_cast<GifPixelType>(GifIndex(x, y));
            EGifPutLine(gif, line.data(), w);
        }
    GifFreeMapObject(map);
    EGifCloseFile(gif, &error);
    std::vector<std::uint8_t> bytes = FileBytes(path);
    std::remove(path.c_str());
    return bytes;
}

// The mean of each d x d block of the pattern, rounded, as a w x h picture shrinks.
Picture BlockMeans(int w, int h, int d, void (*pattern)(int, int, std::uint8_t*) = Pattern) {
    Picture out((w + d - 1) / d, (h + d - 1) / d);
    for (int oy = 0; oy < out.height; ++oy)
        for (int ox = 0; ox < out.width; ++ox) {
            long sum[3] = {0, 0, 0}, n = 0;
            for (int y = oy * d; y < std::min(h, oy * d + d); ++y)
                for (int x = ox * d; x < std::min(w, ox * d + d); ++x, ++n) {
                    std::uint8_t p[3];
                    pattern(x, y, p);
                    for (int c = 0; c < 3; ++c) sum[c] += p[c];
                }
            std::uint8_t* q = out.pixel(ox, oy);
            for (int c = 0; c < 3; ++c) q[c] = static_cast<std::uint8_t>((sum[c] + n / 2) / n);
            q[3] = 255;
        }
    return out;
}

// Turned a quarter clockwise, as EXIF and TIFF orientation 6 asks.
Picture TurnedClockwise(const Picture& in) {
    Picture out(in.height, in.width);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) std::memcpy(out.pixel(x, y), in.pixel(y, in.height - 1 - x), 4);
    return out;
}

// Every channel of every pixel within one step.
void ExpectClose(const Picture& got, const Picture& want) {
    ASSERT_EQ(std::make_pair(got.width, got.height), std::make_pair(want.width, want.height));
    int worst = 0;
    for (std::size_t i = 0; i < got.rgba.size(); ++i) worst = std::max(worst, std::abs(got.rgba[i] - want.rgba[i]));
    EXPECT_LE(worst, 1);
}

// A face of 192 x 192: the largest whole factor leaving at least 384 each way.
const ResizeGeometry kFace{192, 192, true, false};

TEST(LargePictures, PngsAndTiffsTooLargeToDecodeWholeShrinkWhileTheyAreRead) {
    struct Case {
        std::string name;
        std::function<std::vector<std::uint8_t>()> write;
        int w, h, d;
        bool turned;
        void (*pattern)(int, int, std::uint8_t*) = Pattern;
    };
    const Case cases[] = {
        {"24 MP PNG", [] { return WritePng(6000, 4000, false); }, 6000, 4000, 10, false},
        {"20 MP interlaced PNG", [] { return WritePng(5000, 4000, true); }, 5000, 4000, 10, false},
        {"20 MP TIFF in tiles", [] { return WriteTiff(5200, 3900, true, ORIENTATION_TOPLEFT); }, 5200, 3900, 10, false},
        {"20 MP TIFF in strips, stored turned", [] { return WriteTiff(5000, 4000, false, ORIENTATION_RIGHTTOP); }, 5000, 4000, 10, true},
        {"56 MP GIF", [] { return WriteGif(8000, 7000, false); }, 8000, 7000, 18, false, GifPattern},
        {"56 MP interlaced GIF", [] { return WriteGif(8000, 7000, true); }, 8000, 7000, 18, false, GifPattern},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::uint8_t> bytes = c.write();
        // Whole, it is refused as it always was.
        EXPECT_THROW(decodeFirstFrame(bytes, c.name), CommandError);
        const Picture shrunk = decodeFirstFrame(bytes, c.name, kFace);
        const Picture means = BlockMeans(c.w, c.h, c.d, c.pattern);
        ExpectClose(shrunk, c.turned ? TurnedClockwise(means) : means);
    }
}

// A still WebP of 36 megapixels (libwebp's fastest lossy method), decoded by libwebp's own
// rescaler for the face: against the block means, within what lossy coding and another filter
// change (a mean difference of a few steps; the checkerboard a block off would make it tens).
TEST(LargePictures, AWebpTooLargeToDecodeWholeIsDecodedScaled) {
    const int w = 8000, h = 4500;
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) Pattern(x, y, &rgb[(static_cast<std::size_t>(y) * w + x) * 3]);
    WebPConfig config;
    ASSERT_TRUE(WebPConfigInit(&config));
    config.method = 0;
    WebPPicture picture;
    ASSERT_TRUE(WebPPictureInit(&picture));
    picture.width = w, picture.height = h;
    ASSERT_TRUE(WebPPictureImportRGB(&picture, rgb.data(), w * 3));
    rgb = {};
    WebPMemoryWriter writer;
    WebPMemoryWriterInit(&writer);
    picture.writer = WebPMemoryWrite, picture.custom_ptr = &writer;
    ASSERT_TRUE(WebPEncode(&config, &picture));
    WebPPictureFree(&picture);
    const std::vector<std::uint8_t> bytes(writer.mem, writer.mem + writer.size);
    WebPMemoryWriterClear(&writer);

    EXPECT_THROW(decodeFirstFrame(bytes, "big.webp"), CommandError);
    const Picture scaled = decodeFirstFrame(bytes, "big.webp", kFace);
    const Picture means = BlockMeans(w, h, 11);
    ASSERT_EQ(std::make_pair(scaled.width, scaled.height), std::make_pair(means.width, means.height));
    double difference = 0;
    for (std::size_t i = 0; i < scaled.rgba.size(); ++i) difference += std::abs(scaled.rgba[i] - means.rgba[i]);
    EXPECT_LT(difference / static_cast<double>(scaled.rgba.size()), 8.0);  // a block off would be tens
}

struct HeifFree {
    void operator()(heif_context* c) const { heif_context_free(c); }
    void operator()(heif_image* i) const { heif_image_release(i); }
    void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
    void operator()(heif_encoder* e) const { heif_encoder_release(e); }
};

std::unique_ptr<heif_image, HeifFree> HeifPicture(int w, int h, const std::function<void(int, int, std::uint8_t*)>& colour) {
    heif_image* image = nullptr;
    heif_image_create(w, h, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image);
    heif_image_add_plane(image, heif_channel_interleaved, w, h, 8);
    int stride = 0;
    std::uint8_t* rows = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) colour(x, y, rows + y * stride + x * 3);
    return std::unique_ptr<heif_image, HeifFree>(image);
}

TEST(LargePictures, AHeicTooLargeToDecodeWholeIsReadFromTheThumbnailItKeeps) {
    std::unique_ptr<heif_context, HeifFree> context(heif_context_alloc());
    heif_encoder* rawEncoder = nullptr;
    ASSERT_EQ(heif_context_get_encoder_for_format(context.get(), heif_compression_HEVC, &rawEncoder).code, heif_error_Ok);
    std::unique_ptr<heif_encoder, HeifFree> encoder(rawEncoder);
    heif_encoder_set_lossy_quality(encoder.get(), 50);
    heif_encoder_set_parameter(encoder.get(), "preset", "ultrafast");
    // A flat grey photo of 30 megapixels; a thumbnail of its own, red above and blue below.
    auto primary = HeifPicture(6400, 4800, [](int, int, std::uint8_t* p) { p[0] = p[1] = p[2] = 128; });
    // (libheif makes it from a larger picture, scaled to 320 x 240.)
    auto thumbnail = HeifPicture(640, 480, [](int, int y, std::uint8_t* p) {
        p[0] = y < 240 ? 220 : 20, p[1] = 30, p[2] = y < 240 ? 20 : 220;
    });
    heif_image_handle* rawHandle = nullptr;
    ASSERT_EQ(heif_context_encode_image(context.get(), primary.get(), encoder.get(), nullptr, &rawHandle).code, heif_error_Ok);
    std::unique_ptr<heif_image_handle, HeifFree> handle(rawHandle);
    heif_image_handle* rawThumb = nullptr;
    const heif_error made = heif_context_encode_thumbnail(context.get(), thumbnail.get(), handle.get(), encoder.get(), nullptr, 320, &rawThumb);
    ASSERT_EQ(made.code, heif_error_Ok) << made.message;
    std::unique_ptr<heif_image_handle, HeifFree> thumbHandle(rawThumb);
    const std::string path = TempPath("thumbnailed.heic");
    ASSERT_EQ(heif_context_write_to_file(context.get(), path.c_str()).code, heif_error_Ok);
    const std::vector<std::uint8_t> bytes = FileBytes(path);
    std::remove(path.c_str());

    // libheif's own decode of the thumbnail, at the size the reader keeps (320 x 240 leaves no
    // room for a factor: less than twice the face).
    std::unique_ptr<heif_context, HeifFree> reading(heif_context_alloc());
    ASSERT_EQ(heif_context_read_from_memory_without_copy(reading.get(), bytes.data(), bytes.size(), nullptr).code, heif_error_Ok);
    heif_image_handle* rawPrimary = nullptr;
    heif_context_get_primary_image_handle(reading.get(), &rawPrimary);
    std::unique_ptr<heif_image_handle, HeifFree> stored(rawPrimary);
    heif_item_id thumbId = 0;
    ASSERT_EQ(heif_image_handle_get_list_of_thumbnail_IDs(stored.get(), &thumbId, 1), 1);
    heif_image_handle* rawStoredThumb = nullptr;
    heif_image_handle_get_thumbnail(stored.get(), thumbId, &rawStoredThumb);
    std::unique_ptr<heif_image_handle, HeifFree> storedThumb(rawStoredThumb);
    heif_image* rawDecoded = nullptr;
    ASSERT_EQ(heif_decode_image(storedThumb.get(), &rawDecoded, heif_colorspace_RGB, heif_chroma_interleaved_RGB, nullptr).code,
              heif_error_Ok);
    std::unique_ptr<heif_image, HeifFree> decoded(rawDecoded);
    int stride = 0;
    const std::uint8_t* rows = heif_image_get_plane_readonly(decoded.get(), heif_channel_interleaved, &stride);
    Picture reference(320, 240);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) {
            std::memcpy(reference.pixel(x, y), rows + y * stride + x * 3, 3);
            reference.pixel(x, y)[3] = 255;
        }

    const Picture read = decodeFirstFrame(bytes, "thumbnailed.heic", kFace);
    ASSERT_EQ(std::make_pair(read.width, read.height), std::make_pair(320, 240));
    EXPECT_TRUE(read.rgba == reference.rgba);
    EXPECT_GT(read.pixel(160, 60)[0], 150);  // the thumbnail's red, not the photo's grey
    // Asked for a face larger than the thumbnail, the photo is decoded whole, under its own budget.
    const Picture whole = decodeFirstFrame(bytes, "thumbnailed.heic", ResizeGeometry{600, 600, true, false});
    EXPECT_EQ(std::make_pair(whole.width, whole.height), std::make_pair(1600, 1200));
    EXPECT_NEAR(whole.pixel(800, 100)[1], 128, 3);
}

// A small picture in `coder`, written by ImageMagick.
std::vector<std::uint8_t> SmallPicture(const char* coder) {
    ensureMagickReady();
    std::vector<unsigned char> rgb(64 * 48 * 3, 90);
    MagickWand* wand = NewMagickWand();
    MagickConstituteImage(wand, 64, 48, "RGB", CharPixel, rgb.data());
    MagickSetImageFormat(wand, coder);
    if (std::string(coder) == "TIFF") MagickSetImageCompression(wand, NoCompression);
    size_t size = 0;
    unsigned char* blob = MagickGetImageBlob(wand, &size);
    std::vector<std::uint8_t> bytes(blob, blob + size);
    MagickRelinquishMemory(blob);
    DestroyMagickWand(wand);
    return bytes;
}

void PutBig(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * (n - 1 - i)));
}
void PutLittle(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
std::size_t Find(const std::vector<std::uint8_t>& b, const std::string& what, std::size_t from = 0) {
    const auto it = std::search(b.begin() + static_cast<std::ptrdiff_t>(from), b.end(), what.begin(), what.end());
    return it == b.end() ? std::string::npos : static_cast<std::size_t>(it - b.begin());
}

// The header's sides set to w x h, in each format's own place for them.
void ClaimSize(const std::string& format, std::vector<std::uint8_t>& b, std::uint32_t w, std::uint32_t h) {
    if (format == "PNG") {
        PutBig(b, 16, w, 4), PutBig(b, 20, h, 4);
        PutBig(b, 29, static_cast<std::uint32_t>(crc32(0, &b[12], 17)), 4);  // IHDR's CRC
    }
    if (format == "BMP") PutLittle(b, 18, w, 4), PutLittle(b, 22, h, 4);
    if (format == "JPEG") {
        // Marker by marker to the frame header.
        std::size_t at = 2;
        while (b[at + 1] < 0xC0 || b[at + 1] > 0xC2) at += 2 + (b[at + 2] << 8 | b[at + 3]);
        PutBig(b, at + 5, h, 2), PutBig(b, at + 7, w, 2);
    }
    if (format == "GIF") {
        PutLittle(b, 6, w, 2), PutLittle(b, 8, h, 2);
        const std::size_t image = 13 + ((b[10] & 0x80) ? 3u << ((b[10] & 7) + 1) : 0);
        std::size_t at = image;
        while (b[at] == 0x21) {  // extensions before the picture
            at += 2;
            while (b[at]) at += b[at] + 1u;
            ++at;
        }
        PutLittle(b, at + 5, w, 2), PutLittle(b, at + 7, h, 2);
    }
    if (format == "WEBP") {
        const std::size_t vp8 = Find(b, "VP8 ");
        PutLittle(b, vp8 + 14, w, 2), PutLittle(b, vp8 + 16, h, 2);
    }
    if (format == "TIFF") {
        // The first directory's ImageWidth and ImageLength (little-endian, as ImageMagick writes).
        std::size_t ifd = b[4] | b[5] << 8 | b[6] << 16 | static_cast<std::size_t>(b[7]) << 24;
        const int entries = b[ifd] | b[ifd + 1] << 8;
        for (int e = 0; e < entries; ++e) {
            const std::size_t at = ifd + 2 + 12 * e;
            const int tag = b[at] | b[at + 1] << 8, type = b[at + 2] | b[at + 3] << 8;
            if (tag == 256 || tag == 257) PutLittle(b, at + 8, tag == 256 ? w : h, type == 3 ? 2 : 4);
        }
    }
    if (format == "HEIC" || format == "AVIF") {
        for (std::size_t ispe = Find(b, "ispe"); ispe != std::string::npos; ispe = Find(b, "ispe", ispe + 4))
            PutBig(b, ispe + 8, w, 4), PutBig(b, ispe + 12, h, 4);
    }
}

TEST(LargePictures, AClaimBeyondTheLimitsIsRefusedAtOnceInEveryFormat) {
    for (const char* format : {"PNG", "BMP", "JPEG", "GIF", "WEBP", "TIFF", "HEIC", "AVIF"}) {
        for (const auto& [w, h] : {std::pair{11000u, 11000u}, {16001u, 100u}}) {
            SCOPED_TRACE(std::string(format) + " claiming " + std::to_string(w) + " x " + std::to_string(h));
            std::vector<std::uint8_t> bytes = SmallPicture(format);
            ClaimSize(format, bytes, w, h);
            for (const bool resized : {false, true}) {
                std::string reason;
                try {
                    resized ? decodeFirstFrame(bytes, "claim", kFace) : decodeFirstFrame(bytes, "claim");
                } catch (const CommandError& e) {
                    reason = e.what();
                }
                EXPECT_NE(reason.find("is too large (" + std::to_string(w) + " x " + std::to_string(h) +
                                      " pixels; at most 16000 a side and 100 megapixels)"),
                          std::string::npos)
                    << reason;
            }
        }
    }
    // A file beyond the input bound is refused before it is read (a sparse one costs nothing).
    const std::string huge = TempPath("huge.png");
    {
        std::ofstream out(huge, std::ios::binary);
        out << "\x89PNG\r\n\x1a\n";
    }
    ASSERT_EQ(::truncate(huge.c_str(), 600LL << 20), 0);
    try {
        readInputFile(huge);
        ADD_FAILURE() << "read";
    } catch (const CommandError& e) {
        EXPECT_NE(std::string(e.what()).find("is too large (600 MB; at most 512 MB)"), std::string::npos) << e.what();
    }
    std::remove(huge.c_str());
}

}  // namespace
}  // namespace pivra::imagelib
