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
    if (change == SliderValueChange && isVisible() && ThumbRect() == paintedThumb_) return;
    QScrollBar::sliderChange(change);
}

void SeekBar::paintEvent(QPaintEvent* event) {
    paintedThumb_ = ThumbRect();
    QScrollBar::paintEvent(event);
}
