#include "window/qt/ClickLabel.h"

#include <QMouseEvent>

namespace pivra {

void ClickLabel::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && onClick) {
        onClick();
        return;
    }
    QLabel::mousePressEvent(e);
}

}  // namespace pivra
