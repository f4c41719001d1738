#include "surface/BitmapImage.h"

namespace pivra {

QImage ToQImage(const Bitmap* bitmap) {
    if (bitmap == nullptr) return QImage();
    QImage image(bitmap->width(), bitmap->height(), QImage::Format_RGB888);
    if (image.isNull()) return image;
    const int bpp = bitmap->bytesPerPixel();
    for (int y = 0; y < bitmap->height(); ++y) {
        const std::uint8_t* s = bitmap->row(y);
        uchar* d = image.scanLine(y);
        for (int x = 0; x < bitmap->width(); ++x, s += bpp, d += 3) {
            d[0] = s[2];
            d[1] = s[1];
            d[2] = s[0];
        }
    }
    return image;
}

}  // namespace pivra
