// The master volume against real sound servers, PulseAudio and PipeWire, one per test
// (restartable_server.h).
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <cstdio>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "platform/qt_message_target.h"
#include "tests/media/process.h"
#include "tests/media/restartable_server.h"
#include "volume/master_volume.h"
#include "volume/pulse_mixer.h"
#include "volume/volume_progress_bar.h"
#include "volume/volume_scale.h"

namespace {

// Long enough for pactl and a reconnect on a machine that is busy building.
constexpr int kPatience = 30000;

std::string SinkReport() {
    return media::ProgramOutput({"pactl", "get-sink-volume", "out"});
}

// The raw per-channel volumes of the sink "out" as pactl reports them.
std::vector<pa_volume_t> SinkVolumes() {
    const std::string text = SinkReport();
    static const std::regex channel(R"(:\s*(\d+)\s*/)");
    std::vector<pa_volume_t> volumes;
    for (std::sregex_iterator it(text.begin(), text.end(), channel), end; it != end; ++it)
        volumes.push_back(static_cast<pa_volume_t>(std::stoul((*it)[1])));
    return volumes;
}

// Every channel of "out" reads as `value` on the control's scale. The server may round a
// volume it derives from a channel balance by one of its own units.
bool SinkReads(uint32_t value) {
    const auto volumes = SinkVolumes();
    if (volumes.empty()) return false;
    for (pa_volume_t v : volumes) {
        const int64_t difference = int64_t{VolumeFromPulse(v)} - value;
        if (difference < -1 || difference > 1 || (value == 0 && v != PA_VOLUME_MUTED)) return false;
    }
    return true;
}

// The main window's side: the volume bar, the message target the mixer posts to, and the
// routing of the change message to MixerControlChange.
class VolumeWindow {
  public:
    VolumeWindow() : bar_adapter(bar), volume(bar_adapter) {
        bar.setRange(0, 100);
        bar.setValue(0);
    }
    int ChangeMessages() const { return changes; }
    bool WaitForChange(int before) {
        return QTest::qWaitFor([&] { return changes > before; }, kPatience);
    }

    QWidget window;
    QProgressBar bar{&window};
    VolumeProgressBar bar_adapter;
    MasterVolume volume;
    int changes = 0;
    QtMessageTarget target{[this](uint32_t message, uintptr_t, intptr_t) {
        if (message != VYN_MM_MIXM_CONTROL_CHANGE) return;
        ++changes;
        volume.MixerControlChange(window.isMinimized());
    }};
};

class PulseMixerTest : public testing::TestWithParam<ServerKind> {
  protected:
    void SetUp() override { START_SOUND_SERVER(server()); }
    RestartableServer& server() { return *server_; }
    void SetVolume(const std::string& percents) {
        std::vector<std::string> args{"set-sink-volume", "out"};
        for (std::size_t from = 0; from < percents.size();) {  // one argument per channel
            const std::size_t space = std::min(percents.find(' ', from), percents.size());
            args.push_back(percents.substr(from, space - from));
            from = space + 1;
        }
        ASSERT_EQ(server().Pactl(args), 0) << percents;
    }

  private:
    std::unique_ptr<RestartableServer> server_ = MakeServer(GetParam());
};
// The tests that restart the server also run with pipewire-pulse restarted alone.
using PulseMixerRestart = PulseMixerTest;

TEST_P(PulseMixerTest, SetUpTakesRangeAndVolumeFromTheDefaultSink) {
    SetVolume("40%");  // pactl: 26214
    VolumeWindow w;
    ASSERT_TRUE(w.volume.SetUp(w.target.Target()));
    EXPECT_EQ(w.bar.minimum(), 0);
    EXPECT_EQ(w.bar.maximum(), 65535);
    EXPECT_EQ(w.bar.value(), static_cast<int>(VolumeFromPulse(26214)));
}

TEST_P(PulseMixerTest, ChannelsReadAsTheLoudestAndAreWrittenAsOne) {
    SetVolume("30% 60%");
    const auto channels = SinkVolumes();
    ASSERT_EQ(channels.size(), 2u);
    ASSERT_LT(channels[0], channels[1]);
    VolumeWindow w;
    ASSERT_TRUE(w.volume.SetUp(w.target.Target()));
    EXPECT_EQ(w.bar.value(), static_cast<int>(VolumeFromPulse(channels[1])));
    w.volume.cmdMaxVolumeClick();
    const int expected = static_cast<int>(VolumeFromPulse(channels[1])) + 1310;
    EXPECT_EQ(w.bar.value(), expected);
    EXPECT_TRUE(QTest::qWaitFor([&] { return SinkReads(expected); }, kPatience)) << SinkReport();
}

TEST_P(PulseMixerTest, ButtonsWriteTheSinkAndQuietStepsMuteBelowTheThreshold) {
    SetVolume("100%");
    VolumeWindow w;
    ASSERT_TRUE(w.volume.SetUp(w.target.Target()));
    ASSERT_EQ(w.bar.value(), 65535);
    w.volume.cmdMaxVolumeClick();  // clamped at the top, written again
    EXPECT_EQ(w.bar.value(), 65535);

    w.bar.setValue(5000);
    const int before = w.ChangeMessages();
    w.volume.cmdMinVolumeClick();
    EXPECT_EQ(w.bar.value(), 3690);
    EXPECT_TRUE(QTest::qWaitFor([] { return SinkReads(0); }, kPatience)) << SinkReport();
    // Our own write comes back as a change notification, which reads the silence into the bar.
    ASSERT_TRUE(w.WaitForChange(before));
    EXPECT_EQ(w.bar.value(), 0);

    w.bar.setValue(4001);
    w.volume.WriteMasterVolume();
    EXPECT_TRUE(QTest::qWaitFor([] { return SinkReads(4001); }, kPatience)) << SinkReport();
}

TEST_P(PulseMixerTest, QuickClicksAreNotUndoneByLateNotifications) {
    SetVolume("50%");
    VolumeWindow w;
    ASSERT_TRUE(w.volume.SetUp(w.target.Target()));
    const int start = w.bar.value();
    for (int i = 0; i < 5; ++i) {
        w.volume.cmdMaxVolumeClick();
        QCoreApplication::processEvents();  // a notification may land between the clicks
    }
    const int expected = start + 5 * 1310;
    EXPECT_TRUE(QTest::qWaitFor([&] { return SinkReads(expected); }, kPatience)) << SinkReport();
    QTest::qWait(200);  // let any notification still on its way arrive
    EXPECT_EQ(w.bar.value(), expected);
}

TEST_P(PulseMixerTest, AnotherProgramsChangeMovesTheBarUnlessTheWindowIsMinimised) {
    SetVolume("50%");
    VolumeWindow w;
    ASSERT_TRUE(w.volume.SetUp(w.target.Target()));
    w.window.show();

    int before = w.ChangeMessages();
    SetVolume("25%");
    ASSERT_TRUE(w.WaitForChange(before));
    EXPECT_EQ(w.bar.value(), static_cast<int>(VolumeFromPulse(16384)));

    w.window.showMinimized();
    ASSERT_TRUE(w.window.isMinimized());
    before = w.ChangeMessages();
    SetVolume("75%");
    ASSERT_TRUE(w.WaitForChange(before));
    EXPECT_EQ(w.bar.value(), static_cast<int>(VolumeFromPulse(16384)));  // dropped, not deferred

    w.window.showNormal();
    QCoreApplication::processEvents();
    EXPECT_EQ(w.bar.value(), static_cast<int>(VolumeFromPulse(16384)));
}

TEST_P(PulseMixerTest, CloseStopsNotificationsAndWrites) {
    SetVolume("50%");
    VolumeWindow w;
    ASSERT_TRUE(w.volume.SetUp(w.target.Target()));
    w.volume.Close();
    EXPECT_FALSE(w.volume.MixerAvailable());
    w.volume.cmdMaxVolumeClick();
    SetVolume("20%");
    QTest::qWait(300);
    EXPECT_EQ(w.ChangeMessages(), 0);
    EXPECT_TRUE(SinkReads(VolumeFromPulse(13107))) << SinkReport();
}

TEST(PulseMixerWithoutServer, NoServerFailsTheSetUpAndLeavesTheControlsInert) {
    ScopedEnv server("PULSE_SERVER", "unix:/nonexistent");
    VolumeWindow w;
    EXPECT_FALSE(w.volume.SetUp(w.target.Target()));
    w.volume.cmdMaxVolumeClick();
    w.volume.cmdMinVolumeClick();
    w.volume.MixerControlChange(false);
    w.volume.Close();
    EXPECT_EQ(w.bar.minimum(), 0);
    EXPECT_EQ(w.bar.maximum(), 100);
    EXPECT_EQ(w.bar.value(), 0);
}

TEST(PulseMixerWithoutServer, ServerThatNeverAnswersFailsTheSetUpInsteadOfHanging) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = dir.filePath("native").toStdString();
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 4), 0);  // connections queue up and are never served

    ScopedEnv server("PULSE_SERVER", "unix:" + path);
    EXPECT_EQ(PulseMixer::Open(nullptr, std::chrono::milliseconds(300)), nullptr);
    close(listener);
}

// The mixer made here, with a view of it kept for watching its connection.
PulseMixer* SetUpWatched(VolumeWindow& w) {
    auto mixer = PulseMixer::Open(w.target.Target());
    PulseMixer* watched = mixer.get();
    return w.volume.SetUp(std::move(mixer)) ? watched : nullptr;
}

TEST_P(PulseMixerRestart, ServerGoingAwayLeavesThePlayerRunning) {
    VolumeWindow w;
    PulseMixer* mixer = SetUpWatched(w);
    ASSERT_TRUE(mixer);
    const int shown = w.bar.value();
    server().Kill();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !mixer->Connected(); }, kPatience));
    w.volume.cmdMinVolumeClick();
    w.volume.MixerControlChange(false);
    EXPECT_EQ(w.volume.ReadMasterVolume(), static_cast<uint32_t>(shown));  // went nowhere
    EXPECT_EQ(w.bar.value(), shown);
    w.volume.Close();
}

// The sound server killed and started again, or on PulseAudio the default sink's module
// reloaded (the sink returns under a new index): each time, twice over, the bar shows the returned
// sink's volume, follows other programs' changes to it and clicks write to it. A sink that outlived
// the restart (PipeWire's own, when pipewire-pulse alone restarts) keeps its volume; a new one
// plays at 100 %.
TEST_P(PulseMixerRestart, AfterTheSinkReturnsTheBarFollowsItAndClicksWriteToIt) {
    std::vector<std::pair<const char*, std::function<bool()>>> returns = {
        {"kill -9 and restart",
         [&] {
             server().Kill();
             return server().Start();
         }},
    };
    if (GetParam() == ServerKind::PulseAudio) {
        returns.emplace_back("module reloaded", [&] {
            return server().Pactl({"unload-module", "module-null-sink"}) == 0 &&
                   server().Pactl({"load-module", "module-null-sink", "sink_name=out"}) == 0;
        });
    }
    for (const auto& [name, sinkReturns] : returns) {
        SCOPED_TRACE(name);
        SetVolume("50%");
        VolumeWindow w;
        PulseMixer* mixer = SetUpWatched(w);
        ASSERT_TRUE(mixer);
        w.window.show();
        for (const char* percents : {"30%", "70%"}) {
            SCOPED_TRACE(percents);
            const int before = w.ChangeMessages();
            ASSERT_TRUE(sinkReturns());
            ASSERT_TRUE(QTest::qWaitFor(
                [&] { return mixer->Connected() && w.ChangeMessages() > before; }, kPatience))
                << "the returned sink is found";
            EXPECT_TRUE(SinkReads(w.bar.value()))
                << "bar " << w.bar.value() << ", " << SinkReport();

            SetVolume(percents);
            const auto set = SinkVolumes();
            ASSERT_FALSE(set.empty());
            const int other = static_cast<int>(VolumeFromPulse(set[0]));
            EXPECT_TRUE(QTest::qWaitFor([&] { return w.bar.value() == other; }, kPatience))
                << "another program's change is followed; bar " << w.bar.value();

            const int beforeClick = w.ChangeMessages();
            w.volume.cmdMinVolumeClick();
            const int clicked = other - 1310;
            EXPECT_EQ(w.bar.value(), clicked);
            EXPECT_TRUE(QTest::qWaitFor([&] { return SinkReads(clicked); }, kPatience))
                << "the click reaches the sink: " << SinkReport();
            // The write's own notification, before the next round counts notifications.
            EXPECT_TRUE(w.WaitForChange(beforeClick));
            EXPECT_EQ(w.bar.value(), clicked);
        }
    }
}

std::string RowName(const testing::TestParamInfo<ServerKind>& info) {
    return ServerName(info.param);
}

INSTANTIATE_TEST_SUITE_P(Servers, PulseMixerTest,
                         testing::Values(ServerKind::PulseAudio, ServerKind::PipeWire), RowName);
INSTANTIATE_TEST_SUITE_P(Servers, PulseMixerRestart,
                         testing::Values(ServerKind::PulseAudio, ServerKind::PipeWire,
                                         ServerKind::PipeWirePulse),
                         RowName);

}  // namespace
