// The controller with the real engine against the private sound server: a mixed playlist
// plays through by itself, pause holds the time, stop releases everything, and a broken
// file is reported without stopping the player for good.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <functional>

#include "platform/error_report.h"
#include "platform/qt_message_target.h"
#include "playback/playback_controller.h"
#include "tests/engine/sink_lock.h"
#include "tests/engine/sound_server.h"
#include "tests/media/media.h"
#include "tests/media/recording.h"
#include "tests/media/scratch_dir.h"
#include "tests/playback/widget_player_view.h"
#include "tests/support/scripted_dialogs.h"

namespace {

// The view remembers every caption, so the order of the tracks can be read back.
class RecordingView : public WidgetPlayerView {
  public:
    using WidgetPlayerView::WidgetPlayerView;
    void SetCaption(const std::string& title) override {
        captions.push_back(title);
        WidgetPlayerView::SetCaption(title);
    }
    std::vector<std::string> captions;
};

class PlayThroughTest : public testing::Test {
  protected:
    void SetUp() override {
        REQUIRE_SOUND_SERVER();
        view.endTarget = messages.Target();
    }
    void TearDown() override {
        errors.Guard([&] { controller.FreeAllBASS(); });
    }

    std::string Tone(const std::string& name, double seconds, double hz) {
        return media::WriteWav(dir / name, {.seconds = seconds, .toneHz = hz}).path.string();
    }
    // Runs the event loop, as the program does, until the condition holds.
    bool RunUntil(const std::function<bool()>& condition, int timeoutMs) {
        return QTest::qWaitFor(condition, timeoutMs);
    }
    std::vector<std::string> ErrorTexts() const {
        std::vector<std::string> texts;
        for (const auto& m : dialogs.Messages()) texts.push_back(m.text);
        return texts;
    }

    SinkLock sinkLock;
    media::ScratchDir dir{
        "playback-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name())};
    PlaylistModel model;
    RecordingView view{model};
    lightBASS bass;  // libbass.so beside the test binary, as beside the player
    ScriptedDialogs dialogs;
    ErrorReport errors{dialogs, [this] { return view.applicationTitle; }};
    PlaybackController controller{view, model, bass, errors};
    QtMessageTarget messages{[this](std::uint32_t message, std::uintptr_t wparam, std::intptr_t) {
        if (message == VYN_WM_USER) errors.Guard([&] { controller.WM_NEXT(wparam); });
    }};
};

TEST_F(PlayThroughTest, MixedPlaylistPlaysThroughToTheEndAndIsHeard) {
    const media::ToneSpec mono{.channels = 1, .seconds = 0.8, .toneHz = 660};
    model.Append({
        media::WriteMp3(dir / "first.mp3", {.seconds = 0.8, .toneHz = 440}).path.string(),
        media::WriteOgg(dir / "second.ogg", mono).path.string(),
        Tone("third.wav", 0.8, 880),
        media::WriteMod(dir / "fourth.mod", {.name = "Closing Tune", .orders = 1, .speed = 3})
            .path.string(),
    });
    media::SinkRecorder recorder(dir / "sink.wav");
    ASSERT_TRUE(recorder.WaitUntilRecording());
    errors.Guard([&] { controller.PlayButtonClick(); });
    EXPECT_TRUE(RunUntil([&] { return !bass.LibraryLoaded(); }, 20000))
        << "the end of the list releases the engine";
    const media::Pcm sink = recorder.Stop();

    EXPECT_TRUE(ErrorTexts().empty()) << ErrorTexts().front();
    EXPECT_EQ(view.captions,
              (std::vector<std::string>{"first", "second", "third", "Closing Tune", "Vyn Player"}));
    EXPECT_EQ(view.ElapsedText(), "0:00");
    EXPECT_EQ(view.TotalText(), "0:00");
    EXPECT_EQ(view.applicationTitle, "Closing Tune");
    EXPECT_FALSE(controller.TimerActive());

    for (double hz : {440.0, 660.0, 880.0})
        EXPECT_GT(media::ToneAmplitude(sink, hz, 0, sink.seconds()), 0.01) << hz << " Hz";
    // The module comes last and is quieter; look for its tone where the sound ends.
    const auto end = media::SoundEnd(sink);
    ASSERT_TRUE(end.has_value());
    EXPECT_GT(media::ToneAmplitude(sink, media::kSampleRate / double(media::kSampleCycle),
                                   *end - 0.7, 0.5),
              0.01);
}

TEST_F(PlayThroughTest, PauseHoldsTheTimeAndStopReleasesEverything) {
    model.Append(Tone("long.wav", 8, 440));
    controller.PlayButtonClick();
    EXPECT_EQ(view.TotalText(), "0:08");
    ASSERT_TRUE(RunUntil([&] { return view.SeekPosition() > 176400 / 2; }, 5000));

    controller.PauseButtonClick();
    QTest::qWait(300);  // let the audible position settle on the pause
    const int paused = view.SeekPosition();
    const std::string pausedTime = view.ElapsedText();
    QTest::qWait(700);
    EXPECT_EQ(view.SeekPosition(), paused);
    EXPECT_EQ(view.ElapsedText(), pausedTime);
    EXPECT_TRUE(controller.TimerActive()) << "the tip is still refreshed while paused";

    controller.PauseButtonClick();
    EXPECT_TRUE(RunUntil([&] { return view.SeekPosition() > paused; }, 3000));

    controller.StopButtonClick();
    EXPECT_EQ(view.Caption(), "Vyn Player");
    EXPECT_EQ(view.ElapsedText(), "0:00");
    EXPECT_EQ(view.TotalText(), "0:00");
    EXPECT_FALSE(bass.LibraryLoaded());
    EXPECT_FALSE(controller.TimerActive());
}

TEST_F(PlayThroughTest, SeekingMovesTheAudiblePosition) {
    model.Append(Tone("seek.wav", 8, 440));
    controller.PlayButtonClick();
    int target = 176400 * 5;
    controller.Position().ProgrBarScroll(scEndScroll, target);
    ASSERT_TRUE(RunUntil([&] { return view.SeekPosition() >= target; }, 3000));
    EXPECT_EQ(view.ElapsedText().substr(0, 3), "0:0");
    EXPECT_GE(view.ElapsedText(), "0:05");
}

TEST_F(PlayThroughTest, BrokenFileIsReportedAndNextPlaysOn) {
    model.Append(
        {media::WriteRandomBytes(dir / "broken.mp3", 4096).string(), Tone("fine.wav", 0.5, 440)});
    errors.Guard([&] { controller.PlayButtonClick(); });
    ASSERT_EQ(ErrorTexts().size(), 1u);
    EXPECT_EQ(ErrorTexts()[0], "Unsupported file format.");
    EXPECT_EQ(bass.Channel(), 0u);

    errors.Guard([&] { controller.NextButtonClick(); });
    EXPECT_EQ(ErrorTexts().size(), 1u);
    EXPECT_NE(bass.Channel(), 0u);
    EXPECT_EQ(view.Caption(), "fine");
    EXPECT_TRUE(RunUntil([&] { return !bass.LibraryLoaded(); }, 5000));
}

}  // namespace
