// The engine object behind the C entry points: the sound server connection, the open
// channels by handle and the end syncs. One exists between BASS_Init and BASS_Free.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "engine/channel.h"
#include "engine/output_tail.h"
#include "platform/message_target.h"
#include "pulse/connection.h"
#include "pulse/one_shot_timer.h"

namespace engine {

class Engine {
  public:
    // Throws EngineError 3 when no sound server can be reached. `giveUp`: how long a
    // playing channel waits for a lost server before it stops.
    Engine(std::uint32_t musicRate, MessageTarget* target, std::chrono::milliseconds giveUp);
    // Lets the last track's tail be heard, then stops and frees every channel and joins the
    // output thread.
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // EngineError 3 while the sound server is away.
    std::uint32_t openStream(const std::string& path);
    std::uint32_t openMusic(const std::string& path);
    // EngineError 5 unless `handle` is an open channel of that kind. An ended channel's
    // last moments play on (see OutputTail).
    void free(std::uint32_t handle, Channel::Kind kind);

    // Runs f(Channel&) with the output lock held; EngineError 5 for an unknown handle.
    template <class F>
    auto withChannel(std::uint32_t handle, F&& f) {
        pulse::Connection::Lock lock(*connection_);
        return f(find(handle));
    }

    // A new sync id, unique for the engine's life.
    std::uint32_t nextSyncId() { return ++lastSync_; }

  private:
    Channel& find(std::uint32_t handle);
    void requireServer() const;
    // On the main loop thread: the server went away or came back.
    void onServer(bool ready);
    void giveUp();

    std::uint32_t musicRate_;
    MessageTarget* target_;
    std::chrono::milliseconds giveUp_;
    std::uint32_t lastSync_ = 0;
    // Guarded by the connection's lock.
    std::map<std::uint32_t, std::unique_ptr<Channel>> channels_;
    std::unique_ptr<OutputTail> tail_;
    pulse::OneShotTimer giveUpTimer_{[this] { giveUp(); }};
    bool closing_ = false;  // the server's comings and goings no longer matter
    // Declared last, so destroyed first: its loop thread, which runs onServer, has ended
    // before anything it touches goes.
    std::unique_ptr<pulse::Connection> connection_;
};

}  // namespace engine
