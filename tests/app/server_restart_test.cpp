// The whole player with the real engine on a sound server of the test's own, which is killed
// and started again while a track plays, as a PulseAudio or PipeWire restart does. The ticks
// raise no error boxes meanwhile, an action that finds the server away reports it once, and
// once the server is back every way of starting a track plays without pressing Stop first.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "playback/playback_controller.h"
#include "tests/media/media.h"
#include "tests/media/restartable_server.h"
#include "tests/media/scratch_dir.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/wait_until.h"

namespace {

namespace fs = std::filesystem;

void Spin(int milliseconds) {
    WaitUntil([] { return false; }, milliseconds);
}

class ServerRestart : public testing::Test {
  protected:
    void SetUp() override {
        START_SOUND_SERVER(*server);
        media::ToneSpec tone;
        tone.seconds = 20;
        for (const char* name : {"one.wav", "two.wav", "three.wav"})
            form.Playlist().Append(media::WriteWav(scratch.path() / name, tone).path.string());
        form.show();
    }

    // Plays on for a few ticks; the elapsed time must move and no error box may appear.
    void ExpectPlaying(const char* after) {
        SCOPED_TRACE(after);
        EXPECT_TRUE(form.Controller().TimerActive());
        EXPECT_TRUE(form.Controller().HasOpenChannel());
        EXPECT_TRUE(WaitUntil([&] { return form.ElapsedText() != "0:00"; }, 5000));
        EXPECT_EQ(dialogs.Messages().size(), messagesSoFar);
    }

    // One action through the main window's error report, as a click delivers it.
    void Do(const std::function<void()>& action) {
        form.Errors().Guard(action);
        QCoreApplication::processEvents();
    }

    std::unique_ptr<RestartableServer> server = MakeServer(ServerKind::PulseAudio);
    media::ScratchDir scratch{"server-restart"};
    ScriptedDialogs dialogs;
    TMainForm form{dialogs, MainFormOptions{std::string(VYN_BIN_DIR) + "/libbass.so", {}}};
    size_t messagesSoFar = 0;
};

TEST_F(ServerRestart, EveryWayOfStartingATrackWorksOnceTheServerIsBack) {
    PlaybackController& play = form.Controller();
    const std::vector<std::pair<const char*, std::function<void()>>> starts = {
        {"Next", [&] { play.NextButtonClick(); }},
        {"Prev", [&] { play.PrevButtonClick(); }},
        {"Play", [&] { play.PlayButtonClick(); }},
        {"double click",
         [&] {
             form.SelectRow(2);
             play.PlayListDblClick();
         }},
    };
    form.SelectRow(0);
    Do([&] { play.PlaySelected(); });
    ExpectPlaying("first start");

    for (const auto& [name, start] : starts) {
        SCOPED_TRACE(name);
        // Away and back while the track plays: the ticks in between raise nothing.
        server->Kill();
        Spin(600);
        EXPECT_EQ(dialogs.Messages().size(), messagesSoFar);
        ASSERT_TRUE(server->Start());
        Spin(300);
        Do(start);
        ExpectPlaying(name);
    }

    // An action while the server is away reports that once and leaves nothing running...
    server->Kill();
    Spin(300);
    Do([&] { play.PrevButtonClick(); });
    Spin(600);
    EXPECT_LE(dialogs.Messages().size(), messagesSoFar + 1);
    if (dialogs.Messages().size() > messagesSoFar) {
        EXPECT_EQ(dialogs.Messages().back().text, "Can't find a free sound driver.");
        EXPECT_FALSE(play.TimerActive());
        EXPECT_FALSE(play.HasOpenChannel());
    }
    messagesSoFar = dialogs.Messages().size();
    // ...and the next one plays once it is back.
    ASSERT_TRUE(server->Start());
    Spin(300);
    Do([&] { play.NextButtonClick(); });
    ExpectPlaying("after an action while away");
    play.StopButtonClick();
}

}  // namespace
