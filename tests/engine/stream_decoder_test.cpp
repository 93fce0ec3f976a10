// The FLAC and Opus decoders straight, without a sound server: exact lengths, seeks that land
// on the very sample a straight decode gives there, comments as tag kind 2, and sound at the
// level the source had (a 24-bit file reduced to 16 bits stays the same tone).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "engine/engine_error.h"
#include "engine/stream_opener.h"
#include "tests/media/media.h"
#include "tests/media/reference_decoders.h"
#include "tests/media/scratch_dir.h"

namespace {

using namespace media;

struct DecoderCase {
    std::string name;
    std::function<MediaFile(const std::filesystem::path& dir)> write;
    std::int64_t frames;  // expected decoded length
    double rms;           // of the decoded signal, full scale 1
    bool matchesSndfile;  // libsndfile's decode, rounded to 16 bits, within one step
    // FLAC decodes the same samples after a seek. An Opus decoder restarted 80 ms before
    // the target converges on the same signal without being bit-exact, so there the samples
    // after a seek must match a straight decode best at no offset.
    bool bitExactSeek;
    std::string comment{};  // an entry expected in the comment list
};

const ToneSpec kCd{.sampleRate = 44100, .channels = 2, .seconds = 1.2};
const ToneSpec kHiRes{.sampleRate = 96000, .channels = 2, .seconds = 1.2, .toneHz = 1000};
const ToneSpec kMono48{.sampleRate = 48000, .channels = 1, .seconds = 1.0, .toneHz = 660};
const ToneSpec kSurround{.sampleRate = 48000, .channels = 6, .seconds = 0.8, .toneHz = 550};
const ToneSpec kStereo48{.sampleRate = 48000, .channels = 2, .seconds = 1.0, .toneHz = 440};
const double kHalfScaleRms = 0.5 / std::sqrt(2.0);
constexpr int kMinus6dB = -6 * 256;

// A stereo Opus link with a link of `second` chained behind it.
MediaFile OpusChain(const std::filesystem::path& dir, const ToneSpec& second) {
    const MediaFile first = WriteOpus(dir / "a.opus", kStereo48, {.serial = 1});
    WrapFile(first.path, {}, ReadFileBytes(WriteOpus(dir / "b.opus", second, {.serial = 2}).path));
    return first;
}

const std::vector<DecoderCase> kCases = {
    {"Flac16Stereo44100SeekTable",
     [](const auto& dir) {
         return WriteFlac(dir / "a.flac", kCd,
                          {.comments = {{"ARTIST", "Артист"}, {"TITLE", "T"}}});
     },
     FramesOf(kCd), kHalfScaleRms, true, true, "ARTIST=Артист"},
    {"Flac24Stereo96000NoSeekTable",
     [](const auto& dir) {
         return WriteFlac(dir / "a.flac", kHiRes,
                          {.depth = SampleFormat::kSigned24, .seekTable = false});
     },
     FramesOf(kHiRes), kHalfScaleRms, true, true},
    {"Flac16Mono48000BehindAnId3v2Tag",
     [](const auto& dir) {
         return WriteFlac(dir / "a.flac", kMono48,
                          {.comments = {{"TITLE", "Tagged"}},
                           .leadingTag = Id3v2Tag({.frames = {TextFrame("TIT2", "Id3")}})});
     },
     FramesOf(kMono48), kHalfScaleRms, false, true, "TITLE=Tagged"},
    {"Flac24FivePointOne48000",
     [](const auto& dir) {
         return WriteFlac(dir / "a.flac", kSurround, {.depth = SampleFormat::kSigned24});
     },
     FramesOf(kSurround), kHalfScaleRms, true, true},
    {"Flac16WithoutAStatedLength",
     [](const auto& dir) { return WriteFlac(dir / "a.flac", kCd, {.unknownLength = true}); },
     FramesOf(kCd), kHalfScaleRms, false, true},
    {"OpusMono",
     [](const auto& dir) {
         return WriteOpus(dir / "a.opus", kMono48, {.comments = {{"TITLE", "Opus"}}});
     },
     FramesOf(kMono48), kHalfScaleRms, false, false, "TITLE=Opus"},
    {"OpusStereoWithOutputGain",
     [](const auto& dir) {
         return WriteOpus(dir / "a.opus", kStereo48, {.outputGainQ8 = kMinus6dB});
     },
     FramesOf(kStereo48), kHalfScaleRms / 2, false, false},
    {"OpusChainedLinksPlayThrough", [](const auto& dir) { return OpusChain(dir, kStereo48); },
     2 * FramesOf(kStereo48), kHalfScaleRms, false, false},
    {"OpusChainStopsWhereTheChannelCountChanges",
     [](const auto& dir) { return OpusChain(dir, kMono48); }, FramesOf(kStereo48), kHalfScaleRms,
     false, false},
};

std::vector<std::int16_t> ReadAll(engine::Decoder& decoder, std::size_t limit) {
    const std::size_t channels = decoder.format().channels;
    std::vector<std::int16_t> pcm(limit * channels);
    std::size_t done = 0;
    while (done < limit) {
        const std::size_t n =
            decoder.read(pcm.data() + done * channels, std::min<std::size_t>(limit - done, 1000));
        if (n == 0) break;
        done += n;
    }
    pcm.resize(done * channels);
    return pcm;
}

// The offset, within 8 frames either way, at which `part` is closest to `whole` from frame
// `at` on (least squared difference).
int BestOffset(const std::vector<std::int16_t>& part, const std::vector<std::int16_t>& whole,
               std::size_t at, std::size_t channels) {
    int best = 0;
    double bestError = -1;
    for (int offset = -8; offset <= 8; ++offset) {
        const auto from = static_cast<std::ptrdiff_t>((at + offset) * channels);
        if (from < 0 || from + part.size() > whole.size()) continue;
        double error = 0;
        for (std::size_t i = 0; i < part.size(); ++i) {
            const double d = double(part[i]) - whole[static_cast<std::size_t>(from) + i];
            error += d * d;
        }
        if (bestError < 0 || error < bestError) {
            bestError = error;
            best = offset;
        }
    }
    return best;
}

class StreamDecoder : public ::testing::TestWithParam<DecoderCase> {
  protected:
    ScratchDir dir_{"stream-decoder-" + GetParam().name};
};

TEST_P(StreamDecoder, ExactLengthSeeksToTheSampleCommentsAndLevel) {
    const DecoderCase& c = GetParam();
    const MediaFile file = c.write(dir_.path());
    engine::OpenedStream s = engine::OpenStreamFile(file.path);
    engine::Decoder& d = *s.decoder;
    const bool opus = file.path.extension() == ".opus";
    EXPECT_EQ(d.format().rate, opus ? 48000u : static_cast<unsigned>(file.sampleRate));
    ASSERT_EQ(d.format().channels, static_cast<unsigned>(file.channels));
    ASSERT_EQ(static_cast<std::int64_t>(d.lengthFrames()), c.frames);

    const std::size_t ch = d.format().channels;
    const std::vector<std::int16_t> straight = ReadAll(d, c.frames + 10000);
    ASSERT_EQ(static_cast<std::int64_t>(straight.size() / ch), c.frames) << "no more, no fewer";

    const std::uint64_t length = d.lengthFrames();
    for (const std::uint64_t target :
         {length / 3, std::uint64_t{0}, length - 1000, length - 1, length / 2 + 7}) {
        SCOPED_TRACE(target);
        ASSERT_TRUE(d.seek(target));
        const std::vector<std::int16_t> after = ReadAll(d, 2000);
        ASSERT_EQ(after.size() / ch, std::min<std::uint64_t>(2000, length - target));
        if (c.bitExactSeek) {
            EXPECT_TRUE(std::equal(after.begin(), after.end(),
                                   straight.begin() + static_cast<std::ptrdiff_t>(target * ch)));
        } else if (after.size() >= 1000 * ch) {
            EXPECT_EQ(BestOffset(after, straight, target, ch), 0);
        }
    }
    ASSERT_TRUE(d.seek(length));
    EXPECT_TRUE(ReadAll(d, 100).empty());

    double sum = 0;
    for (const std::int16_t v : straight) sum += double(v) * v;
    EXPECT_NEAR(std::sqrt(sum / straight.size()) / 32768, c.rms, c.rms * 0.05);
    if (c.matchesSndfile) {
        const Pcm reference = DecodeWithSndfile(file.path);
        ASSERT_EQ(reference.samples.size(), straight.size());
        int worst = 0;
        double sum = 0, squares = 0;
        bool deeper = false;
        for (std::size_t i = 0; i < straight.size(); ++i) {
            const double exact = reference.samples[i] * 32768;
            worst = std::max(worst, std::abs(straight[i] - static_cast<int>(std::lround(exact))));
            deeper = deeper || exact != std::round(exact);
            sum += straight[i] - exact;
            squares += (straight[i] - exact) * (straight[i] - exact);
        }
        EXPECT_LE(worst, 1) << "dither moves a sample by one step at most";
        if (deeper) {
            // Rounding after triangular dither of +-1 step: no bias (truncation would leave
            // -0.5), and an error of 0.5 steps RMS (0.29 if it were plain rounding).
            EXPECT_NEAR(sum / straight.size(), 0, 0.02);
            EXPECT_NEAR(std::sqrt(squares / straight.size()), 0.5, 0.03);
        }
    }

    const char* list = s.tags.block(2);
    ASSERT_NE(list, nullptr);
    std::vector<std::string> comments;
    for (const char* p = list; *p; p += std::strlen(p) + 1) comments.emplace_back(p);
    if (!c.comment.empty()) {
        EXPECT_NE(std::ranges::find(comments, c.comment), comments.end());
    }
}

INSTANTIATE_TEST_SUITE_P(FlacAndOpus, StreamDecoder, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return info.param.name; });

TEST(StreamDecoderBadInput, CutOrLyingFilesOpenWithWhatIsThereOrFailWith41) {
    ScratchDir dir("stream-decoder-bad");
    const MediaFile flac = WriteFlac(dir / "a.flac", kCd);
    const MediaFile opus = WriteOpus(dir / "a.opus", kStereo48);
    const auto size = [](const MediaFile& f) { return std::filesystem::file_size(f.path); };
    // STREAMINFO that promises frames, and noise where they should be.
    Bytes lying = ReadFileBytes(flac.path);
    lying.resize(42);
    const Bytes noise = ReadFileBytes(WriteRandomBytes(dir / "noise", 20000, 5));
    lying.insert(lying.end(), noise.begin(), noise.end());
    WriteFileBytes(dir / "lying.flac", lying);
    for (const auto& cut :
         {WriteTruncatedCopy(flac.path, dir / "head.flac", 30),
          WriteTruncatedCopy(opus.path, dir / "head.opus", 100), dir / "lying.flac",
          // opusfile takes no file whose last page is cut short: its end can't be timed.
          WriteTruncatedCopy(opus.path, dir / "half.opus", size(opus) / 2)}) {
        SCOPED_TRACE(cut.filename().string());
        try {
            engine::OpenStreamFile(cut);
            ADD_FAILURE() << "opened";
        } catch (const engine::EngineError& e) {
            EXPECT_EQ(e.code, BASS_ERROR_FILEFORM);
        }
    }
    // A FLAC file cut in the middle: STREAMINFO's length is more than the file holds, so the
    // frames that are there are counted; nothing past them is invented.
    const auto half = WriteTruncatedCopy(flac.path, dir / "half.flac", size(flac) / 2);
    engine::OpenedStream s;
    try {
        s = engine::OpenStreamFile(half);
    } catch (const engine::EngineError& e) {
        FAIL() << "code " << e.code;
    }
    const std::uint64_t length = s.decoder->lengthFrames();
    EXPECT_GT(length, 0u);
    EXPECT_LT(length, static_cast<std::uint64_t>(FramesOf(kCd)));
    EXPECT_EQ(ReadAll(*s.decoder, length + 10000).size() / s.decoder->format().channels, length);
}

}  // namespace
