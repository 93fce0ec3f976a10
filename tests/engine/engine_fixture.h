// A loaded and initialised engine against a private sound server, with a message target
// and a scratch folder; the engine is freed and unloaded after each test. The server is the
// shared PulseAudio daemon (scripts/with-pulse) or, for a PipeWire row, a graph of the test's
// own.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "tests/engine/bass_library.h"
#include "tests/engine/posted_messages.h"
#include "tests/engine/sound_server.h"
#include "tests/media/restartable_server.h"
#include "tests/media/scratch_dir.h"

class EngineTest : public ::testing::Test {
  protected:
    virtual ServerKind serverKind() const { return ServerKind::PulseAudio; }

    void SetUp() override {
        if (serverKind() == ServerKind::PulseAudio) {
            REQUIRE_SOUND_SERVER();
        } else {
            server_ = MakeServer(serverKind());
            START_SOUND_SERVER(*server_);
        }
        bass_ = std::make_unique<BassLibrary>();
        ASSERT_TRUE(bass().Init(-1, 44100, 32, &messages_)) << "code " << bass().ErrorGetCode();
    }
    void TearDown() override {
        if (bass_) bass().Free();
        bass_.reset();
    }

    BassLibrary& bass() { return *bass_; }
    static void Sleep(double seconds) {
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    }

    static std::string ScratchName() {
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        for (char& c : name)
            if (c == '/') c = '_';
        return "engine-" + name;
    }

    PostedMessages messages_;
    media::ScratchDir dir_{ScratchName()};

  private:
    std::unique_ptr<RestartableServer> server_;
    std::unique_ptr<BassLibrary> bass_;
};

// An engine test with a row for each sound server.
class EngineServerTest : public EngineTest, public ::testing::WithParamInterface<ServerKind> {
  protected:
    ServerKind serverKind() const override { return GetParam(); }
};

inline std::string ServerRowName(const ::testing::TestParamInfo<ServerKind>& info) {
    return ServerName(info.param);
}
