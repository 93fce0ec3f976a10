#include "engine/engine.h"

#include "engine/engine_error.h"
#include "engine/stream_opener.h"

namespace engine {

Engine::Engine(std::uint32_t musicRate, MessageTarget* target)
    : musicRate_(musicRate), target_(target) {}

Engine::~Engine() {
    PulseConnection::Lock lock(connection_);
    channels_.clear();
}

std::uint32_t Engine::openStream(const std::string& path) {
    // Decoding work (an MP3 is scanned whole) happens without the output lock.
    OpenedStream opened = OpenStreamFile(path);
    if (!PlaybackStream::CanPlay(opened.decoder->format())) Fail(BASS_ERROR_FORMAT);
    PulseConnection::Lock lock(connection_);
    const std::uint32_t handle = ++lastHandle_;
    channels_.emplace(
        handle, std::make_unique<Channel>(handle, std::move(opened.decoder), std::move(opened.tags),
                                          connection_, target_));
    return handle;
}

std::uint32_t Engine::openMusic(const std::string& path) {
    RequireReadableFile(path);
    auto module = OpenModuleDecoder(path, musicRate_);
    PulseConnection::Lock lock(connection_);
    const std::uint32_t handle = ++lastHandle_;
    channels_.emplace(handle,
                      std::make_unique<Channel>(handle, std::move(module), connection_, target_));
    return handle;
}

void Engine::free(std::uint32_t handle, Channel::Kind kind) {
    PulseConnection::Lock lock(connection_);
    auto it = channels_.find(handle);
    if (it == channels_.end() || it->second->kind() != kind) Fail(BASS_ERROR_HANDLE);
    channels_.erase(it);
}

Channel& Engine::find(std::uint32_t handle) {
    auto it = channels_.find(handle);
    if (it == channels_.end()) Fail(BASS_ERROR_HANDLE);
    return *it->second;
}

}  // namespace engine
