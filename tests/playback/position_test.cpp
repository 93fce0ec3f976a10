// The position tick and seeking: elapsed time and thumb for streams and modules, every scroll
// code, dragging, pausing, ranges beyond the bar's 32 bits, and the QScrollBar adapter.
#include <QTest>
#include <vector>

#include "playback/play_time.h"
#include "playback/seek_bar_adapter.h"
#include "tests/playback/controller_fixture.h"

namespace {

class PositionTest : public ControllerTest {
  protected:
    PositionDisplay& position = controller.Position();
    void Scroll(int code, int at) { position.ProgrBarScroll(code, at); }
};

TEST_F(PositionTest, StreamTickShowsElapsedTimeThumbAndTip) {
    SetPlaylist({"/m/one.mp3"});
    controller.PlayButtonClick();
    engine.position = 176400 * 3 + 4;
    position.TimePosTimerProc();
    EXPECT_EQ(view.ElapsedText(), "0:03");
    EXPECT_EQ(view.SeekPosition(), 176400 * 3 + 4);
    EXPECT_EQ(view.trayTip, "one\n0:03 / 0:10");
}

TEST_F(PositionTest, ModuleTickMovesThumbByOrderAndKeepsElapsedAtZero) {
    SetPlaylist({"/m/tune.it"});
    controller.PlayButtonClick();
    engine.position = 5 | (20u << 16);  // order 5, row 20
    position.TimePosTimerProc();
    EXPECT_EQ(view.SeekPosition(), 5);
    EXPECT_EQ(view.ElapsedText(), "0:00");
    EXPECT_EQ(view.trayTip, "Fake Tune\n0:00 / 1:00");
}

// Ten ticks a second: the controls hear only of what changed; the tip is composed each tick.
TEST_F(PositionTest, TickTellsTheControlsOnlyWhatChanged) {
    struct Tick {
        const char* what;
        std::uint64_t position;
        int elapsedSets, seekSets;
    };
    const std::vector<Tick> ticks = {
        {"the same position again", 176400 * 3 + 4, 0, 0},
        {"later within the same second", 176400 * 3 + 17640, 0, 1},
        {"the next second", 176400 * 4, 1, 1},
        {"the same again", 176400 * 4, 0, 0},
    };
    SetPlaylist({"/m/one.mp3"});
    controller.PlayButtonClick();
    engine.position = 176400 * 3 + 4;
    position.TimePosTimerProc();
    ASSERT_EQ(view.ElapsedText(), "0:03");
    for (const Tick& tick : ticks) {
        SCOPED_TRACE(tick.what);
        const int elapsed = view.elapsedSets, seek = view.seekSets, tips = view.tipRefreshes;
        engine.position = tick.position;
        position.TimePosTimerProc();
        EXPECT_EQ(view.elapsedSets - elapsed, tick.elapsedSets);
        EXPECT_EQ(view.seekSets - seek, tick.seekSets);
        EXPECT_EQ(view.tipRefreshes - tips, 1);
        EXPECT_EQ(view.SeekPosition(), static_cast<int>(tick.position));
    }
    EXPECT_EQ(view.ElapsedText(), "0:04");

    view.SetSeekPosition(5);  // moved by hand: the next tick puts the thumb back
    const int seek = view.seekSets;
    position.TimePosTimerProc();
    EXPECT_EQ(view.seekSets - seek, 1);
    EXPECT_EQ(view.SeekPosition(), 176400 * 4);

    // A track started again shows "0:00", so the same second later is shown afresh.
    controller.PlayButtonClick();
    ASSERT_EQ(view.ElapsedText(), "0:00");
    const int elapsed = view.elapsedSets;
    engine.position = 176400 * 4;
    position.TimePosTimerProc();
    EXPECT_EQ(view.elapsedSets - elapsed, 1);
    EXPECT_EQ(view.ElapsedText(), "0:04");
}

TEST_F(PositionTest, ModuleTickMovesTheThumbOnlyWhenTheOrderChanges) {
    SetPlaylist({"/m/tune.it"});
    controller.PlayButtonClick();
    engine.position = 5 | (20u << 16);
    position.TimePosTimerProc();
    const int seek = view.seekSets, elapsed = view.elapsedSets;
    engine.position = 5 | (21u << 16);  // the next row of the same order
    position.TimePosTimerProc();
    EXPECT_EQ(view.seekSets, seek);
    engine.position = 6;
    position.TimePosTimerProc();
    EXPECT_EQ(view.seekSets, seek + 1);
    EXPECT_EQ(view.elapsedSets, elapsed) << "module music shows no elapsed time";
}

TEST_F(PositionTest, WithoutChannelNothingHappens) {
    SetPlaylist({"/m/one.mp3"});
    controller.PlayButtonClick();
    controller.StopButtonClick();
    const std::string tip = view.trayTip;
    position.TimePosTimerProc();
    Scroll(scEndScroll, 10);
    EXPECT_EQ(view.trayTip, tip) << "after stop the tip keeps its last text";
    EXPECT_EQ(engine.setPositions, 0);
}

TEST_F(PositionTest, OnlyTheEndOfAScrollActionSeeks) {
    SetPlaylist({"/m/one.mp3"});
    controller.PlayButtonClick();
    for (int code : {scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTop, scBottom}) {
        Scroll(code, 100);
        EXPECT_FALSE(position.SeekDragging()) << code;
    }
    EXPECT_EQ(engine.setPositions, 0);
    Scroll(scEndScroll, 1000);
    EXPECT_EQ(engine.setPositions, 1);
    EXPECT_EQ(engine.lastSetPosition, 1000u);
}

TEST_F(PositionTest, DragLeavesTheThumbAloneAndSeeksOnRelease) {
    SetPlaylist({"/m/one.mp3"});
    controller.PlayButtonClick();
    Scroll(scTrack, 5000);
    EXPECT_TRUE(position.SeekDragging());
    view.SetSeekPosition(5000);
    engine.position = 100;
    position.TimePosTimerProc();
    EXPECT_EQ(view.SeekPosition(), 5000) << "the tick does not fight the mouse";
    EXPECT_EQ(view.ElapsedText(), "0:00") << "the time still follows the playback";
    Scroll(scPosition, 6000);
    EXPECT_FALSE(position.SeekDragging());
    EXPECT_EQ(engine.setPositions, 0);
    Scroll(scEndScroll, 6000);
    EXPECT_EQ(engine.setPositions, 1);
    EXPECT_EQ(engine.lastSetPosition, 6000u);
}

TEST_F(PositionTest, NoSeekingWhilePaused) {
    SetPlaylist({"/m/one.mp3"});
    controller.PlayButtonClick();
    engine.position = 700;
    controller.PauseButtonClick();
    Scroll(scTrack, 9000);
    Scroll(scPosition, 9000);
    Scroll(scEndScroll, 9000);
    EXPECT_EQ(engine.setPositions, 0);
    view.SetSeekPosition(9000);
    position.TimePosTimerProc();
    EXPECT_EQ(view.SeekPosition(), 700) << "the thumb returns to the paused position";
}

TEST_F(PositionTest, ModuleSeeksByOrder) {
    SetPlaylist({"/m/tune.xm"});
    controller.PlayButtonClick();
    EXPECT_EQ(view.SeekMaximum(), 12);
    Scroll(scEndScroll, 7);
    EXPECT_EQ(engine.lastSetPosition, 7u);
}

TEST_F(PositionTest, StreamBeyondTheBarsRangeIsScaled) {
    engine.streamLength = 5'000'000'000;  // over 7 hours of 44.1 kHz stereo
    SetPlaylist({"/m/long.wav"});
    controller.PlayButtonClick();
    EXPECT_EQ(view.TotalText(), "7:52:25");
    EXPECT_EQ(view.SeekMaximum(), 1'250'000'000);
    engine.position = 4'000'000'000;
    position.TimePosTimerProc();
    EXPECT_EQ(view.ElapsedText(), "6:17:56");
    EXPECT_EQ(view.SeekPosition(), 1'000'000'000);
    Scroll(scEndScroll, 1'100'000'000);
    EXPECT_EQ(engine.lastSetPosition, 4'400'000'000u);
    EXPECT_EQ(engine.lastSetPosition % 4, 0u) << "on a whole sample frame";

    engine.streamLength = 176400;
    controller.NextButtonClick();  // the last entry: nothing
    controller.PlayButtonClick();
    EXPECT_EQ(view.SeekMaximum(), 176400) << "a short track is not scaled";
    Scroll(scEndScroll, 1000);
    EXPECT_EQ(engine.lastSetPosition, 1000u);
}

class SeekBarTest : public PositionTest {
  protected:
    SeekBarTest() {
        new SeekBarAdapter(view.bar, [this](int code, int& at) {
            codes.push_back({code, at});
            position.ProgrBarScroll(code, at);
        });
        SetPlaylist({"/m/one.mp3"});
        controller.PlayButtonClick();
        view.SetSeekPosition(1000);
    }
    // Where the mouse grabs the thumb of the shown bar.
    QPoint ThumbCenter() {
        view.bar->resize(400, 16);
        view.window.show();
        QStyleOptionSlider option;
        option.initFrom(view.bar);
        option.orientation = Qt::Horizontal;
        option.minimum = view.bar->minimum();
        option.maximum = view.bar->maximum();
        option.sliderPosition = view.bar->sliderPosition();
        option.sliderValue = view.bar->value();
        option.pageStep = view.bar->pageStep();
        option.singleStep = view.bar->singleStep();
        const QRect thumb = view.bar->style()->subControlRect(QStyle::CC_ScrollBar, &option,
                                                              QStyle::SC_ScrollBarSlider, view.bar);
        EXPECT_TRUE(thumb.isValid());
        return thumb.center();
    }
    std::vector<std::pair<int, int>> codes;
};

TEST_F(SeekBarTest, StepsAndTroughClicksSeekOneUnitAtOnce) {
    view.bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(codes, (std::vector<std::pair<int, int>>{{scLineDown, 1001}, {scEndScroll, 1001}}));
    EXPECT_EQ(engine.lastSetPosition, 1001u);
    codes.clear();
    view.bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(codes, (std::vector<std::pair<int, int>>{{scPageUp, 1000}, {scEndScroll, 1000}}));
    codes.clear();
    view.bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    view.bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    view.bar->triggerAction(QAbstractSlider::SliderToMaximum);
    view.bar->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(codes, (std::vector<std::pair<int, int>>{{scLineUp, 999},
                                                       {scEndScroll, 999},
                                                       {scPageDown, 1000},
                                                       {scEndScroll, 1000},
                                                       {scBottom, 1764000},
                                                       {scEndScroll, 1764000},
                                                       {scTop, 0},
                                                       {scEndScroll, 0}}));
    EXPECT_EQ(engine.setPositions, 6);
    EXPECT_EQ(engine.lastSetPosition, 0u);
}

TEST_F(SeekBarTest, MouseDragSeeksOnceOnRelease) {
    const QPoint start = ThumbCenter();
    QTest::mousePress(view.bar, Qt::LeftButton, {}, start);
    ASSERT_TRUE(view.bar->isSliderDown());
    QMouseEvent move(QEvent::MouseMove, QPointF(start + QPoint(150, 0)),
                     view.bar->mapToGlobal(QPointF(start + QPoint(150, 0))), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.bar, &move);
    EXPECT_TRUE(position.SeekDragging());
    const int dragged = view.bar->sliderPosition();
    EXPECT_GT(dragged, 1000);
    engine.position = 10;
    position.TimePosTimerProc();
    EXPECT_EQ(view.bar->sliderPosition(), dragged) << "the tick leaves the held thumb alone";
    EXPECT_EQ(engine.setPositions, 0);

    QTest::mouseRelease(view.bar, Qt::LeftButton, {}, start + QPoint(150, 0));
    EXPECT_FALSE(position.SeekDragging());
    EXPECT_EQ(engine.setPositions, 1);
    EXPECT_EQ(engine.lastSetPosition, static_cast<std::uint64_t>(dragged));
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(codes.back(), (std::pair<int, int>{scEndScroll, dragged}));
}

TEST_F(SeekBarTest, ThumbReleasedWhereItWasPressedDoesNotSeek) {
    const QPoint start = ThumbCenter();
    QTest::mousePress(view.bar, Qt::LeftButton, {}, start);
    EXPECT_TRUE(position.SeekDragging());
    QTest::mouseRelease(view.bar, Qt::LeftButton, {}, start);
    EXPECT_FALSE(position.SeekDragging());
    EXPECT_EQ(engine.setPositions, 0);
}

TEST_F(SeekBarTest, WheelIsAFinishedMove) {
    view.bar->triggerAction(QAbstractSlider::SliderMove);
    EXPECT_FALSE(position.SeekDragging());
    EXPECT_EQ(codes, (std::vector<std::pair<int, int>>{{scPosition, 1000}, {scEndScroll, 1000}}));
}

}  // namespace
