// Photos as phones and the web keep them, each written at test time by a real encoder (ImageMagick, libheif):
// every EXIF orientation turned upright, HEIF and AVIF turned by their own boxes only, every format read.
#include <libheif/heif.h>

#include "ImageLibsTest.h"
#include "support/RunProcess.h"

namespace pivra::test {
namespace {

using Photos = ImageLibsTest;

// Four smooth quadrants of clearly different colours: any turn or mirror shows, codec noise stays small.
QImage quadrants(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int q = (x >= w / 2) + 2 * (y >= h / 2), shade = (x % (w / 2)) * 60 / w;
            const QRgb colours[] = {qRgb(220 - shade, 40, 40), qRgb(40, 200 - shade, 40), qRgb(40, 40, 220 - shade),
                                    qRgb(230 - shade, 230 - shade, 60)};
            image.setPixel(x, y, colours[q]);
        }
    return image;
}

// ImageMagick's own turns, undoing what each orientation asks a viewer to do.
void storeTurned(MagickWand* wand, int orientation) {
    PixelWand* none = NewPixelWand();
    switch (orientation) {
        case 2: MagickFlopImage(wand); break;
        case 3: MagickRotateImage(wand, none, 180); break;
        case 4: MagickFlipImage(wand); break;
        case 5: MagickTransposeImage(wand); break;
        case 6: MagickRotateImage(wand, none, 270); break;
        case 7: MagickTransverseImage(wand); break;
        case 8: MagickRotateImage(wand, none, 90); break;
    }
    DestroyPixelWand(none);
}

// An EXIF block as a JPEG's APP1 holds it: "Exif", then a big-endian TIFF block whose one entry is the
// Orientation.
std::vector<unsigned char> exifWithOrientation(int orientation) {
    return {'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1,
            0, static_cast<unsigned char>(orientation), 0, 0, 0, 0, 0, 0};
}

std::string writeWand(MagickWand* wand, const std::string& path, const std::string& coder, int orientation = 0) {
    if (orientation > 0) {
        const std::vector<unsigned char> exif = exifWithOrientation(orientation);
        MagickSetImageProfile(wand, "exif", exif.data(), exif.size());
        MagickSetImageOrientation(wand, static_cast<OrientationType>(orientation));  // TIFF's own tag
    }
    EXPECT_NE(MagickWriteImages(wand, (coder + ":" + path).c_str(), MagickTrue), MagickFalse) << path;
    return path;
}

// HEIC or AVIF through libheif: `stored` pixels, a rotation box that shows them turned 90 degrees clockwise,
// and an EXIF block claiming orientation 6 as well, which readers must not apply a second time.
void writeHeif(const QImage& stored, const std::string& path, heif_compression_format codec) {
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    ASSERT_EQ(heif_context_get_encoder_for_format(context, codec, &encoder).code, heif_error_Ok);
    heif_encoder_set_lossy_quality(encoder, 95);
    heif_encoder_set_parameter(encoder, "chroma", "444");
    heif_image* image = nullptr;
    heif_image_create(stored.width(), stored.height(), heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image);
    heif_image_add_plane(image, heif_channel_interleaved, stored.width(), stored.height(), 8);
    int stride = 0;
    std::uint8_t* rows = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < stored.height(); ++y)
        for (int x = 0; x < stored.width(); ++x) {
            const QRgb p = stored.pixel(x, y);
            std::uint8_t* q = rows + y * stride + x * 3;
            q[0] = qRed(p), q[1] = qGreen(p), q[2] = qBlue(p);
        }
    heif_encoding_options* options = heif_encoding_options_alloc();
    options->image_orientation = heif_orientation_rotate_90_cw;
    heif_image_handle* handle = nullptr;
    ASSERT_EQ(heif_context_encode_image(context, image, encoder, options, &handle).code, heif_error_Ok);
    const std::vector<unsigned char> exif = exifWithOrientation(6);
    heif_context_add_exif_metadata(context, handle, exif.data() + 6, int(exif.size() - 6));
    ASSERT_EQ(heif_context_write_to_file(context, path.c_str()).code, heif_error_Ok);
    heif_image_handle_release(handle);
    heif_encoding_options_free(options);
    heif_image_release(image);
    heif_encoder_release(encoder);
    heif_context_free(context);
}

QImage turned(const QImage& image, int degreesClockwise) { return image.transformed(QTransform().rotate(degreesClockwise)); }

// Each orientation (0: no tag) against the same picture stored upright, whole and through the reduced
// decode of a resize; both with JPEG's noise, so within a few levels.
TEST_F(Photos, EveryExifOrientationOfAJpegComesOutUpright) {
    const QImage upright = quadrants(128, 96);
    const auto jpegWand = [&] {  // little loss: full colour resolution, quality 95
        Wand wand = wandOf(upright);
        MagickSetImageCompressionQuality(wand.get(), 95);
        MagickSetSamplingFactors(wand.get(), 3, std::vector<double>{1, 1, 1}.data());
        return wand;
    };
    const std::string reference = writeWand(jpegWand().get(), at("upright.jpg"), "JPEG");
    ok(morphex(), {reference, "-geometry", "16X12!", at("upright-small.png")});
    for (int orientation = 0; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        Wand stored = jpegWand();
        storeTurned(stored.get(), orientation);
        const std::string file = writeWand(stored.get(), at("stored.jpg"), "JPEG", orientation);
        ok(morphex(), {file, at("out.png")});
        EXPECT_EQ(offPixels(read(at("out.png")), pixelsOf(readWand(reference).get()), orientation == 0 ? 0 : 6), 0);
        ok(morphex(), {file, "-geometry", "16X12!", at("small.png")});
        EXPECT_EQ(offPixels(read(at("small.png")), read(at("upright-small.png")), orientation == 0 ? 0 : 6), 0);
        // The working copy is written upright, with nothing left to turn it again.
        ok(morphex(), {file, "-geometry", "32X24!", at("copy.jpg")});
        EXPECT_EQ(MagickGetImageOrientation(readWand(at("copy.jpg")).get()), UndefinedOrientation);
    }
}

TEST_F(Photos, PngWebpAndTiffTurnByTheirOrientationHeifAndAvifByTheirBoxesOnly) {
    const QImage upright = quadrants(64, 48);
    for (const char* coder : {"PNG", "WEBP", "TIFF"}) {
        SCOPED_TRACE(coder);
        Wand stored = wandOf(upright);
        storeTurned(stored.get(), 6);
        MagickSetOption(stored.get(), "webp:lossless", "true");
        const std::string file = at("stored." + std::string(coder));
        writeWand(stored.get(), file, coder, 6);
        // ImageMagick keeps no EXIF in a PNG: exiftool adds the eXIf chunk.
        if (coder == std::string("PNG")) {
            ASSERT_EQ(RunProcess({"exiftool", "-q", "-overwrite_original", "-Orientation#=6", file}).exitCode, 0);
        }
        ok(morphex(), {file, at("out.png")});
        EXPECT_EQ(offPixels(read(at("out.png")), upright), 0);
    }
    for (const auto& [name, codec] : {std::pair{"stored.heic", heif_compression_HEVC}, {"stored.avif", heif_compression_AV1}}) {
        SCOPED_TRACE(name);
        writeHeif(turned(upright, -90), at(name), codec);
        ok(morphex(), {at(name), at("out.png")});
        EXPECT_EQ(offPixels(read(at("out.png")), upright, 24), 0);
    }
}

// Each format as its encoder wrote it, through a resize, against ImageMagick's resize of the pixels given
// to the encoder: the first frame of an animation, the first page of a TIFF, alpha where the format has it.
TEST_F(Photos, EveryFormatIsReadFromWhatARealEncoderWrote) {
    QImage first = quadrants(96, 64), second = quadrants(96, 64).mirrored(true, true);
    QImage clear = first.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 96; ++x) clear.setPixel(x, y, qRgba(0, 0, 0, 0));
    struct Case { std::string file, coder; QImage picture; bool twoFrames; std::string lossless; int tolerance; };
    const Case cases[] = {
        {"photo.png", "PNG", clear, false, "", 1},
        {"photo.webp", "WEBP", first, false, "false", 32},
        {"clear.webp", "WEBP", clear, false, "true", 1},
        {"moving.webp", "WEBP", first, true, "true", 1},
        {"pages.tiff", "TIFF", first, true, "", 1},
        {"photo.heic", "HEIC", first, false, "", 32},
        {"photo.avif", "AVIF", first, false, "", 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Wand wand = wandOf(c.picture);
        if (c.twoFrames) MagickAddImage(wand.get(), wandOf(second).get());
        MagickSetFirstIterator(wand.get());
        if (!c.lossless.empty()) MagickSetOption(wand.get(), "webp:lossless", c.lossless.c_str());
        MagickSetImageCompressionQuality(wand.get(), 92);
        ok(morphex(), {writeWand(wand.get(), at(c.file), c.coder), "-geometry", "48X32!", at("out.png")});
        Wand theirs = wandOf(c.picture);
        MagickResizeImage(theirs.get(), 48, 32, UndefinedFilter, 1.0);
        EXPECT_EQ(offPixels(read(at("out.png")), pixelsOf(theirs.get()), c.tolerance), 0);
    }
}

}  // namespace
}  // namespace pivra::test
