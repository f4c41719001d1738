#include "window/qt/PaneWidget.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

namespace pivra {

namespace {

QString FirstLocalFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) return {};
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) return url.toLocalFile();
    return {};
}

}  // namespace

PaneWidget::PaneWidget(QWidget* parent)
    : QFrame(parent), canvas_([this] {
          if (!inPaint_) update();
      }) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setAcceptDrops(true);
}

void PaneWidget::paintEvent(QPaintEvent* e) {
    if (onPaint && !inPaint_) {
        inPaint_ = true;
        onPaint();
        inPaint_ = false;
    }
    QFrame::paintEvent(e);
    QPainter p(this);
    const QRect inside = contentsRect();
    p.fillRect(inside, Qt::black);
    const Bitmap* picture = canvas_.picture();
    if (picture == nullptr) return;
    p.setClipRect(inside);
    if (picture->bytesPerPixel() == 4) {
        // The canvas rows are bottom-up blue-green-red-unused: wrap them and flip.
        const QImage rows(picture->bits(), picture->width(), picture->height(), picture->stride(),
                          QImage::Format_RGB32);
        p.drawImage(inside.topLeft(), rows.mirrored(false, true));
    } else {
        p.drawImage(inside.topLeft(), ToQImage(picture));
    }
}

void PaneWidget::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && onClick) {
        onClick();
        return;
    }
    QFrame::mousePressEvent(e);
}

void PaneWidget::dragEnterEvent(QDragEnterEvent* e) {
    if (onDrop && !FirstLocalFile(e->mimeData()).isEmpty()) e->acceptProposedAction();
}

void PaneWidget::dropEvent(QDropEvent* e) {
    const QString file = FirstLocalFile(e->mimeData());
    if (!onDrop || file.isEmpty()) return;
    e->acceptProposedAction();
    onDrop(file.toStdString());
}

}  // namespace pivra
