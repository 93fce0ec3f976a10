// Loading, initialising, playing, freeing and unloading the engine over and over leaves
// nothing behind: no thread, no file descriptor, no memory to speak of.
#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <string>
#include <thread>

#include "tests/engine/bass_library.h"
#include "tests/engine/posted_messages.h"
#include "tests/engine/process_usage.h"
#include "tests/engine/sound_server.h"
#include "tests/media/media.h"
#include "tests/media/scratch_dir.h"

namespace {

int Threads() {
    return ProcessUsage::Now().threads;
}
// A decoder thread that was inside a read when its channel went is left to end by itself;
// on a loaded machine that may take a moment.
int ThreadsSettledAt(int expected) {
    for (int i = 0; i < 100 && Threads() != expected; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return Threads();
}
int OpenFds() {
    return ProcessUsage::Now().fds;
}
long ResidentKb() {
    return ProcessUsage::Now().residentKb;
}

// One round as the player does it at every play and stop.
void PlayAndRelease(const std::string& stream, const std::string& music) {
    PostedMessages target;
    BassLibrary bass;
    ASSERT_TRUE(bass.Init(-1, 44100, 32, &target)) << "code " << bass.ErrorGetCode();
    const HSTREAM s = bass.StreamCreateFile(0, stream.c_str(), 0, 0, 0);
    ASSERT_NE(s, 0u);
    ASSERT_NE(bass.ChannelSetSync(s, BASS_SYNC_END_MESSAGE, 0, 0x400, 0), 0u);
    ASSERT_TRUE(bass.StreamPlay(s, 0, 0));
    const HMUSIC m = bass.MusicLoad(0, music.c_str(), 0, 0, 0x2800);
    ASSERT_NE(m, 0u);
    ASSERT_TRUE(bass.MusicPlay(m));
    // Free with both channels still playing: BASS_Free stops them.
    ASSERT_TRUE(bass.Free());
}

TEST(EngineLifecycle, FiftyLoadPlayFreeUnloadRoundsLeaveNothingBehind) {
    REQUIRE_SOUND_SERVER();
    media::ScratchDir dir("engine-lifecycle");
    // Silence, so that the rounds don't disturb tests recording the sink meanwhile.
    const auto wav = media::WriteWav(dir / "quiet.wav", {.seconds = 0.5, .toneHz = 0});
    const auto mp3 = media::WriteMp3(dir / "quiet.mp3", {.seconds = 0.5, .toneHz = 0});
    const auto mod = media::WriteMod(dir / "tune.mod");

    // The first rounds settle one-time allocations of the C++ and libc runtimes.
    for (int i = 0; i < 3; ++i) PlayAndRelease(wav.path, mod.path);
    const int threads = Threads(), fds = OpenFds();
    const long rss = ResidentKb();
    for (int i = 0; i < 50; ++i) {
        PlayAndRelease(i % 2 ? wav.path.string() : mp3.path.string(), mod.path);
        if (HasFatalFailure()) return;
        ASSERT_EQ(ThreadsSettledAt(threads), threads) << "round " << i;
        ASSERT_EQ(OpenFds(), fds) << "round " << i;
    }
    if (kResidentMemoryCounts) {
        EXPECT_LT(ResidentKb() - rss, 4096) << "KiB grown over 50 rounds";
    }
}

TEST(EngineLifecycle, FreeJoinsTheOutputThreadWhilePlaying) {
    REQUIRE_SOUND_SERVER();
    media::ScratchDir dir("engine-free-joins");
    const auto wav = media::WriteWav(dir / "quiet.wav", {.seconds = 2, .toneHz = 0});
    BassLibrary bass;
    // A sanitizer's runtime may start a thread of its own with the process's first one.
    std::thread([] {}).join();
    const int before = Threads();
    PostedMessages target;
    ASSERT_TRUE(bass.Init(-1, 44100, 32, &target));
    EXPECT_GT(Threads(), before) << "the output runs on a thread of its own";
    const HSTREAM s = bass.StreamCreateFile(0, wav.path.c_str(), 0, 0, 0);
    ASSERT_TRUE(bass.ChannelSetSync(s, BASS_SYNC_END_MESSAGE, 0, 0x400, 0));
    ASSERT_TRUE(bass.StreamPlay(s, 0, 0));
    ASSERT_TRUE(bass.Free());
    EXPECT_EQ(Threads(), before);
    EXPECT_TRUE(target.all().empty()) << "a freed channel posts no end";
    EXPECT_EQ(bass.StreamPlay(s, 0, 0), 0);
    EXPECT_EQ(bass.ErrorGetCode(), BASS_ERROR_INIT);
}

// The player re-initialises at every stop and reloads the library: a late end message of an
// old channel must never match a new one.
TEST(EngineLifecycle, HandlesAreNeverReusedAcrossInitsAndReloads) {
    REQUIRE_SOUND_SERVER();
    media::ScratchDir dir("engine-handles");
    const auto wav = media::WriteWav(dir / "quiet.wav", {.seconds = 0.1, .toneHz = 0});
    const auto mod = media::WriteMod(dir / "tune.mod");
    std::set<DWORD> seen;
    for (int load = 0; load < 3; ++load) {
        BassLibrary bass;
        for (int init = 0; init < 2; ++init) {
            ASSERT_TRUE(bass.Init(-1, 44100, 32, nullptr)) << "code " << bass.ErrorGetCode();
            for (int i = 0; i < 3; ++i) {
                const DWORD s = bass.StreamCreateFile(0, wav.path.c_str(), 0, 0, 0);
                const DWORD m = bass.MusicLoad(0, mod.path.c_str(), 0, 0, 0x2800);
                ASSERT_NE(s, 0u);
                ASSERT_NE(m, 0u);
                EXPECT_TRUE(seen.insert(s).second) << "stream handle " << s << " came again";
                EXPECT_TRUE(seen.insert(m).second) << "music handle " << m << " came again";
                if (i == 0) bass.StreamFree(s);  // freed ones are not reused either
            }
            ASSERT_TRUE(bass.Free());
        }
    }
    EXPECT_EQ(seen.size(), 36u);
}

}  // namespace
