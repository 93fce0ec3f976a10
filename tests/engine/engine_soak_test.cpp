// Hundreds of short tracks back to back, streams and module music in turn: every one ends
// with exactly one end message, and nothing piles up (threads, descriptors, memory).
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/engine/back_to_back.h"
#include "tests/engine/engine_fixture.h"
#include "tests/engine/process_usage.h"
#include "tests/media/media.h"

namespace {

using EngineSoak = EngineServerTest;

// VYN_SOAK_TRACKS shortens the soak where each track costs more (the ThreadSanitizer build).
int SoakTracks() {
    const char* tracks = std::getenv("VYN_SOAK_TRACKS");
    const int n = tracks ? std::atoi(tracks) : 0;
    return n > 0 ? n : 240;
}

TEST_P(EngineSoak, BackToBackTracksEachEndOnceAndLeaveNothingBehind) {
    const auto wav = media::WriteWav(dir_ / "quiet.wav", {.seconds = 0.05, .toneHz = 0});
    const auto mp3 = media::WriteMp3(dir_ / "quiet.mp3", {.seconds = 0.1, .toneHz = 0});
    const auto mod = media::WriteMod(dir_ / "tune.mod", {.orders = 1, .rowsPerOrder = 1});
    const std::vector<BackToBackTrack> tracks = {
        {wav.path.string()}, {mod.path.string(), true}, {mp3.path.string()}};
    // The first tracks settle one-time allocations of the runtimes and libraries.
    PlayBackToBack(bass(), messages_, tracks, 12);
    const ProcessUsage start = ProcessUsage::Now();
    const BackToBackResult r = PlayBackToBack(bass(), messages_, tracks, SoakTracks());
    const ProcessUsage end = ProcessUsage::Now();
    EXPECT_EQ(r.played, SoakTracks());
    EXPECT_EQ(r.missing, 0);
    EXPECT_EQ(r.doubled, 0);
    EXPECT_EQ(end.threads, start.threads);
    EXPECT_EQ(end.fds, start.fds);
    if (kResidentMemoryCounts) {
        EXPECT_LT(end.residentKb - start.residentKb, 1024) << "KiB grown";
    }
}

INSTANTIATE_TEST_SUITE_P(Servers, EngineSoak,
                         ::testing::Values(ServerKind::PulseAudio, ServerKind::PipeWire),
                         ServerRowName);

}  // namespace
