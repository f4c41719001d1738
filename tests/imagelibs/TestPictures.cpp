#include "TestPictures.h"

#include <QImageReader>
#include <filesystem>
#include <fstream>
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <stdlib.h>
#include <wand/MagickWand.h>

namespace pivra::test {

TestFolder::TestFolder() {
    char pattern[] = "/tmp/pivra-imagelibs-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made) throw std::runtime_error("mkdtemp failed");
    dir_ = made;
}

TestFolder::~TestFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

std::vector<std::string> TestFolder::names() const {
    std::vector<std::string> out;
    for (const auto& entry : std::filesystem::directory_iterator(dir_))
        out.push_back(entry.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

QImage solidImage(int width, int height, QColor color) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

void savePicture(const QImage& image, const std::string& path, const char* qtFormat) {
    ASSERT_TRUE(image.save(QString::fromStdString(path), qtFormat, 95)) << path;
}

void saveGif(const std::vector<QImage>& frames, const std::string& path, bool interlaced) {
    int error = 0;
    GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
    ASSERT_NE(gif, nullptr);
    EGifSetGifVersion(gif, true);
    const int width = frames.front().width(), height = frames.front().height();
    EGifPutScreenDesc(gif, width, height, 8, 0, nullptr);
    for (const QImage& source : frames) {
        QImage frame = source.convertToFormat(QImage::Format_ARGB32);
        std::map<QRgb, int> palette;
        std::vector<GifByteType> indices;
        bool transparent = false;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                QRgb p = frame.pixel(x, y);
                if (qAlpha(p) == 0) {
                    transparent = true;
                    indices.push_back(255);
                    continue;
                }
                auto it = palette.emplace(p | 0xFF000000u, static_cast<int>(palette.size())).first;
                indices.push_back(static_cast<GifByteType>(it->second));
            }
        ASSERT_LE(palette.size(), 255u);
        GifColorType colors[256] = {};
        for (const auto& [rgb, index] : palette)
            colors[index] = GifColorType{static_cast<GifByteType>(qRed(rgb)),
                                         static_cast<GifByteType>(qGreen(rgb)),
                                         static_cast<GifByteType>(qBlue(rgb))};
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSAL_UNSPECIFIED;
        control.DelayTime = 10;
        control.TransparentColor = transparent ? 255 : NO_TRANSPARENT_COLOR;
        GifByteType block[4];
        EGifGCBToExtension(&control, block);
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, block);
        ColorMapObject* map = GifMakeMapObject(256, colors);
        EGifPutImageDesc(gif, 0, 0, width, height, interlaced, map);
        if (interlaced) {
            for (int pass = 0; pass < 4; ++pass) {
                static const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
                for (int y = start[pass]; y < height; y += step[pass])
                    EGifPutLine(gif, indices.data() + y * width, width);
            }
        } else {
            EGifPutLine(gif, indices.data(), width * height);
        }
        GifFreeMapObject(map);
    }
    ASSERT_EQ(EGifCloseFile(gif, &error), GIF_OK);
}

QImage readPicture(const std::string& path) {
    QImageReader reader(QString::fromStdString(path));
    QImage image = reader.read();
    if (image.isNull()) return image;
    return image.convertToFormat(QImage::Format_ARGB32);
}

GifFrames readGifFrames(const std::string& path) {
    GifFrames out;
    QImageReader reader(QString::fromStdString(path));
    out.loopCount = reader.loopCount();
    while (reader.canRead()) {
        QImage image = reader.read();
        if (image.isNull()) break;
        out.images.push_back(image.convertToFormat(QImage::Format_ARGB32));
        out.delaysMs.push_back(reader.nextImageDelay());
    }
    return out;
}

GifStructure readGifStructure(const std::string& path) {
    GifStructure out;
    int error = 0;
    std::unique_ptr<GifFileType, void (*)(GifFileType*)> gif(
        DGifOpenFileName(path.c_str(), &error), [](GifFileType* g) {
            int e = 0;
            DGifCloseFile(g, &e);
        });
    if (!gif || DGifSlurp(gif.get()) != GIF_OK) return out;
    out.frameCount = gif->ImageCount;
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        GraphicsControlBlock control{};
        if (DGifSavedExtensionToGCB(gif.get(), i, &control) == GIF_OK) {
            out.disposal.push_back(control.DisposalMode);
            out.delay.push_back(control.DelayTime);
        } else {
            out.disposal.push_back(-1);
            out.delay.push_back(-1);
        }
        out.localColorCount.push_back(image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap->ColorCount : 0);
        for (int e = 0; e + 1 < image.ExtensionBlockCount; ++e) {
            const ExtensionBlock& block = image.ExtensionBlocks[e];
            const ExtensionBlock& next = image.ExtensionBlocks[e + 1];
            if (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
                std::string(reinterpret_cast<char*>(block.Bytes), 11) == "NETSCAPE2.0" &&
                next.Function == CONTINUE_EXT_FUNC_CODE && next.ByteCount == 3 && next.Bytes[0] == 1) {
                out.hasLoopBlock = true;
                out.loopCount = next.Bytes[1] | (next.Bytes[2] << 8);
            }
        }
    }
    return out;
}

QImage readMiff(const std::string& path) {
    std::vector<std::uint8_t> bytes = readBytes(path);
    MagickWandGenesis();
    MagickWand* wand = NewMagickWand();
    MagickSetFormat(wand, "MIFF");
    QImage image;
    if (MagickReadImageBlob(wand, bytes.data(), bytes.size()) != MagickFalse) {
        const int w = static_cast<int>(MagickGetImageWidth(wand));
        const int h = static_cast<int>(MagickGetImageHeight(wand));
        std::vector<std::uint8_t> rgba(static_cast<std::size_t>(w) * h * 4);
        MagickExportImagePixels(wand, 0, 0, w, h, "RGBA", CharPixel, rgba.data());
        image = QImage(w, h, QImage::Format_ARGB32);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * w + x) * 4];
                image.setPixel(x, y, qRgba(p[0], p[1], p[2], p[3]));
            }
    }
    DestroyMagickWand(wand);
    return image;
}

std::vector<std::uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool fileExists(const std::string& path) { return std::filesystem::exists(path); }

namespace {

std::uint32_t crc32(const std::uint8_t* data, std::size_t size) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xFFFFFFFFu;
}

void putBigEndian(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void putChunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& data) {
    putBigEndian(out, static_cast<std::uint32_t>(data.size()));
    std::vector<std::uint8_t> typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    putBigEndian(out, crc32(typed.data(), typed.size()));
}

}  // namespace

std::vector<std::uint8_t> pngHeaderClaiming(std::uint32_t width, std::uint32_t height) {
    std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    putBigEndian(header, width);
    putBigEndian(header, height);
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA
    putChunk(out, "IHDR", header);
    // A zlib stream of a few zero bytes: decoding would have to run for ever.
    putChunk(out, "IDAT", {0x78, 0x9C, 0x63, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01});
    putChunk(out, "IEND", {});
    return out;
}

std::vector<std::uint8_t> gifHeaderClaiming(std::uint16_t width, std::uint16_t height) {
    std::vector<std::uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
    auto put16 = [&](std::uint16_t v) { out.insert(out.end(), {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)}); };
    put16(width);
    put16(height);
    out.insert(out.end(), {0x80, 0, 0, 0, 0, 0, 255, 255, 255});  // two-colour global table
    out.push_back(',');
    put16(0);
    put16(0);
    put16(width);
    put16(height);
    out.insert(out.end(), {0, 2, 2, 0x44, 0x01, 0, ';'});
    return out;
}

int maxChannelDifference(const QImage& a, const QImage& b) {
    int worst = 0;
    for (int y = 0; y < std::min(a.height(), b.height()); ++y)
        for (int x = 0; x < std::min(a.width(), b.width()); ++x) {
            QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    return worst;
}

}  // namespace pivra::test
