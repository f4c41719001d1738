#include "widgets/GifViewer.h"

#include <QFile>
#include <QMovie>
#include <QPainter>

namespace pivra {

GifViewer::GifViewer(QWidget* parent) : QWidget(parent) {}

GifViewer::~GifViewer() { clear(); }

void GifViewer::clear() {
    if (movie_) movie_->stop();
    movie_.reset();
    buffer_.close();
    bytes_.clear();
}

void GifViewer::setFile(const std::string& path) {
    clear();
    file_ = path;
    QFile in(QString::fromStdString(path));
    if (in.open(QIODevice::ReadOnly)) bytes_ = in.readAll();
    if (!bytes_.isEmpty()) {
        buffer_.setBuffer(&bytes_);
        buffer_.open(QIODevice::ReadOnly);
        movie_ = std::make_unique<QMovie>(&buffer_, QByteArray("gif"));
        movie_->setCacheMode(QMovie::CacheNone);
        if (movie_->isValid()) {
            connect(movie_.get(), &QMovie::frameChanged, this, [this] { update(); });
            movie_->start();
        } else {
            clear();
        }
    }
    update();
}

bool GifViewer::playing() const { return movie_ && movie_->state() == QMovie::Running; }

int GifViewer::frameCount() const { return movie_ ? movie_->frameCount() : 0; }

QImage GifViewer::currentFrame() const { return movie_ ? movie_->currentImage() : QImage(); }

QRect GifViewer::frameRect(QSize frame) const {
    // Larger than the viewer: shrunk, aspect kept. Smaller: its own size, so
    // the viewer never shows more pixels than the file has.
    if (frame.width() > width() || frame.height() > height()) frame.scale(size(), Qt::KeepAspectRatio);
    return QRect(QPoint((width() - frame.width()) / 2, (height() - frame.height()) / 2), frame);
}

void GifViewer::paintEvent(QPaintEvent*) {
    if (!movie_) return;
    const QImage frame = movie_->currentImage();
    if (frame.isNull()) return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(frameRect(frame.size()), frame);
}

}  // namespace pivra
