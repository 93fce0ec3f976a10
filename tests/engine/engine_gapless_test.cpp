// Two tracks cut from one continuous sine, played back to back through the ABI as the player
// plays a list (at the end message: free, open the next, play), recorded from the sink's
// monitor: the sine must run on across the join with nothing inserted, dropped or doubled.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "tests/engine/engine_fixture.h"
#include "tests/engine/sink_lock.h"
#include "tests/media/media.h"

namespace {

constexpr int kRate = 44100;
constexpr double kToneHz = 440.0;  // a period of no whole number of samples
constexpr int kFirstFrames = 44100;
constexpr int kSecondFrames = 39999;

struct JoinCase {
    std::string name;
    std::string extension;
    // Encodes the WAV cut "IN" into "OUT", the file the case plays; empty plays the WAV.
    std::vector<std::string> encoder;
    // The largest step off the sine the codec's own noise makes, of an amplitude of 0.5.
    double noise;
    bool nextFails = false;  // the second file can't be opened: the first is heard out
};

void PrintTo(const JoinCase& c, std::ostream* os) {
    *os << c.name;
}

class EngineGapless : public EngineTest, public ::testing::WithParamInterface<JoinCase> {
  protected:
    // The two halves of one sine, in the case's format.
    std::pair<std::string, std::string> writeHalves() {
        media::WriteWav(dir_ / "whole.wav",
                        {kRate, 2, double(kFirstFrames + kSecondFrames) / kRate, kToneHz, 0.5});
        const auto cut = [&](const std::string& name, std::vector<std::string> trim) {
            const std::string wav = (dir_ / (name + ".wav")).string();
            std::vector<std::string> argv = {"sox", (dir_ / "whole.wav").string(), wav, "trim"};
            argv.insert(argv.end(), trim.begin(), trim.end());
            media::RunProgramOrThrow(argv);
            if (GetParam().encoder.empty()) return wav;
            const std::string out = (dir_ / (name + GetParam().extension)).string();
            std::vector<std::string> encode = GetParam().encoder;
            for (std::string& arg : encode) arg = arg == "IN" ? wav : arg == "OUT" ? out : arg;
            media::RunProgramOrThrow(encode, {"LC_ALL=C.UTF-8"});
            return out;
        };
        return {cut("a", {"0s", std::to_string(kFirstFrames) + "s"}),
                cut("b", {std::to_string(kFirstFrames) + "s"})};
    }

    DWORD start(const std::string& path) {
        const DWORD h = bass().StreamCreateFile(0, path.c_str(), 0, 0, 0);
        if (h && bass().ChannelSetSync(h, BASS_SYNC_END_MESSAGE, 0, 0x400, 0) &&
            bass().StreamPlay(h, 0, 0))
            return h;
        return 0;
    }

    SinkLock sink_;
};

// The largest deviation from x[n+1] = 2 cos(w) x[n] - x[n-1], which a pure sine keeps
// exactly: a gap, a dropped or a doubled block breaks it where it happens.
double LargestStepOffTheSine(const std::vector<float>& x, std::size_t from, std::size_t to) {
    const double c = 2 * std::cos(2 * std::numbers::pi * kToneHz / kRate);
    double worst = 0;
    for (std::size_t n = from + 1; n + 1 < to; ++n)
        worst = std::max(worst, std::abs(x[n + 1] + x[n - 1] - c * x[n]));
    return worst;
}

TEST_P(EngineGapless, TheSecondTrackFollowsTheFirstWithoutAGap) {
    const auto [first, second] = writeHalves();
    const std::string next = GetParam().nextFails ? (dir_ / "missing.wav").string() : second;
    media::SinkRecorder recorder(dir_ / "rec.wav");
    ASSERT_TRUE(recorder.WaitUntilRecording());
    const DWORD a = start(first);
    ASSERT_NE(a, 0u) << "code " << bass().ErrorGetCode();
    ASSERT_TRUE(messages_.waitFor(1, std::chrono::seconds(5)));
    ASSERT_TRUE(bass().StreamFree(a));
    const DWORD b = start(next);
    if (GetParam().nextFails) {
        EXPECT_EQ(b, 0u);
        EXPECT_EQ(bass().ErrorGetCode(), 2);
    } else {
        ASSERT_NE(b, 0u) << "code " << bass().ErrorGetCode();
        // The new track's time starts at 0 while the first one's end is still heard.
        EXPECT_LT(bass().ChannelGetPosition(b), 4u * kRate / 5);
        ASSERT_TRUE(messages_.waitFor(2, std::chrono::seconds(5)));
        EXPECT_EQ(messages_.all()[1].wparam, b);
    }
    Sleep(0.5);
    const media::Pcm pcm = recorder.Stop();

    const std::vector<float> mono = media::MixToMono(pcm);
    std::size_t begin = 0, end = mono.size();
    while (begin < end && std::abs(mono[begin]) < 0.02f) ++begin;
    while (end > begin && std::abs(mono[end - 1]) < 0.02f) --end;
    const int expected = kFirstFrames + (GetParam().nextFails ? 0 : kSecondFrames);
    // Nothing inserted or doubled, nothing missing but a few ms at the very start: the
    // monitor of a running null sink loses the first block of a new stream to the sink's
    // rewind.
    EXPECT_LE(end - begin, std::size_t(expected + 8)) << "samples heard";
    EXPECT_GE(end - begin, std::size_t(expected - kRate / 100)) << "samples heard";
    EXPECT_LT(LargestStepOffTheSine(mono, begin + 32, end - 32), GetParam().noise);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, EngineGapless,
    ::testing::Values(
        JoinCase{"Wav", ".wav", {}, 0.002},
        JoinCase{"Mp3", ".mp3", {"lame", "--quiet", "-b", "192", "IN", "OUT"}, 0.02},
        JoinCase{"OggVorbis", ".ogg", {"oggenc", "--quiet", "-q", "6", "-o", "OUT", "IN"}, 0.02},
        JoinCase{"NextFileMissing", ".wav", {}, 0.002, true}),
    [](const auto& info) { return info.param.name; });

}  // namespace
