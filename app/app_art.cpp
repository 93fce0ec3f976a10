#include "app/app_art.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace {
const QColor kDeep(24, 38, 74);
const QColor kBright(64, 156, 255);
const QColor kWave(255, 196, 64);

// The icon's shapes as fractions of its size: a rounded tile, a play triangle and a short
// sound wave beside it. The painted icon and the scalable one are both drawn from these.
constexpr qreal kCornerRadius = 0.2;
constexpr QPointF kPlay[] = {{0.22, 0.25}, {0.22, 0.75}, {0.58, 0.5}};
constexpr qreal kWaveWidth = 1.0 / 14.0;
struct Bar {
    qreal x, top, bottom;
};
constexpr Bar kWaveBars[] = {{0.68, 0.38, 0.62}, {0.80, 0.28, 0.72}};

void PaintIcon(QPainter& p, qreal s) {
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient tile(0, 0, 0, s);
    tile.setColorAt(0, kBright);
    tile.setColorAt(1, kDeep);
    p.setPen(Qt::NoPen);
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(0.5, 0.5, s - 1, s - 1), s * kCornerRadius, s * kCornerRadius);
    QPainterPath play;
    play.moveTo(kPlay[0] * s);
    play.lineTo(kPlay[1] * s);
    play.lineTo(kPlay[2] * s);
    play.closeSubpath();
    p.setBrush(Qt::white);
    p.drawPath(play);
    p.setPen(QPen(kWave, s * kWaveWidth, Qt::SolidLine, Qt::RoundCap));
    for (const Bar& bar : kWaveBars)
        p.drawLine(QPointF(bar.x, bar.top) * s, QPointF(bar.x, bar.bottom) * s);
}

QPixmap IconPixmap(int size) {
    return QPixmap::fromImage(IconImage(size));
}
}  // namespace

QImage IconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    PaintIcon(p, size);
    return image;
}

QByteArray IconSvg(int size) {
    const qreal s = size;
    auto n = [](qreal v) { return QByteArray::number(v, 'g', 6); };
    auto colour = [](const QColor& c) { return c.name().toLatin1(); };
    QByteArray svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + n(s) + "\" height=\"" + n(s) +
           "\" viewBox=\"0 0 " + n(s) + " " + n(s) + "\">\n";
    svg +=
        "  <defs><linearGradient id=\"tile\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">"
        "<stop offset=\"0\" stop-color=\"" +
        colour(kBright) +
        "\"/>"
        "<stop offset=\"1\" stop-color=\"" +
        colour(kDeep) + "\"/></linearGradient></defs>\n";
    svg += "  <rect x=\"0.5\" y=\"0.5\" width=\"" + n(s - 1) + "\" height=\"" + n(s - 1) +
           "\" rx=\"" + n(s * kCornerRadius) + "\" fill=\"url(#tile)\"/>\n";
    svg += "  <path d=\"M" + n(kPlay[0].x() * s) + " " + n(kPlay[0].y() * s);
    for (int i = 1; i < 3; ++i) svg += " L" + n(kPlay[i].x() * s) + " " + n(kPlay[i].y() * s);
    svg += " Z\" fill=\"#ffffff\"/>\n";
    svg += "  <g stroke=\"" + colour(kWave) + "\" stroke-width=\"" + n(s * kWaveWidth) +
           "\" stroke-linecap=\"round\">\n";
    for (const Bar& bar : kWaveBars)
        svg += "    <line x1=\"" + n(bar.x * s) + "\" y1=\"" + n(bar.top * s) + "\" x2=\"" +
               n(bar.x * s) + "\" y2=\"" + n(bar.bottom * s) + "\"/>\n";
    svg += "  </g>\n</svg>\n";
    return svg;
}

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
