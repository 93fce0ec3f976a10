// The engine object behind the C entry points: the sound server connection, the open
// channels by handle and the end syncs. One exists between BASS_Init and BASS_Free.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "engine/channel.h"
#include "engine/pulse_connection.h"
#include "platform/message_target.h"

namespace engine {

class Engine {
  public:
    // Throws EngineError 3 when no sound server can be reached.
    Engine(std::uint32_t musicRate, MessageTarget* target);
    // Stops and frees every channel and joins the output thread.
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    std::uint32_t openStream(const std::string& path);
    std::uint32_t openMusic(const std::string& path);
    // EngineError 5 unless `handle` is an open channel of that kind.
    void free(std::uint32_t handle, Channel::Kind kind);

    // Runs f(Channel&) with the output lock held; EngineError 5 for an unknown handle.
    template <class F>
    auto withChannel(std::uint32_t handle, F&& f) {
        PulseConnection::Lock lock(connection_);
        return f(find(handle));
    }

    // A new sync id, unique for the engine's life.
    std::uint32_t nextSyncId() { return ++lastSync_; }

  private:
    Channel& find(std::uint32_t handle);

    std::uint32_t musicRate_;
    MessageTarget* target_;
    PulseConnection connection_;
    std::map<std::uint32_t, std::unique_ptr<Channel>> channels_;  // guarded by connection_'s lock
    std::uint32_t lastHandle_ = 0;
    std::uint32_t lastSync_ = 0;
};

}  // namespace engine
