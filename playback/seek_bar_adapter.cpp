#include "playback/seek_bar_adapter.h"

#include <QScrollBar>

#include "playback/position_display.h"

SeekBarAdapter::SeekBarAdapter(QScrollBar* bar, ScrollHandler handler)
    : QObject(bar), bar_(bar), handler_(std::move(handler)) {
    bar_->setSingleStep(1);
    bar_->setPageStep(1);
    connect(bar_, &QAbstractSlider::actionTriggered, this, &SeekBarAdapter::OnAction);
    // Holding the thumb already counts as dragging, so the timer leaves it alone.
    connect(bar_, &QAbstractSlider::sliderPressed, this, [this] {
        thumbMoved_ = false;
        Send(scTrack);
    });
    connect(bar_, &QAbstractSlider::sliderMoved, this, [this] {
        thumbMoved_ = true;
        Send(scTrack);
    });
    connect(bar_, &QAbstractSlider::sliderReleased, this, [this] {
        Send(scPosition);
        // A click on the thumb that didn't move it would seek back to the last tick's
        // position: an audible jump for nothing.
        if (thumbMoved_) Send(scEndScroll);
    });
}

// actionTriggered comes with the slider position already moved and limited to the range.
void SeekBarAdapter::OnAction(int action) {
    int code = -1;
    switch (action) {
        case QAbstractSlider::SliderSingleStepAdd:
            code = scLineDown;
            break;
        case QAbstractSlider::SliderSingleStepSub:
            code = scLineUp;
            break;
        case QAbstractSlider::SliderPageStepAdd:
            code = scPageDown;
            break;
        case QAbstractSlider::SliderPageStepSub:
            code = scPageUp;
            break;
        case QAbstractSlider::SliderToMinimum:
            code = scTop;
            break;
        case QAbstractSlider::SliderToMaximum:
            code = scBottom;
            break;
        case QAbstractSlider::SliderMove:
            // A drag is reported by sliderMoved; a move without the thumb held (the wheel) is a
            // finished action of its own.
            if (bar_->isSliderDown()) return;
            code = scPosition;
            break;
        default:
            return;
    }
    Send(code);
    Send(scEndScroll);
}

void SeekBarAdapter::Send(int code) {
    const int before = bar_->sliderPosition();
    int position = before;
    handler_(code, position);
    if (position != before) bar_->setSliderPosition(position);
}
