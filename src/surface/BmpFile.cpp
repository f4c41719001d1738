#include "surface/BmpFile.h"

#include <cstdio>
#include <cstring>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

namespace pivra {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

bool ReadWholeFile(const std::string& path, QByteArray& bytes) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) return false;
    char chunk[65536];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        if (bytes.size() + static_cast<qsizetype>(n) > 0x7fffffff) return false;
        bytes.append(chunk, static_cast<qsizetype>(n));
    }
    return !std::ferror(file.get());
}

}  // namespace

std::unique_ptr<Bitmap> LoadBmpFile(const std::string& path) {
    QByteArray bytes;
    if (!ReadWholeFile(path, bytes) || bytes.isEmpty()) return nullptr;

    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    reader.setAutoDetectImageFormat(false);  // only a BMP is a BMP
    QImage image = reader.read();
    if (image.isNull()) return nullptr;
    // A 32-bit file's alpha is dropped, not blended: the colour bytes stay as stored.
    if (image.hasAlphaChannel()) image.reinterpretAsFormat(QImage::Format_RGB32);
    image = image.convertToFormat(QImage::Format_BGR888);
    if (image.isNull()) return nullptr;

    BitmapInfoHeader header;
    header.biSize = kBitmapInfoHeaderSize;
    header.biWidth = image.width();
    header.biHeight = image.height();
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biXPelsPerMeter = image.dotsPerMeterX();
    header.biYPelsPerMeter = image.dotsPerMeterY();
    auto bitmap = Bitmap::CreateDIBSection(header);
    if (!bitmap) return nullptr;
    const auto rowBytes = static_cast<std::size_t>(image.width()) * 3;
    for (int y = 0; y < image.height(); ++y) std::memcpy(bitmap->row(y), image.constScanLine(y), rowBytes);
    return bitmap;
}

}  // namespace pivra
