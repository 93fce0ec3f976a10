#include "app/app_art.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace {
const QColor kDeep(24, 38, 74);
const QColor kBright(64, 156, 255);
const QColor kWave(255, 196, 64);

// A rounded tile with a play triangle and a short sound wave beside it.
QPixmap IconPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    QLinearGradient tile(0, 0, 0, s);
    tile.setColorAt(0, kBright);
    tile.setColorAt(1, kDeep);
    p.setPen(Qt::NoPen);
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(0.5, 0.5, s - 1, s - 1), s * 0.2, s * 0.2);
    QPainterPath play;
    play.moveTo(s * 0.22, s * 0.25);
    play.lineTo(s * 0.22, s * 0.75);
    play.lineTo(s * 0.58, s * 0.5);
    play.closeSubpath();
    p.setBrush(Qt::white);
    p.drawPath(play);
    p.setPen(QPen(kWave, s / 14.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(s * 0.68, s * 0.38), QPointF(s * 0.68, s * 0.62));
    p.drawLine(QPointF(s * 0.80, s * 0.28), QPointF(s * 0.80, s * 0.72));
    return pixmap;
}
}  // namespace

QIcon ApplicationIcon() {
    QIcon icon;
    icon.addPixmap(IconPixmap(32));
    icon.addPixmap(IconPixmap(16));
    icon.addPixmap(IconPixmap(22));
    icon.addPixmap(IconPixmap(48));
    return icon;
}

QPixmap AboutPicture() {
    const int width = 272, height = 103;
    QPixmap pixmap(width, height);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, width, height);
    sky.setColorAt(0, kDeep);
    sky.setColorAt(1, kBright);
    p.fillRect(pixmap.rect(), sky);
    // Three sine waves of falling amplitude across the picture.
    for (int wave = 0; wave < 3; ++wave) {
        QPainterPath path;
        const double amplitude = 30.0 / (wave + 1);
        const double cycles = 2.0 + wave * 1.5;
        for (int x = 0; x <= width; ++x) {
            const double y = height / 2.0 + amplitude * std::sin(x * cycles * 2 * M_PI / width);
            if (x == 0)
                path.moveTo(x, y);
            else
                path.lineTo(x, y);
        }
        QColor colour = wave == 0 ? kWave : QColor(255, 255, 255, 160 - wave * 40);
        p.setPen(QPen(colour, 3 - wave));
        p.drawPath(path);
    }
    p.drawPixmap(12, (height - 32) / 2, IconPixmap(32));
    return pixmap;
}
