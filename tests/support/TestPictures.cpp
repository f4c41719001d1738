#include "TestPictures.h"

#include <cstdlib>

namespace pivra::test {

bool WriteSolidPicture(const std::string& path, int w, int h, QColor colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image.save(QString::fromStdString(path), nullptr, 95);
}

bool CloseColour(QRgb a, QColor b, int tolerance) {
    return std::abs(qRed(a) - b.red()) <= tolerance && std::abs(qGreen(a) - b.green()) <= tolerance &&
           std::abs(qBlue(a) - b.blue()) <= tolerance;
}

}  // namespace pivra::test
