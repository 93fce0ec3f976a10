// The binding against fake engine libraries: loading, version check, the one channel and how
// each engine failure leaves the state.
#include <gtest/gtest.h>

#include <filesystem>

#include "playback/lightbass.h"
#include "tests/playback/fake_engine_library.h"

namespace {

template <typename Error, typename Action>
std::string MessageOf(Action&& action) {
    try {
        action();
    } catch (const Error& e) {
        return e.what();
    }
    ADD_FAILURE() << "nothing was raised";
    return "";
}

TEST(LightBassLoading, SecondLoadKeepsOneReference) {
    const std::string path = FakeEnginePath();
    ASSERT_FALSE(LibraryResident(path));
    {
        lightBASS bass(path);
        bass.LoadAudioLibrary();
        bass.LoadAudioLibrary();
        EXPECT_TRUE(bass.LibraryLoaded());
        bass.UnloadAudioLibrary();
        // One dlclose undoes the loading: the second load took no further reference.
        EXPECT_FALSE(LibraryResident(path));
        EXPECT_FALSE(bass.LibraryLoaded());
        bass.LoadAudioLibrary();
    }
    EXPECT_FALSE(LibraryResident(path)) << "the destructor releases the library";
}

TEST(LightBassLoading, MissingLibraryRaisesSystemErrorAndIsTriedAgain) {
    const std::filesystem::path dir = std::filesystem::path(VYN_TEST_TMP) / "missing-engine";
    std::filesystem::create_directories(dir);
    const std::filesystem::path path = dir / "libbass.so";
    std::filesystem::remove(path);

    lightBASS bass(path.string());
    const std::string message = MessageOf<EOSError>([&] { bass.LoadAudioLibrary(); });
    EXPECT_EQ(message.rfind("System Error.  Code: 2.\n", 0), 0u) << message;
    EXPECT_NE(message.find("libbass.so"), std::string::npos) << "the loader's text follows";
    EXPECT_FALSE(bass.LibraryLoaded());

    std::filesystem::copy_file(FakeEnginePath(), path);
    bass.LoadAudioLibrary();
    EXPECT_TRUE(bass.LibraryLoaded());
    bass.UnloadAudioLibrary();
    std::filesystem::remove(path);
}

TEST(LightBassLoading, OtherVersionIsRefusedAndUnloaded) {
    const std::string path = FakeEnginePath("_v17");
    lightBASS bass(path);
    EXPECT_EQ(MessageOf<EBASSError>([&] { bass.LoadAudioLibrary(); }),
              "Sorry, BASS version 1.8 required.");
    EXPECT_FALSE(bass.LibraryLoaded());
    EXPECT_FALSE(LibraryResident(path));
}

TEST(LightBassLoading, MissingEntryPointRaisesSystemErrorAndUnloads) {
    const std::string path = FakeEnginePath("_partial");
    lightBASS bass(path);
    const std::string message = MessageOf<EOSError>([&] { bass.LoadAudioLibrary(); });
    EXPECT_EQ(message.rfind("System Error.  Code: ", 0), 0u) << message;
    EXPECT_NE(message.find("BASS_MusicPlay"), std::string::npos) << message;
    EXPECT_FALSE(bass.LibraryLoaded());
    EXPECT_FALSE(LibraryResident(path));
}

class LightBassChannel : public testing::Test {
  protected:
    FakeEngineLibrary fake;
    lightBASS bass{FakeEnginePath()};

    FakeEngineState& engine() { return fake.State(); }
    void Ready() {
        bass.LoadAudioLibrary();
        bass.InitAudioDevice(-1, 44100, 32, nullptr);
    }
};

TEST_F(LightBassChannel, DeviceIsInitialisedOnceUntilFreed) {
    bass.LoadAudioLibrary();
    bass.InitAudioDevice(-1, 44100, 32, nullptr);
    bass.InitAudioDevice(-1, 44100, 32, nullptr);
    EXPECT_EQ(engine().initCalls, 1);
    EXPECT_EQ(engine().lastInitDevice, -1);
    EXPECT_EQ(engine().lastInitFrequency, 44100u);
    EXPECT_EQ(engine().lastInitFlags, 32u);
    bass.FreeAudioDevice();
    bass.FreeAudioDevice();
    EXPECT_EQ(engine().freeCalls, 1);
    bass.InitAudioDevice(-1, 44100, 32, nullptr);
    EXPECT_EQ(engine().initCalls, 2);
}

TEST_F(LightBassChannel, FailedInitLeavesDeviceDownAndLibraryLoaded) {
    bass.LoadAudioLibrary();
    engine().initFails = BASS_ERROR_DRIVER;
    EXPECT_EQ(MessageOf<EBASSError>([&] { bass.InitAudioDevice(-1, 44100, 32, nullptr); }),
              "Can't find a free sound driver");
    EXPECT_FALSE(bass.DeviceReady());
    EXPECT_TRUE(bass.LibraryLoaded());
    engine().initFails = 0;
    bass.InitAudioDevice(-1, 44100, 32, nullptr);
    EXPECT_TRUE(bass.DeviceReady());
}

TEST_F(LightBassChannel, StreamAndModuleOpenWithEndSync) {
    Ready();
    bass.OpenAndPlay("/music/a.mp3", true);
    EXPECT_NE(bass.Channel(), 0u);
    EXPECT_TRUE(bass.ChannelIsStream());
    EXPECT_EQ(engine().streamPlays, 1);
    EXPECT_EQ(engine().lastSyncType, BASS_SYNC_END_MESSAGE);
    EXPECT_EQ(engine().lastSyncMessage, 0x400u);
    bass.StopAndFree();
    EXPECT_EQ(engine().streamFrees, 1);
    EXPECT_EQ(engine().syncsRemoved, 1);

    bass.OpenAndPlay("/music/b.xm", false);
    EXPECT_FALSE(bass.ChannelIsStream());
    EXPECT_EQ(engine().lastMusicFlags, 0x2800u);
    EXPECT_EQ(engine().musicPlays, 1);
    std::int64_t bytes = 0;
    EXPECT_EQ(bass.GetChannelLength(bytes), 12) << "module range in orders";
    EXPECT_EQ(bytes, 176400 * 60) << "module play length in bytes";
    bass.StopAndFree();
    EXPECT_EQ(engine().musicFrees, 1);
    EXPECT_EQ(bass.Channel(), 0u);
}

TEST_F(LightBassChannel, OpenWhileOpenDoesNothing) {
    Ready();
    bass.OpenAndPlay("/music/a.mp3", true);
    const std::uint32_t first = bass.Channel();
    bass.OpenAndPlay("/music/b.mp3", true);
    EXPECT_EQ(bass.Channel(), first);
    EXPECT_EQ(engine().streamCreates, 1);
    EXPECT_EQ(engine().starts, 1);
    EXPECT_EQ(engine().streamPlays, 1);
}

TEST_F(LightBassChannel, FailingOpenLeavesNoChannel) {
    Ready();
    EXPECT_EQ(MessageOf<EBASSError>([&] { bass.OpenAndPlay("/music/broken.mp3", true); }),
              "Unsupported file format");
    EXPECT_EQ(bass.Channel(), 0u);
    engine().openFails = BASS_ERROR_FILEOPEN;
    EXPECT_EQ(MessageOf<EBASSError>([&] { bass.OpenAndPlay("/music/gone.it", false); }),
              "Can't open the file");
    EXPECT_EQ(bass.Channel(), 0u);
    EXPECT_EQ(engine().syncsSet, 0);
    // Without its end message the track would never end: the open fails and frees the channel.
    engine().openFails = 0;
    engine().syncFails = BASS_ERROR_MEM;
    EXPECT_EQ(MessageOf<EBASSError>([&] { bass.OpenAndPlay("/music/a.ogg", true); }),
              "Memory error");
    EXPECT_EQ(bass.Channel(), 0u);
    EXPECT_EQ(engine().channel, 0u) << "the engine's channel was freed";
    EXPECT_EQ(engine().streamFrees, 1);
    EXPECT_EQ(engine().starts, 0);
}

TEST_F(LightBassChannel, FailingStartLeavesChannelForStop) {
    Ready();
    engine().playFails = BASS_ERROR_FORMAT;
    EXPECT_EQ(MessageOf<EBASSError>([&] { bass.OpenAndPlay("/music/a.wav", true); }),
              "Unsupported sample format");
    EXPECT_NE(bass.Channel(), 0u);
    EXPECT_EQ(engine().initCalls, 1) << "only a lost driver sets the device up again";
    bass.StopAndFree();
    EXPECT_EQ(bass.Channel(), 0u);
    EXPECT_EQ(engine().channel, 0u) << "the engine's channel was freed";
}

// The sound server restarted since the device was set up: the device is set up anew and the
// track plays; while the server is still away the device stays released for the next try.
TEST_F(LightBassChannel, LostDriverIsSetUpAgainOnce) {
    struct Case {
        bool streamNotMusic;
        bool serverBack;
    };
    for (const Case c : {Case{true, true}, Case{false, true}, Case{true, false}}) {
        SCOPED_TRACE(testing::Message() << c.streamNotMusic << c.serverBack);
        FakeEngineLibrary engineOfCase;
        lightBASS player(FakeEnginePath());
        player.LoadAudioLibrary();
        player.InitAudioDevice(7, 48000, 32, nullptr);
        FakeEngineState& state = engineOfCase.State();
        state.deviceLost = 1;
        state.initFails = c.serverBack ? 0 : BASS_ERROR_DRIVER;
        if (c.serverBack) {
            player.OpenAndPlay("/music/a.mp3", c.streamNotMusic);
            EXPECT_NE(player.Channel(), 0u);
            EXPECT_EQ(state.channel, player.Channel());
            EXPECT_TRUE(player.DeviceReady());
        } else {
            EXPECT_EQ(MessageOf<EBASSError>([&] { player.OpenAndPlay("/music/a.mp3", true); }),
                      "Can't find a free sound driver");
            EXPECT_EQ(player.Channel(), 0u);
            EXPECT_FALSE(player.DeviceReady());
        }
        EXPECT_EQ(state.initCalls, 2);
        EXPECT_EQ(state.freeCalls, 1);
        EXPECT_EQ(state.lastInitDevice, 7) << "set up as before";
        EXPECT_EQ(state.lastInitFrequency, 48000u);
        EXPECT_EQ(state.channel, player.Channel()) << "no channel left behind in the engine";
    }
}

TEST_F(LightBassChannel, OpenWithoutDeviceIsRefused) {
    bass.LoadAudioLibrary();
    EXPECT_EQ(MessageOf<EBASSError>([&] { bass.OpenAndPlay("/music/a.mp3", true); }),
              "BASS_Init has not been successfully called");
    EXPECT_EQ(engine().streamCreates, 0);
}

TEST_F(LightBassChannel, FailingSyncRemovalStillFreesAndRaises) {
    Ready();
    bass.OpenAndPlay("/music/a.mp3", true);
    engine().removeSyncFails = BASS_ERROR_HANDLE;
    EXPECT_EQ(MessageOf<EBASSError>([&] { bass.StopAndFree(); }), "Invalid handle");
    EXPECT_EQ(bass.Channel(), 0u);
    EXPECT_EQ(engine().streamFrees, 1);
    EXPECT_EQ(engine().channel, 0u);
}

TEST_F(LightBassChannel, PauseTwiceResumes) {
    bass.TogglePause();  // no channel: nothing
    Ready();
    bass.OpenAndPlay("/music/a.mp3", true);
    bass.TogglePause();
    EXPECT_TRUE(bass.ChannelPaused());
    bass.TogglePause();
    EXPECT_FALSE(bass.ChannelPaused());
    EXPECT_EQ(engine().pauses, 1);
    EXPECT_EQ(engine().resumes, 1);
}

TEST_F(LightBassChannel, FailedPauseOrResumeKeepsTheMark) {
    Ready();
    bass.OpenAndPlay("/music/a.mp3", true);
    engine().pauseFails = BASS_ERROR_NOPLAY;
    EXPECT_EQ(MessageOf<EBASSError>([&] { bass.TogglePause(); }), "Not playing");
    EXPECT_FALSE(bass.ChannelPaused());
    engine().pauseFails = 0;
    bass.TogglePause();
    engine().resumeFails = BASS_ERROR_NOPAUSE;
    EXPECT_EQ(MessageOf<EBASSError>([&] { bass.TogglePause(); }), "Not paused");
    EXPECT_TRUE(bass.ChannelPaused());
}

TEST_F(LightBassChannel, LengthFailureStillStoresPlayLength) {
    std::int64_t bytes = 7;
    EXPECT_EQ(bass.GetChannelLength(bytes), 0);
    EXPECT_EQ(bytes, 7) << "no channel: untouched";
    Ready();
    bass.OpenAndPlay("/music/a.mp3", true);
    EXPECT_EQ(bass.GetChannelLength(bytes), 1764000);
    EXPECT_EQ(bytes, 1764000);
    engine().lengthFails = BASS_ERROR_NOTAVAIL;
    EXPECT_EQ(MessageOf<EBASSError>([&] { bass.GetChannelLength(bytes); }),
              "Requested data is not available");
    EXPECT_EQ(bytes, -1);
}

TEST_F(LightBassChannel, CodesOutsideTheTableAreUnknown) {
    bass.LoadAudioLibrary();
    engine().useErrorOverride = 1;
    for (const std::int32_t code : {60, -1, 43}) {
        engine().errorOverride = code;
        EXPECT_EQ(MessageOf<EBASSError>([&] { bass.RaiseAudioError(); }), "Unknown error") << code;
    }
    engine().errorOverride = 42;
    EXPECT_EQ(MessageOf<EBASSError>([&] { bass.RaiseAudioError(); }), "Unavailable speaker");
}

TEST_F(LightBassChannel, DestructorReleasesChannelAndDevice) {
    {
        lightBASS other(FakeEnginePath());
        other.LoadAudioLibrary();
        other.InitAudioDevice(-1, 44100, 32, nullptr);
        other.OpenAndPlay("/music/a.mp3", true);
    }
    EXPECT_EQ(engine().channel, 0u);
    EXPECT_EQ(engine().freeCalls, 1);
}

}  // namespace
