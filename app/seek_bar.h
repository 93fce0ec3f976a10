// The seek bar. The position timer moves it ten times a second, but a long track's thumb
// moves a pixel only every second or so: repainting for a value change that leaves the
// thumb where it was is the player's largest cost while it plays, so such changes don't,
// and a thumb that moves repaints only the part of the bar it left and entered.
#pragma once

#include <QRect>
#include <QScrollBar>

class SeekBar : public QScrollBar {
    Q_OBJECT
  public:
    explicit SeekBar(QWidget* parent = nullptr);

  protected:
    void sliderChange(SliderChange change) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    QRect ThumbRect() const;

    QRect paintedThumb_;
};
