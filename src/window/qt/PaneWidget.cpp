#include "window/qt/PaneWidget.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

#include <cstring>

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
        // Canvas pixels are blue-green-red-unused, as Qt's RGB32 in memory;
        // only the row order differs. One kept image, rows copied upright.
        if (shown_.size() != QSize(picture->width(), picture->height()))
            shown_ = QImage(picture->width(), picture->height(), QImage::Format_RGB32);
        const size_t rowBytes = static_cast<size_t>(picture->width()) * 4;
        for (int y = 0; y < picture->height(); ++y) std::memcpy(shown_.scanLine(y), picture->row(y), rowBytes);
        p.drawImage(inside.topLeft(), shown_);
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
