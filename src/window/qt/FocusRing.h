#pragma once
// How the panes and the label buttons show that they have the keyboard's
// focus, and which keys press them.
#include <QKeyEvent>
#include <QPainter>

namespace pivra {

// A dotted ring just inside r, black over white so it shows on any picture.
inline void DrawFocusRing(QPainter& p, const QRect& r) {
    const QRect ring = r.adjusted(0, 0, -1, -1);
    p.save();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::white, 1));
    p.drawRect(ring);
    p.setPen(QPen(Qt::black, 1, Qt::DotLine));
    p.drawRect(ring);
    p.restore();
}

// Space and Enter press what has the focus, as they do a push button.
inline bool IsPressKey(const QKeyEvent* e) {
    if (e->modifiers() & ~Qt::KeyboardModifiers(Qt::KeypadModifier)) return false;
    return e->key() == Qt::Key_Space || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
}

}  // namespace pivra
