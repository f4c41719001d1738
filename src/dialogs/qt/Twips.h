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

// The same with twips grown by a factor (1: as above), for a dialog whose
// font needs more room than its measures give.
inline int GrownTwips(int twips, double grow) { return qRound(twips * grow / kTwipsPerPixel); }
inline QRect TwipsRect(int left, int top, int width, int height, double grow) {
    return QRect(GrownTwips(left, grow), GrownTwips(top, grow), GrownTwips(width, grow), GrownTwips(height, grow));
}

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
