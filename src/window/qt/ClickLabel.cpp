#include "window/qt/ClickLabel.h"

#include <QMouseEvent>

#include "window/qt/FocusRing.h"

namespace pivra {

void ClickLabel::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && onClick) {
        onClick();
        return;
    }
    QLabel::mousePressEvent(e);
}

void ClickLabel::keyPressEvent(QKeyEvent* e) {
    if (IsPressKey(e) && onClick) {
        onClick();
        return;
    }
    QLabel::keyPressEvent(e);
}

void ClickLabel::paintEvent(QPaintEvent* e) {
    QLabel::paintEvent(e);
    if (!hasFocus()) return;
    QPainter p(this);
    DrawFocusRing(p, rect());
}

}  // namespace pivra
