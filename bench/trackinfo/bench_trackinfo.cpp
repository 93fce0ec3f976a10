// The title is computed afresh ten times a second while a track plays (the tray tip), so a
// call over a large tag must stay far below the timer's period: under 20 µs.
#include <benchmark/benchmark.h>

#include "engine/bass.h"
#include "tests/trackinfo/memory_track_source.h"
#include "tests/trackinfo/tag_blocks.h"
#include "trackinfo/display_title.h"

using namespace tagblocks;

namespace {
const std::vector<std::string> Entries{"/home/u/Music/Artist/Album/01 Track.mp3"};

// 200 other frames (comments, pictures' worth of text, private data) before artist and title.
Block Id3v2WithFramesBeforeTitle(std::uint8_t version, int otherFrames) {
    Block body;
    const Block other = TextFrame(version, "TXXX", std::string(40, 'x'));
    for (int i = 0; i < otherFrames; ++i) body.insert(body.end(), other.begin(), other.end());
    return Id3v2Tag(version, 0,
                    Cat({body, TextFrame(version, "TPE1", "Some Band"),
                         TextFrame(version, "TIT2", "Some Song"), Zeros(1024)}));
}

void BM_GetSongTitle_Id3v2(benchmark::State& state) {
    MemoryTrackSource source;
    source.SetTags(BASS_TAG_ID3V2, Id3v2WithFramesBeforeTitle(std::uint8_t(state.range(0)), 200));
    for (auto _ : state) benchmark::DoNotOptimize(GetSongTitle(1, 0, Entries, source));
}
BENCHMARK(BM_GetSongTitle_Id3v2)->Arg(3)->Arg(4)->Unit(benchmark::kMicrosecond);

// No usable ID3v2 frame: both tags are walked, then the file name is cut.
void BM_GetSongTitle_FileNameFallback(benchmark::State& state) {
    MemoryTrackSource source;
    source.SetTags(BASS_TAG_ID3V2, Id3v2Tag(3, 0, Zeros(4096)));
    source.SetTags(BASS_TAG_ID3, Id3v1("", ""));
    for (auto _ : state) benchmark::DoNotOptimize(GetSongTitle(1, 0, Entries, source));
}
BENCHMARK(BM_GetSongTitle_FileNameFallback)->Unit(benchmark::kMicrosecond);

void BM_GetSongTitle_Vorbis(benchmark::State& state) {
    MemoryTrackSource source;
    std::vector<std::string> texts(200, "COMMENT=" + std::string(40, 'x'));
    texts.push_back("ARTIST=Some Band");
    texts.push_back("TITLE=Some Song");
    Block block;
    for (const std::string& text : texts) block = Cat({block, Text(text), {0}});
    block.push_back(0);
    source.SetTags(BASS_TAG_OGG, block);
    for (auto _ : state) benchmark::DoNotOptimize(GetSongTitle(4, 0, Entries, source));
}
BENCHMARK(BM_GetSongTitle_Vorbis)->Unit(benchmark::kMicrosecond);
}  // namespace

BENCHMARK_MAIN();
