// Every failure the engine reports, through the C ABI: the result and the error code.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/engine/engine_fixture.h"
#include "tests/media/media.h"
#include "tests/media/scoped_env.h"

namespace {

constexpr QWORD kNoLength = static_cast<QWORD>(-1);

TEST(EngineBeforeInit, EveryCallFailsWithCode8) {
    BassLibrary bass;
    EXPECT_EQ(bass.GetVersion(), 0x00080001u);
    EXPECT_EQ(bass.StreamCreateFile(0, "/nonexistent.mp3", 0, 0, 0), 0u);
    EXPECT_EQ(bass.ErrorGetCode(), BASS_ERROR_INIT);
    EXPECT_EQ(bass.MusicLoad(0, "/nonexistent.mod", 0, 0, 0x2800), 0u);
    EXPECT_EQ(bass.ErrorGetCode(), BASS_ERROR_INIT);
    EXPECT_FALSE(bass.Start());
    EXPECT_EQ(bass.ErrorGetCode(), BASS_ERROR_INIT);
    EXPECT_FALSE(bass.ChannelPause(1));
    EXPECT_EQ(bass.ErrorGetCode(), BASS_ERROR_INIT);
    EXPECT_EQ(bass.StreamGetLength(1), kNoLength);
    EXPECT_EQ(bass.ErrorGetCode(), BASS_ERROR_INIT);
    EXPECT_FALSE(bass.Free());
    EXPECT_EQ(bass.ErrorGetCode(), BASS_ERROR_INIT);
}

TEST(EngineWithoutServer, InitFailsWithCode3) {
    const ScopedEnv noServer("PULSE_SERVER", "unix:/nonexistent/vyn-no-server");
    BassLibrary bass;
    EXPECT_FALSE(bass.Init(-1, 44100, 32, nullptr));
    EXPECT_EQ(bass.ErrorGetCode(), BASS_ERROR_DRIVER);
    // Still not initialised: a later try starts from scratch.
    EXPECT_FALSE(bass.Free());
    EXPECT_EQ(bass.ErrorGetCode(), BASS_ERROR_INIT);
}

using EngineErrors = EngineTest;

TEST_F(EngineErrors, SecondInitFailsWithCode14AndInitRejectsBadArguments) {
    EXPECT_FALSE(bass().Init(-1, 44100, 32, nullptr));
    EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_ALREADY);
    ASSERT_TRUE(bass().Free());
    EXPECT_FALSE(bass().Init(7, 44100, 32, nullptr));
    EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_DEVICE);
    EXPECT_FALSE(bass().Init(-1, 0, 32, nullptr));
    EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_FREQ);
    EXPECT_TRUE(bass().Init(-1, 44100, 32, nullptr));
    EXPECT_EQ(bass().ErrorGetCode(), BASS_OK);
}

TEST_F(EngineErrors, FilesThatCannotBeReadFailWithCode2) {
    const std::string missing = (dir_ / "missing.mp3").string();
    EXPECT_EQ(bass().StreamCreateFile(0, missing.c_str(), 0, 0, 0), 0u);
    EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_FILEOPEN);
    EXPECT_EQ(bass().MusicLoad(0, missing.c_str(), 0, 0, 0x2800), 0u);
    EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_FILEOPEN);
    const std::string folder = dir_.path().string();
    EXPECT_EQ(bass().StreamCreateFile(0, folder.c_str(), 0, 0, 0), 0u);
    EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_FILEOPEN);
    EXPECT_EQ(bass().MusicLoad(0, folder.c_str(), 0, 0, 0x2800), 0u);
    EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_FILEOPEN);
}

// Content no decoder accepts: the stream and the music open both say 41.
TEST_F(EngineErrors, UnusableContentFailsWithCode41) {
    using namespace media;
    const MediaFile wav = WriteWav(dir_ / "tone.wav", {.seconds = 0.5});
    const MediaFile mp3 = WriteMp3(dir_ / "tone.mp3", {.seconds = 0.5});
    const MediaFile ogg = WriteOgg(dir_ / "tone.ogg", {.seconds = 0.5});
    const ModuleFile mod = WriteMod(dir_ / "tune.mod");
    const std::vector<std::filesystem::path> bad = {
        WriteEmptyFile(dir_ / "empty.mp3"),
        WriteRandomBytes(dir_ / "random.mp3", 100000, 7),
        WriteRandomBytes(dir_ / "small-random.wav", 3, 9),
        WriteTruncatedCopy(wav.path, dir_ / "header-only.wav", 30),
        WriteTruncatedCopy(mp3.path, dir_ / "cut.mp3", 200),
        WriteTruncatedCopy(ogg.path, dir_ / "cut.ogg", 100),
        WriteTruncatedCopy(mod.path, dir_ / "cut.mod", 40),
    };
    for (const auto& path : bad) {
        SCOPED_TRACE(path.filename().string());
        EXPECT_EQ(bass().StreamCreateFile(0, path.c_str(), 0, 0, 0), 0u);
        EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_FILEFORM);
        EXPECT_EQ(bass().MusicLoad(0, path.c_str(), 0, 0, 0x2800), 0u);
        EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_FILEFORM);
    }
    // Each decoder keeps to its own kind.
    EXPECT_EQ(bass().MusicLoad(0, mp3.path.c_str(), 0, 0, 0x2800), 0u);
    EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_FILEFORM);
    EXPECT_EQ(bass().StreamCreateFile(0, mod.path.c_str(), 0, 0, 0), 0u);
    EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_FILEFORM);
}

TEST_F(EngineErrors, AWavWithMoreChannelsThanTheServerTakesFailsWithCode6) {
    const auto wav = media::WriteWav(dir_ / "many.wav", {.channels = 40, .seconds = 0.1});
    EXPECT_EQ(bass().StreamCreateFile(0, wav.path.c_str(), 0, 0, 0), 0u);
    EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_FORMAT);
}

TEST_F(EngineErrors, UnknownAndFreedHandlesFailWithCode5) {
    const auto wav = media::WriteWav(dir_ / "tone.wav", {.seconds = 0.5});
    const HSTREAM stream = bass().StreamCreateFile(0, wav.path.c_str(), 0, 0, 0);
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(bass().StreamFree(stream));
    for (DWORD handle : {stream, DWORD{0}, DWORD{12345}}) {
        SCOPED_TRACE(handle);
        EXPECT_FALSE(bass().StreamPlay(handle, 0, 0));
        EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_HANDLE);
        EXPECT_FALSE(bass().StreamFree(handle));
        EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_HANDLE);
        EXPECT_EQ(bass().ChannelSetSync(handle, BASS_SYNC_END_MESSAGE, 0, 0x400, 0), 0u);
        EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_HANDLE);
        EXPECT_EQ(bass().StreamGetLength(handle), kNoLength);
        EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_HANDLE);
        EXPECT_EQ(bass().ChannelGetPosition(handle), kNoLength);
        EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_HANDLE);
        EXPECT_EQ(bass().StreamGetTags(handle, 0), nullptr);
        EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_HANDLE);
        EXPECT_EQ(bass().MusicGetLength(handle, 0), kNoLength);
        EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_HANDLE);
        EXPECT_EQ(bass().MusicGetName(handle), nullptr);
        EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_HANDLE);
    }
    // A stream is not module music, and the other way round.
    const auto mod = media::WriteMod(dir_ / "tune.mod");
    const HSTREAM again = bass().StreamCreateFile(0, wav.path.c_str(), 0, 0, 0);
    const HMUSIC music = bass().MusicLoad(0, mod.path.c_str(), 0, 0, 0x2800);
    ASSERT_NE(again, 0u);
    ASSERT_NE(music, 0u);
    EXPECT_NE(again, stream) << "handles are not reused";
    EXPECT_FALSE(bass().MusicFree(again));
    EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_HANDLE);
    EXPECT_FALSE(bass().MusicPlay(again));
    EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_HANDLE);
    EXPECT_FALSE(bass().StreamFree(music));
    EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_HANDLE);
    EXPECT_TRUE(bass().MusicFree(music));
    EXPECT_TRUE(bass().StreamFree(again));
}

TEST_F(EngineErrors, SyncsAndPositionsRejectWhatTheyCannotDo) {
    const auto wav = media::WriteWav(dir_ / "tone.wav", {.seconds = 0.5});
    const HSTREAM stream = bass().StreamCreateFile(0, wav.path.c_str(), 0, 0, 0);
    ASSERT_NE(stream, 0u);
    EXPECT_EQ(bass().ChannelSetSync(stream, 0x12345, 0, 0x400, 0), 0u);
    EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_ILLTYPE);
    const HSYNC sync = bass().ChannelSetSync(stream, BASS_SYNC_END_MESSAGE, 0, 0x400, 0);
    ASSERT_NE(sync, 0u);
    EXPECT_TRUE(bass().ChannelRemoveSync(stream, sync));
    EXPECT_FALSE(bass().ChannelRemoveSync(stream, sync));
    EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_HANDLE);
    EXPECT_FALSE(bass().ChannelSetPosition(stream, bass().StreamGetLength(stream) + 4));
    EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_POSITION);
    EXPECT_EQ(bass().StreamGetTags(stream, 0), nullptr);
    EXPECT_EQ(bass().StreamGetTags(stream, 2), nullptr);
    const auto mod = media::WriteMod(dir_ / "tune.mod");
    const HMUSIC music = bass().MusicLoad(0, mod.path.c_str(), 0, 0, 0x2800);
    ASSERT_NE(music, 0u);
    EXPECT_FALSE(bass().ChannelSetPosition(music, mod.orders));
    EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_POSITION);
}

// Pausing what doesn't play says 24 "Not playing"; resuming what isn't paused says 16.
TEST_F(EngineErrors, PauseAndResumeInTheWrongStateFail) {
    const auto wav = media::WriteWav(dir_ / "tone.wav", {.seconds = 0.5, .toneHz = 0});
    const HSTREAM stream = bass().StreamCreateFile(0, wav.path.c_str(), 0, 0, 0);
    ASSERT_NE(stream, 0u);
    EXPECT_FALSE(bass().ChannelPause(stream));
    EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_NOPLAY);
    EXPECT_FALSE(bass().ChannelResume(stream));
    EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_NOPAUSE);
    ASSERT_TRUE(bass().StreamPlay(stream, 0, 0));
    EXPECT_FALSE(bass().ChannelResume(stream));
    EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_NOPAUSE);
    ASSERT_TRUE(bass().ChannelPause(stream));
    EXPECT_FALSE(bass().ChannelPause(stream));
    EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_NOPLAY);
    EXPECT_TRUE(bass().ChannelResume(stream));
    EXPECT_EQ(bass().ErrorGetCode(), BASS_OK);
}

}  // namespace
