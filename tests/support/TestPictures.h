#pragma once
// Pictures the tests draw for themselves.
#include <QColor>
#include <QImage>

#include <cstdlib>
#include <string>

namespace pivra::test {

// A w x h picture of one colour, saved in the format the extension names.
inline bool WriteSolidPicture(const std::string& path, int w, int h, QColor colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image.save(QString::fromStdString(path), nullptr, 95);
}

// True when the two colours differ by at most tolerance in each of r, g, b.
inline bool CloseColour(QRgb a, QColor b, int tolerance) {
    return std::abs(qRed(a) - b.red()) <= tolerance && std::abs(qGreen(a) - b.green()) <= tolerance &&
           std::abs(qBlue(a) - b.blue()) <= tolerance;
}

}  // namespace pivra::test
