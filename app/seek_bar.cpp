#include "app/seek_bar.h"

#include <QStyleOptionSlider>

SeekBar::SeekBar(QWidget* parent) : QScrollBar(parent) {
    // The bar paints all of itself, so the panel behind it need not be painted again.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QRect SeekBar::ThumbRect() const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
}

void SeekBar::sliderChange(SliderChange change) {
    if (change != SliderValueChange || !isVisible() || paintedThumb_.isEmpty()) {
        QScrollBar::sliderChange(change);
        return;
    }
    // Only where the thumb was and where it goes: a full repaint draws the groove's lines
    // across the whole width, which the raster engine hands to its worker threads.
    const QRect thumb = ThumbRect();
    if (thumb != paintedThumb_) update(thumb.united(paintedThumb_));
}

void SeekBar::paintEvent(QPaintEvent* event) {
    paintedThumb_ = ThumbRect();
    QScrollBar::paintEvent(event);
}
