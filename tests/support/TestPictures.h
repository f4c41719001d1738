#pragma once
// Pictures the tests draw for themselves.
#include <QColor>
#include <QImage>

#include <string>

namespace pivra::test {

// A w x h picture of one colour, saved in the format the extension names.
bool WriteSolidPicture(const std::string& path, int w, int h, QColor colour);

// True when the two colours differ by at most tolerance in each of r, g, b.
bool CloseColour(QRgb a, QColor b, int tolerance);

}  // namespace pivra::test
