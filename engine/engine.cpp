#include "engine/engine.h"

#include <vector>

#include "engine/engine_error.h"
#include "engine/handle_counter.h"
#include "engine/stream_opener.h"

namespace engine {
namespace {

constexpr auto kConnectTimeout = std::chrono::milliseconds(3000);

}  // namespace

Engine::Engine(std::uint32_t musicRate, MessageTarget* target, std::chrono::milliseconds giveUp)
    : musicRate_(musicRate), target_(target), giveUp_(giveUp) {
    connection_ =
        std::make_unique<pulse::Connection>("Vyn Player", [this](bool ready) { onServer(ready); });
    tail_ = std::make_unique<OutputTail>(*connection_);
    if (!connection_->connect(kConnectTimeout)) Fail(BASS_ERROR_DRIVER);
}

Engine::~Engine() {
    std::vector<std::unique_ptr<Channel>> gone;
    {
        pulse::Connection::Lock lock(*connection_);
        // The last track of a list is heard to its last sample.
        tail_->playOut();
        closing_ = true;
        giveUpTimer_.cancel();
        for (auto& [handle, channel] : channels_) {
            channel->detach();
            gone.push_back(std::move(channel));
        }
        channels_.clear();
        tail_->drop();
    }
    // Decoder threads end (or are left in a stalled read) without the lock, which they
    // may be waiting for.
    gone.clear();
}

void Engine::requireServer() const {
    pulse::Connection::Lock lock(*connection_);
    if (!connection_->ready()) Fail(BASS_ERROR_DRIVER);
}

std::uint32_t Engine::openStream(const std::string& path) {
    requireServer();
    // Decoding work (an MP3 is scanned whole) happens without the output lock.
    OpenedStream opened = OpenStreamFile(path);
    if (!PlaybackStream::CanPlay(opened.decoder->format())) Fail(BASS_ERROR_FORMAT);
    const std::uint32_t handle = NextHandle();
    auto channel = std::make_unique<Channel>(handle, std::move(opened.decoder),
                                             std::move(opened.tags), *connection_, *tail_, target_);
    pulse::Connection::Lock lock(*connection_);
    channels_.emplace(handle, std::move(channel));
    return handle;
}

std::uint32_t Engine::openMusic(const std::string& path) {
    requireServer();
    RequireReadableFile(path);
    auto module = OpenModuleDecoder(path, musicRate_);
    const std::uint32_t handle = NextHandle();
    auto channel =
        std::make_unique<Channel>(handle, std::move(module), *connection_, *tail_, target_);
    pulse::Connection::Lock lock(*connection_);
    channels_.emplace(handle, std::move(channel));
    return handle;
}

void Engine::free(std::uint32_t handle, Channel::Kind kind) {
    std::unique_ptr<Channel> gone;
    {
        pulse::Connection::Lock lock(*connection_);
        auto it = channels_.find(handle);
        if (it == channels_.end() || it->second->kind() != kind) Fail(BASS_ERROR_HANDLE);
        if (auto ended = it->second->takeEndedOutput()) tail_->keep(std::move(ended));
        it->second->detach();
        gone = std::move(it->second);
        channels_.erase(it);
    }
    gone.reset();  // without the lock: see ~Engine
}

Channel& Engine::find(std::uint32_t handle) {
    auto it = channels_.find(handle);
    if (it == channels_.end()) Fail(BASS_ERROR_HANDLE);
    return *it->second;
}

void Engine::onServer(bool ready) {
    if (closing_) return;
    tail_->drop();
    giveUpTimer_.cancel();
    for (auto& [handle, channel] : channels_) {
        if (ready)
            channel->serverBack();
        else
            channel->serverLost();
    }
    if (ready) return;
    giveUpTimer_.start(*connection_, giveUp_);
}

void Engine::giveUp() {
    for (auto& [handle, channel] : channels_) channel->giveUp();
}

}  // namespace engine
