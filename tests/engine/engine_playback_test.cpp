// Every format, played for real into the null sink and recorded from its monitor: length,
// tone, pause and resume, seeking, and the end message.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "tests/engine/engine_fixture.h"
#include "tests/engine/engine_media.h"
#include "tests/engine/sink_lock.h"
#include "tests/media/media.h"

namespace {

using Clock = PostedMessages::Clock;

double SecondsBetween(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

class EnginePlayback : public EngineTest,
                       public ::testing::WithParamInterface<std::tuple<EngineMedia, ServerKind>> {
  protected:
    const EngineMedia& media() const { return std::get<0>(GetParam()); }
    ServerKind serverKind() const override { return std::get<1>(GetParam()); }

    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        file_ = WriteEngineMedia(media(), dir_.path());
        const char* path = file_.path.c_str();
        handle_ = media().music ? bass().MusicLoad(0, path, 0, 0, 0x2800)
                                : bass().StreamCreateFile(0, path, 0, 0, 0);
        ASSERT_NE(handle_, 0u) << "code " << bass().ErrorGetCode();
        ASSERT_NE(bass().ChannelSetSync(handle_, BASS_SYNC_END_MESSAGE, 0, 0x400, 0), 0u);
    }

    bool music() const { return media().music; }
    QWORD lengthBytes() {
        return music() ? bass().MusicGetLength(handle_, -1) : bass().StreamGetLength(handle_);
    }
    double lengthSeconds() { return bass().ChannelBytes2Seconds(handle_, lengthBytes()); }
    bool play() { return music() ? bass().MusicPlay(handle_) : bass().StreamPlay(handle_, 0, 0); }
    // Stream position in seconds (streams only).
    double positionSeconds() {
        return bass().ChannelBytes2Seconds(handle_, bass().ChannelGetPosition(handle_));
    }

    // Waits for the end message, then a little longer to see that no second one follows.
    void waitForTheEnd(double timeoutSeconds) {
        ASSERT_TRUE(messages_.waitFor(1, std::chrono::milliseconds(int(timeoutSeconds * 1000))))
            << "no end message";
        Sleep(0.4);
        const auto posted = messages_.all();
        ASSERT_EQ(posted.size(), 1u);
        EXPECT_EQ(posted[0].message, 0x400u);
        EXPECT_EQ(posted[0].wparam, handle_);
    }

    void expectTone(const media::Pcm& pcm, double from, double to) {
        ASSERT_GT(to - from, 0.1);
        const double hz = media::DominantFrequency(pcm, from, to - from);
        EXPECT_NEAR(hz, file_.toneHz, file_.toneHz * 0.01) << "between " << from << " and " << to;
    }

    std::vector<media::SoundSpan> sound(const media::Pcm& pcm) {
        return media::FindSound(pcm, 0.02, 0.1);
    }

    SinkLock sink_;
    media::MediaFile file_;
    DWORD handle_ = 0;
};

TEST_P(EnginePlayback, OpensWithTheExactLength) {
    const long long frames =
        static_cast<long long>(lengthBytes() / (music() ? 4 : 2 * file_.channels));
    EXPECT_LE(frames, file_.frames + media().slackAbove + (music() ? 441 : 0));
    EXPECT_GE(frames, file_.frames - media().slackBelow - (music() ? 441 : 0));
    EXPECT_NEAR(lengthSeconds(), file_.seconds, music() ? 0.01 : 0.08);
    if (music()) {
        EXPECT_EQ(bass().MusicGetLength(handle_, 0), QWORD(EngineModuleSong().orders));
        EXPECT_STREQ(bass().MusicGetName(handle_), "Vyn Test Tune");
        EXPECT_EQ(bass().ChannelGetPosition(handle_), 0u);
    } else {
        EXPECT_EQ(lengthBytes() % (2 * file_.channels), 0u);
        EXPECT_EQ(bass().ChannelGetPosition(handle_), 0u);
    }
}

TEST_P(EnginePlayback, PlaysTheToneOnceAndPostsTheEndAsItsLastMomentsAreHeard) {
    media::SinkRecorder recorder(dir_ / "rec.wav");
    ASSERT_TRUE(recorder.WaitUntilRecording());
    ASSERT_TRUE(bass().Start());
    ASSERT_TRUE(play()) << "code " << bass().ErrorGetCode();
    waitForTheEnd(lengthSeconds() + 3);
    // Where the recording stood when the message came: the time to the tone's recorded end is
    // what was left to be heard (the server may take a while to start the stream, so the time
    // since play is not).
    const double recordedAtMessage =
        recorder.RecordedSeconds() - SecondsBetween(messages_.all()[0].when, Clock::now());
    const media::Pcm pcm = recorder.Stop();
    const auto spans = sound(pcm);
    ASSERT_EQ(spans.size(), 1u) << "the tone plays once, without gaps";
    const double heard = spans[0].end - spans[0].start;
    EXPECT_NEAR(heard, file_.seconds, 0.1);
    expectTone(pcm, spans[0].start + 0.05, spans[0].end - 0.05);
    // The message comes as the last moments start to be heard (room for the player to start
    // the next track in the same stream), not when decoding ended. The recording runs its own
    // latency behind the sink, which lengthens the lead seen here by that much.
    const double lead = spans[0].end - recordedAtMessage;
    EXPECT_GT(lead, 0.25 - 0.06);
    EXPECT_LT(lead, 0.25 + 0.06);
    if (!music()) {
        EXPECT_EQ(bass().ChannelGetPosition(handle_), lengthBytes());
    }
}

TEST_P(EnginePlayback, PauseSilencesAndResumeCarriesOn) {
    media::SinkRecorder recorder(dir_ / "rec.wav");
    ASSERT_TRUE(recorder.WaitUntilRecording());
    ASSERT_TRUE(play());
    ASSERT_TRUE(recorder.WaitForSound());
    Sleep(0.5);
    ASSERT_TRUE(bass().ChannelPause(handle_));
    const QWORD pausedAt = bass().ChannelGetPosition(handle_);
    Sleep(0.6);
    EXPECT_EQ(bass().ChannelGetPosition(handle_), pausedAt) << "a paused position stands still";
    EXPECT_TRUE(messages_.all().empty());
    ASSERT_TRUE(bass().ChannelResume(handle_));
    waitForTheEnd(lengthSeconds() + 3);
    const media::Pcm pcm = recorder.Stop();
    const auto spans = sound(pcm);
    ASSERT_EQ(spans.size(), 2u);
    EXPECT_GT(spans[1].start - spans[0].end, 0.5) << "silent while paused";
    const double beforePause = spans[0].end - spans[0].start;
    EXPECT_NEAR(beforePause, 0.5, 0.08);
    if (!music()) {  // the paused position is what was heard
        EXPECT_NEAR(bass().ChannelBytes2Seconds(handle_, pausedAt), beforePause, 0.05);
    }
    EXPECT_NEAR(beforePause + (spans[1].end - spans[1].start), file_.seconds, 0.1)
        << "nothing lost or repeated around the pause";
    expectTone(pcm, spans[1].start + 0.05, spans[1].end - 0.05);
}

TEST_P(EnginePlayback, SeekingMovesWhatIsHeard) {
    media::SinkRecorder recorder(dir_ / "rec.wav");
    ASSERT_TRUE(recorder.WaitUntilRecording());
    ASSERT_TRUE(play());
    ASSERT_TRUE(recorder.WaitForSound());
    Sleep(0.3);
    double skippedTo = 0;
    if (music()) {
        // Order 2 of 3 starts two thirds in.
        ASSERT_TRUE(bass().ChannelSetPosition(handle_, 2));
        EXPECT_EQ(bass().ChannelGetPosition(handle_) & 0xFFFF, 2u);
        skippedTo = file_.seconds * 2 / 3;
    } else {
        const QWORD frameBytes = 2 * file_.channels;
        const QWORD target = lengthBytes() * 2 / 3 / frameBytes * frameBytes;
        ASSERT_TRUE(bass().ChannelSetPosition(handle_, target));
        skippedTo = bass().ChannelBytes2Seconds(handle_, target);
        EXPECT_NEAR(positionSeconds(), skippedTo, 0.06);
    }
    waitForTheEnd(lengthSeconds() + 3);
    const media::Pcm pcm = recorder.Stop();
    const auto spans = sound(pcm);
    ASSERT_FALSE(spans.empty());
    double heard = 0;
    for (const auto& s : spans) heard += s.end - s.start;
    EXPECT_NEAR(heard, 0.3 + (file_.seconds - skippedTo), 0.12);
    expectTone(pcm, spans.back().end - 0.4, spans.back().end - 0.05);
}

TEST_P(EnginePlayback, FreeingAPlayingChannelSilencesItAndPostsNothing) {
    media::SinkRecorder recorder(dir_ / "rec.wav");
    ASSERT_TRUE(recorder.WaitUntilRecording());
    ASSERT_TRUE(play());
    ASSERT_TRUE(recorder.WaitForSound());
    Sleep(0.4);
    ASSERT_TRUE(music() ? bass().MusicFree(handle_) : bass().StreamFree(handle_));
    Sleep(lengthSeconds());
    const media::Pcm pcm = recorder.Stop();
    EXPECT_TRUE(messages_.all().empty());
    const auto spans = sound(pcm);
    ASSERT_EQ(spans.size(), 1u);
    EXPECT_NEAR(spans[0].end - spans[0].start, 0.4, 0.08);
}

std::string RowName(const ::testing::TestParamInfo<std::tuple<EngineMedia, ServerKind>>& info) {
    const ServerKind server = std::get<1>(info.param);
    return std::get<0>(info.param).name +
           (server == ServerKind::PulseAudio ? "" : "_" + ServerName(server));
}

std::vector<EngineMedia> OnPipeWire() {
    std::vector<EngineMedia> some;
    for (const EngineMedia& m : AllEngineMedia())
        if (m.name == "Wav16Stereo44100" || m.name == "Mp3Id3v23" || m.name == "Xm")
            some.push_back(m);
    return some;
}

INSTANTIATE_TEST_SUITE_P(Formats, EnginePlayback,
                         ::testing::Combine(::testing::ValuesIn(AllEngineMedia()),
                                            ::testing::Values(ServerKind::PulseAudio)),
                         RowName);
// A stream of each kind of decoder on PipeWire.
INSTANTIATE_TEST_SUITE_P(PipeWire, EnginePlayback,
                         ::testing::Combine(::testing::ValuesIn(OnPipeWire()),
                                            ::testing::Values(ServerKind::PipeWire)),
                         RowName);

}  // namespace
