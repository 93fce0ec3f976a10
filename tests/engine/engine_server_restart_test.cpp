// The sound server killed mid-play and started again on the same socket, as PulseAudio and
// PipeWire restart on updates (PipeWire's pipewire-pulse alone, or the whole graph): the
// engine reconnects by itself and plays on from what was heard. Each test runs its own
// server, without a keep-alive client, so a PulseAudio sink also shows how the position meets
// a sink that has rendered ahead.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <pulse/stream.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <ostream>
#include <regex>
#include <string>
#include <thread>
#include <tuple>

#include "tests/engine/bass_library.h"
#include "tests/engine/posted_messages.h"
#include "tests/media/media.h"
#include "tests/media/restartable_server.h"
#include "tests/media/scratch_dir.h"

// Failure injection: while set, making a stream throws, as a failed allocation or a thread
// that can't be started deep inside it would.
std::atomic<bool> gStreamNewThrows{false};

// Takes the place of libpulse's for the engine the test loads.
extern "C" pa_stream* pa_stream_new(pa_context* c, const char* name, const pa_sample_spec* ss,
                                    const pa_channel_map* map) {
    if (gStreamNewThrows) throw std::bad_alloc();
    using Real =
        pa_stream* (*)(pa_context*, const char*, const pa_sample_spec*, const pa_channel_map*);
    // libpulse came in privately with the engine, after this program: found by name.
    static const auto real = reinterpret_cast<Real>(
        dlsym(dlopen("libpulse.so.0", RTLD_LAZY | RTLD_NOLOAD), "pa_stream_new"));
    return real(c, name, ss, map);
}

namespace {

struct Track {
    const char* name;
    bool music;
};
void PrintTo(const Track& track, std::ostream* os) {
    *os << track.name;
}

class ServerRestart : public ::testing::TestWithParam<std::tuple<Track, ServerKind>> {
  protected:
    void SetUp() override { START_SOUND_SERVER(server()); }
    void TearDown() override {
        if (bass_) bass_->Free();
        bass_.reset();
        unsetenv("VYN_ENGINE_GIVE_UP_MS");
    }

    // Loads and initialises the engine; `giveUpMs` shortens the wait for a lost server.
    void Init(std::optional<int> giveUpMs = std::nullopt) {
        if (giveUpMs) setenv("VYN_ENGINE_GIVE_UP_MS", std::to_string(*giveUpMs).c_str(), 1);
        bass_.emplace();
        ASSERT_TRUE(bass_->Init(-1, 44100, 32, &messages_)) << "code " << bass_->ErrorGetCode();
    }
    BassLibrary& bass() { return *bass_; }
    RestartableServer& server() { return *server_; }
    bool music() const { return std::get<0>(GetParam()).music; }

    // A 3 s tone, or the 3-order module song (0.96 s an order, 0.12 s a row).
    DWORD Open(bool music) {
        music_ = music;
        DWORD h = 0;
        if (music) {
            const auto xm = media::WriteXm(dir_ / "a.xm", {.orders = 3, .rowsPerOrder = 8});
            h = bass().MusicLoad(0, xm.path.c_str(), 0, 0, 0x2800);
        } else {
            const auto wav = media::WriteWav(dir_ / "a.wav", {.seconds = 3});
            h = bass().StreamCreateFile(0, wav.path.c_str(), 0, 0, 0);
        }
        EXPECT_NE(h, 0u) << "code " << bass().ErrorGetCode();
        EXPECT_NE(bass().ChannelSetSync(h, BASS_SYNC_END_MESSAGE, 0, 0x400, 0), 0u);
        return h;
    }
    bool Play(DWORD h) { return music_ ? bass().MusicPlay(h) : bass().StreamPlay(h, 0, 0); }
    double Length(DWORD h) {
        return bass().ChannelBytes2Seconds(
            h, music_ ? bass().MusicGetLength(h, -1) : bass().StreamGetLength(h));
    }
    // The audible position in seconds; module music to the row.
    double Heard(DWORD h) {
        const QWORD p = bass().ChannelGetPosition(h);
        if (!music_) return bass().ChannelBytes2Seconds(h, p);
        return (p & 0xFFFF) * 0.96 + (p >> 16) * 0.12;
    }
    static void Sleep(double s) { std::this_thread::sleep_for(std::chrono::duration<double>(s)); }
    bool WaitUntil(const std::function<bool()>& done, double seconds) {
        for (double t = 0; t < seconds; t += 0.02) {
            if (done()) return true;
            Sleep(0.02);
        }
        return done();
    }
    std::size_t EndsOf(DWORD h) const {
        std::size_t n = 0;
        for (const auto& m : messages_.all()) n += m.wparam == h;
        return n;
    }
    // What the sink holds rendered ahead right now.
    double SinkAheadMs() {
        const std::regex figure(R"(Latency: (\d+) usec)");
        std::smatch m;
        const std::string text = server().PactlOutput({"list", "sinks"});
        return std::regex_search(text, m, figure) ? std::stod(m[1]) / 1000 : -1;
    }

    std::unique_ptr<RestartableServer> server_ = MakeServer(std::get<1>(GetParam()));
    PostedMessages messages_;
    media::ScratchDir dir_{
        "engine-restart-" +
        std::to_string(::testing::UnitTest::GetInstance()->current_test_info()->line())};
    std::optional<BassLibrary> bass_;
    bool music_ = false;
};

TEST_P(ServerRestart, PlaysOnFromWhereItWasHeardAndEndsOnce) {
    Init();
    const DWORD h = Open(music());
    ASSERT_TRUE(Play(h)) << "code " << bass().ErrorGetCode();
    Sleep(1.2);
    // Alone on the server, the stream is run at the latency it asks for.
    const double latency = server().StreamLatencyMs();
    EXPECT_GE(latency, 25);
    EXPECT_LE(latency, 60);

    const double before = Heard(h);
    server().Kill();
    Sleep(0.3);
    const double away = Heard(h);
    EXPECT_GE(away, before) << "the position does not jump back";
    EXPECT_LT(away, before + 0.2);
    Sleep(0.3);
    EXPECT_EQ(Heard(h), away) << "the position stands still while the server is away";
    const auto wav = media::WriteWav(dir_ / "new.wav", {.seconds = 0.5});
    EXPECT_EQ(bass().StreamCreateFile(0, wav.path.c_str(), 0, 0, 0), 0u);
    EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_DRIVER);

    ASSERT_TRUE(server().Start());
    media::SinkRecorder recorder(dir_ / "rec.wav");
    ASSERT_TRUE(recorder.WaitUntilRecording());
    ASSERT_TRUE(WaitUntil([&] { return EndsOf(h) > 0; }, Length(h) - away + 5)) << "no end";
    Sleep(0.4);
    EXPECT_EQ(messages_.all().size(), 1u);
    const auto spans = media::FindSound(recorder.Stop(), 0.02, 0.1);
    ASSERT_FALSE(spans.empty()) << "sound returns on the new server";
    double heard = 0;
    for (const auto& s : spans) heard += s.end - s.start;
    // The rest after the frame last heard, give or take the recorder's start.
    EXPECT_NEAR(heard, Length(h) - away, music() ? 0.3 : 0.2);
}

// A PulseAudio null sink with no client renders two seconds at a time, and a new stream is
// heard only once what it still holds has played out: the position must wait for that, not
// run from the start.
using IdleSink = ServerRestart;
TEST_P(IdleSink, PositionWaitsForWhatAnIdleSinkRenderedAhead) {
    using Clock = std::chrono::steady_clock;
    Init();
    const DWORD h = Open(music());
    ASSERT_TRUE(WaitUntil([&] { return SinkAheadMs() > 1700; }, 5))
        << "the idle sink never held 1.7 s ahead";
    ASSERT_TRUE(Play(h)) << "code " << bass().ErrorGetCode();
    Sleep(0.3);  // the sink may take back part of what it held for the new stream
    const Clock::time_point asked = Clock::now();  // before the reading: on the safe side
    const double ahead = SinkAheadMs() / 1000;
    ASSERT_GT(ahead, 0.3);
    double since = 0;
    while ((since = std::chrono::duration<double>(Clock::now() - asked).count()) < ahead + 0.8) {
        ASSERT_LE(Heard(h), std::max(0.0, since - ahead) + 0.15) << since << " s after asking";
        Sleep(0.02);
    }
    EXPECT_GT(Heard(h), 0.5) << "it plays once the sink has caught up";
}

TEST_P(ServerRestart, PausedStaysPausedAndResumesWhereItStood) {
    Init();
    const DWORD h = Open(music());
    ASSERT_TRUE(Play(h)) << "code " << bass().ErrorGetCode();
    Sleep(0.8);
    ASSERT_TRUE(bass().ChannelPause(h));
    const QWORD paused = bass().ChannelGetPosition(h);
    server().Kill();
    Sleep(0.2);
    EXPECT_EQ(bass().ChannelGetPosition(h), paused);
    ASSERT_TRUE(server().Start());
    Sleep(1.0);  // reconnected meanwhile
    EXPECT_EQ(bass().ChannelGetPosition(h), paused);
    EXPECT_TRUE(messages_.all().empty());
    EXPECT_FALSE(bass().ChannelPause(h)) << "still paused, not playing";
    EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_NOPLAY);
    ASSERT_TRUE(bass().ChannelResume(h)) << "code " << bass().ErrorGetCode();
    ASSERT_TRUE(WaitUntil([&] { return EndsOf(h) > 0; }, Length(h) + 3));
    Sleep(0.3);
    EXPECT_EQ(messages_.all().size(), 1u);
}

TEST_P(ServerRestart, AwayTooLongStopsWithoutAnEndAndPlayWorksOnceBack) {
    Init(600);
    const DWORD h = Open(music());
    ASSERT_TRUE(Play(h)) << "code " << bass().ErrorGetCode();
    Sleep(0.8);
    server().Kill();
    Sleep(1.0);
    const QWORD stood = bass().ChannelGetPosition(h);
    EXPECT_FALSE(bass().ChannelPause(h)) << "stopped, so not playing";
    EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_NOPLAY);
    EXPECT_FALSE(Play(h)) << "nothing plays without a server";
    EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_DRIVER);

    ASSERT_TRUE(server().Start());
    ASSERT_TRUE(WaitUntil([&] { return Play(h) != 0; }, 3)) << "code " << bass().ErrorGetCode();
    EXPECT_GE(bass().ChannelGetPosition(h), stood) << "it plays on from where it stopped";
    // A new stream works without BASS_Free and BASS_Init.
    const auto wav = media::WriteWav(dir_ / "new.wav", {.seconds = 0.3, .toneHz = 0});
    const HSTREAM fresh = bass().StreamCreateFile(0, wav.path.c_str(), 0, 0, 0);
    ASSERT_NE(fresh, 0u) << "code " << bass().ErrorGetCode();
    ASSERT_NE(bass().ChannelSetSync(fresh, BASS_SYNC_END_MESSAGE, 0, 0x400, 0), 0u);
    ASSERT_TRUE(bass().StreamPlay(fresh, 0, 0));
    ASSERT_TRUE(WaitUntil([&] { return EndsOf(fresh) > 0 && EndsOf(h) > 0; }, Length(h) + 3));
    Sleep(0.3);
    EXPECT_EQ(EndsOf(fresh), 1u);
    EXPECT_EQ(EndsOf(h), 1u) << "the stopped channel posted nothing while it stood";
}

// A stream the server kills while the connection lives on (a mixer's "kill", a sink gone
// with nowhere to move to): the track ends there with its end message, so that the player
// carries on instead of waiting for an end that never comes.
TEST_P(ServerRestart, AStreamTheServerKillsEndsTheTrack) {
    Init();
    const DWORD h = Open(music());
    ASSERT_TRUE(Play(h));
    Sleep(0.8);
    ASSERT_TRUE(server().KillStreams());
    ASSERT_TRUE(WaitUntil([&] { return EndsOf(h) > 0; }, 2)) << "no end";
    const double stood = Heard(h);
    EXPECT_LT(stood, Length(h) - 1);
    Sleep(0.3);
    EXPECT_EQ(EndsOf(h), 1u);
    EXPECT_EQ(Heard(h), stood);
}

// The server comes back, and the playing channel's new stream can't be made for want of
// memory: the engine's callback inside libpulse stops the channel where it was heard instead
// of letting the exception through libpulse's C frames, and it plays on when asked again.
TEST_P(ServerRestart, AThrowingRestartStopsTheChannelAndPlayWorksAgain) {
    Init();
    const DWORD h = Open(music());
    ASSERT_TRUE(Play(h));
    Sleep(0.6);
    server().Kill();
    Sleep(0.2);
    gStreamNewThrows = true;
    ASSERT_TRUE(server().Start());
    Sleep(1.0);  // reconnected meanwhile
    gStreamNewThrows = false;
    EXPECT_FALSE(bass().ChannelPause(h)) << "stopped, so not playing";
    EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_NOPLAY);
    EXPECT_TRUE(messages_.all().empty()) << "stopped, not ended";
    ASSERT_TRUE(Play(h)) << "code " << bass().ErrorGetCode();
    ASSERT_TRUE(WaitUntil([&] { return EndsOf(h) > 0; }, Length(h) + 3));
}

// The server goes while the next track has taken over the stream the last one left playing:
// the next one plays on the new server from what was heard of it, and each track ends once.
TEST_P(ServerRestart, ABoundaryDuringARestartNeitherLosesNorRepeatsATrack) {
    Init();
    const auto wav = media::WriteWav(dir_ / "first.wav", {.seconds = 0.6});
    const DWORD first = bass().StreamCreateFile(0, wav.path.c_str(), 0, 0, 0);
    ASSERT_NE(bass().ChannelSetSync(first, BASS_SYNC_END_MESSAGE, 0, 0x400, 0), 0u);
    ASSERT_TRUE(bass().StreamPlay(first, 0, 0));
    ASSERT_TRUE(WaitUntil([&] { return EndsOf(first) > 0; }, 5)) << "no end of the first";
    ASSERT_TRUE(bass().StreamFree(first));
    const DWORD next = Open(music());
    ASSERT_TRUE(Play(next));
    server().Kill();
    Sleep(0.3);
    ASSERT_TRUE(server().Start());
    media::SinkRecorder recorder(dir_ / "rec.wav");
    ASSERT_TRUE(recorder.WaitUntilRecording());
    ASSERT_TRUE(WaitUntil([&] { return EndsOf(next) > 0; }, Length(next) + 5)) << "no end";
    Sleep(0.4);
    EXPECT_EQ(messages_.all().size(), 2u);
    double heard = 0;
    for (const auto& span : media::FindSound(recorder.Stop(), 0.02, 0.1))
        heard += span.end - span.start;
    EXPECT_NEAR(heard, Length(next), music() ? 0.4 : 0.3) << "the next track, whole";
}

// A server that stops answering keeps its clients' sockets open, and nothing tells the engine
// how long it will be: a seek must not wait for it, and playback goes on from the new place
// once it answers again.
TEST_P(ServerRestart, ASeekWhileTheServerHangsReturnsAndPlaysOnFromThereOnceItAnswers) {
    Init();
    const DWORD h = Open(music());
    ASSERT_TRUE(Play(h));
    Sleep(0.5);
    server().Freeze(true);
    std::atomic<bool> answering = false;
    std::jthread thaw([&] {
        Sleep(3);
        answering = true;
        server().Freeze(false);
    });
    // A seek bar dragged on to order 2 of the song, or 2 s into the 3 s tone.
    for (const QWORD to : {1, 2})
        ASSERT_TRUE(bass().ChannelSetPosition(
            h, music() ? to : bass().StreamGetLength(h) / 3 * to / 4 * 4));
    const double target = music() ? 1.92 : 2;
    EXPECT_NEAR(Heard(h), target, 0.01) << "the position is the new place at once";
    EXPECT_TRUE(bass().ChannelPause(h));
    EXPECT_TRUE(bass().ChannelResume(h));
    EXPECT_FALSE(answering) << "the calls waited for the server";
    thaw.join();
    EXPECT_TRUE(WaitUntil([&] { return Heard(h) > target + 0.2; }, 3)) << "plays on from there";
    ASSERT_TRUE(WaitUntil([&] { return EndsOf(h) > 0; }, Length(h))) << "no end";
    EXPECT_EQ(messages_.all().size(), 1u);
    // Every stream it had is gone from the server: those let go of before the server had
    // made them, and the ended one, whose last part PipeWire plays only when it is drained.
    ASSERT_TRUE(music() ? bass().MusicFree(h) : bass().StreamFree(h));
    const auto streams = [&] { return server().PactlOutput({"list", "short", "sink-inputs"}); };
    EXPECT_TRUE(WaitUntil([&] { return streams().empty(); }, 2)) << streams();
}

std::string RowName(const ::testing::TestParamInfo<std::tuple<Track, ServerKind>>& info) {
    return std::string(std::get<0>(info.param).name) + "_" + ServerName(std::get<1>(info.param));
}

const auto kTracks = ::testing::Values(Track{"Stream", false}, Track{"Music", true});

INSTANTIATE_TEST_SUITE_P(Kinds, ServerRestart,
                         ::testing::Combine(kTracks, ::testing::Values(ServerKind::PulseAudio,
                                                                       ServerKind::PipeWire,
                                                                       ServerKind::PipeWirePulse)),
                         RowName);
// Only a PulseAudio sink renders ahead while idle.
INSTANTIATE_TEST_SUITE_P(Kinds, IdleSink,
                         ::testing::Combine(kTracks, ::testing::Values(ServerKind::PulseAudio)),
                         RowName);

}  // namespace
