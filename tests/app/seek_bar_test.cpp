// The seek bar repaints when its thumb moves, and only then.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>

#include "app/seek_bar.h"

namespace {

class PaintCounter : public QObject {
  public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
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

    const int before = counter.paints;
    bar.setRange(0, 100);  // a range change always repaints
    QCoreApplication::processEvents();
    EXPECT_GT(counter.paints, before);
}

}  // namespace
