#include "app/seek_bar.h"

#include <QStyleOptionSlider>

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
