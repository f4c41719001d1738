#include "window/qt/PaneWidget.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

#include <cstring>

#include "window/qt/FocusRing.h"

namespace pivra {

namespace {

std::vector<std::string> LocalFiles(const QMimeData* data) {
    std::vector<std::string> files;
    if (data == nullptr || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) files.push_back(url.toLocalFile().toStdString());
    return files;
}

}  // namespace

PaneWidget::PaneWidget(QWidget* parent)
    : QFrame(parent), canvas_([this] {
          if (!inPaint_) update();
      }) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
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
    p.setClipRect(inside);
    if (picture == nullptr) {
        if (hasFocus()) DrawFocusRing(p, inside);
        return;
    }
    // On a screen with more pixels than the layout's (a scale factor of 2),
    // the face is filtered up instead of showing doubled pixels.
    p.setRenderHint(QPainter::SmoothPixmapTransform);
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
    if (hasFocus()) DrawFocusRing(p, inside);
}

void PaneWidget::keyPressEvent(QKeyEvent* e) {
    if (IsPressKey(e) && onClick) {
        onClick();
        return;
    }
    QFrame::keyPressEvent(e);
}

void PaneWidget::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && onClick) {
        onClick();
        return;
    }
    QFrame::mousePressEvent(e);
}

void PaneWidget::dragEnterEvent(QDragEnterEvent* e) {
    if (onDrop && !LocalFiles(e->mimeData()).empty()) e->acceptProposedAction();
}

void PaneWidget::dropEvent(QDropEvent* e) {
    const std::vector<std::string> files = LocalFiles(e->mimeData());
    if (!onDrop || files.empty()) return;
    e->acceptProposedAction();
    onDrop(files);
}

}  // namespace pivra
