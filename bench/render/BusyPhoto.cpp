#include "BusyPhoto.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <random>

namespace pivra::bench {

void DrawBusyPhoto(const std::string& path, int w, int h, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> byte(0, 255), noise(-24, 24);
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            row[x] = qRgb(std::clamp(x * 255 / w + noise(random), 0, 255), std::clamp(y * 255 / h + noise(random), 0, 255),
                          std::clamp(128 + noise(random) * 3, 0, 255));
    }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    std::uniform_int_distribution<int> px(0, w), py(0, h), size(w / 100, w / 8);
    for (int i = 0; i < 600; ++i) {
        painter.setBrush(QColor(byte(random), byte(random), byte(random)));
        painter.setPen(QPen(QColor(byte(random), byte(random), byte(random)), size(random) / 10.0));
        if (i % 3 == 0) painter.drawRect(px(random), py(random), size(random), size(random) / 4);
        else painter.drawEllipse(QPoint(px(random), py(random)), size(random) / 2, size(random) / 2);
    }
    painter.end();
    image.save(QString::fromStdString(path), "JPEG", 90);
}

}  // namespace pivra::bench
