// The seek bar repaints when its thumb moves, and only then, and only around the thumb.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QPaintEvent>
#include <QRegion>

#include "app/seek_bar.h"

namespace {

class PaintCounter : public QObject {
  public:
    int paints = 0;
    QRegion painted;  // everything repainted since the last reset
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
            painted += static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }
};

TEST(SeekBar, RepaintsOnlyWhenTheThumbMoves) {
    SeekBar bar;
    bar.setOrientation(Qt::Horizontal);
    bar.setGeometry(8, 8, 409, 12);
    bar.setRange(0, 31'000'000);  // three minutes of 44.1 kHz stereo in bytes
    bar.setPageStep(1);
    PaintCounter counter;
    bar.installEventFilter(&counter);
    bar.show();
    for (int i = 0; i < 100 && counter.paints == 0; ++i) QCoreApplication::processEvents();
    ASSERT_GT(counter.paints, 0);
    for (int i = 0; i < 10; ++i) QCoreApplication::processEvents();  // settle
    counter.paints = 0;

    bar.setValue(1000);  // far less than a pixel of thumb travel
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints, 0);
    EXPECT_EQ(bar.value(), 1000);  // the value itself is kept exactly

    bar.setValue(15'000'000);  // half way: the thumb moves
    QCoreApplication::processEvents();
    EXPECT_GE(counter.paints, 1);

    // A step of one pixel repaints the thumb's old and new place, not the whole groove.
    counter.paints = 0;
    counter.painted = QRegion();
    bar.setValue(15'000'000 + 31'000'000 / 380);
    QCoreApplication::processEvents();
    ASSERT_GE(counter.paints, 1);
    const QRect region = counter.painted.boundingRect();
    EXPECT_LT(region.width(), bar.width() / 4) << region.x() << "+" << region.width();
    EXPECT_GT(region.x(), bar.width() / 4) << "around the middle, where the thumb is";

    const int before = counter.paints;
    counter.painted = QRegion();
    bar.setRange(0, 100);  // a range change always repaints, all of it
    QCoreApplication::processEvents();
    EXPECT_GT(counter.paints, before);
    EXPECT_EQ(counter.painted.boundingRect(), bar.rect());
}

}  // namespace
