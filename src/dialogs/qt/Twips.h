#pragma once
// Dialog measures are given in twips, 15 to the pixel.
#include <QFont>
#include <QRect>
#include <QSize>

namespace pivra {

constexpr int kTwipsPerPixel = 15;

inline QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel, height / kTwipsPerPixel);
}
inline QSize TwipsSize(int width, int height) { return QSize(width / kTwipsPerPixel, height / kTwipsPerPixel); }

// "MS Sans Serif" at the given size, from the nearest installed plain sans.
inline QFont DialogFont(double points, bool bold) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// A fixed-size dialog frame without minimize and maximize boxes.
constexpr Qt::WindowFlags kFixedDialogFlags =
    Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

}  // namespace pivra
