// Draws the program's icon, a gold coin caught half-way through a turn,
// as a PNG with a transparent background: pivra-icon SIZE FILE.
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cstdio>
#include <cstdlib>

namespace {

QImage DrawCoin(int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);

    // The coin is turned a little, so its face is an ellipse and its edge
    // shows as a darker band on the right.
    const QRectF face(28, 12, 180, 232);
    QLinearGradient edge(face.left(), 0, face.right() + 20, 0);
    edge.setColorAt(0, QColor(120, 78, 10));
    edge.setColorAt(1, QColor(170, 112, 20));
    p.setPen(Qt::NoPen);
    p.setBrush(edge);
    p.drawEllipse(face.translated(20, 0));
    p.drawRect(QRectF(face.center().x(), face.top(), 20, face.height()));

    QRadialGradient gold(face.center() - QPointF(30, 40), 160);
    gold.setColorAt(0, QColor(255, 236, 150));
    gold.setColorAt(0.6, QColor(232, 178, 48));
    gold.setColorAt(1, QColor(190, 130, 25));
    p.setBrush(gold);
    p.setPen(QPen(QColor(150, 100, 15), 4));
    p.drawEllipse(face);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(170, 115, 20), 5));
    p.drawEllipse(face.adjusted(18, 22, -18, -22));

    // A bold P on the face: a stem and a bowl.
    QPainterPath letter;
    letter.moveTo(98, 188);
    letter.lineTo(98, 70);
    letter.lineTo(128, 70);
    letter.arcTo(QRectF(104, 70, 52, 56), 90, -180);
    letter.lineTo(98, 126);
    p.setPen(QPen(QColor(125, 70, 5), 16, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(letter);
    p.end();
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || std::atoi(argv[1]) < 16) {
        std::fprintf(stderr, "usage: pivra-icon SIZE FILE (SIZE at least 16)\n");
        return 2;
    }
    if (!DrawCoin(std::atoi(argv[1])).save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "pivra-icon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
