// Decoding ahead of the output, on a thread of the channel's own: the thread reads and
// decodes into a ring of PCM frames, and the output only copies out of it, so no caller and
// no sound server callback ever waits on a file read. A read that stalls leaves the ring
// empty (the output underruns) and the callers carry on.
//
// The ring keeps what was handed to the output until it has been heard, so that a new
// output stream (after the sound server came back) can start again from the last frame
// heard without asking the decoder to seek.
//
// Frames are counted from the start of the decoder's audio. Every method but the
// constructor is thread-safe; the callback runs on the decoder thread.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "engine/decoder.h"
#include "engine/module_decoder.h"

namespace engine {

class DecodeAhead {
  public:
    // Called on the decoder thread when audio arrived that the output had asked for and not
    // got. It takes the output's lock itself and must check stopping() under it.
    using Wanted = std::function<void()>;

    DecodeAhead(std::unique_ptr<Decoder> decoder, ModuleDecoder* module, std::size_t ringFrames,
                std::size_t refillFrames, Wanted wanted);
    // Stops the thread; see finish().
    ~DecodeAhead();
    DecodeAhead(const DecodeAhead&) = delete;
    DecodeAhead& operator=(const DecodeAhead&) = delete;

    // Decoding runs only while active (playing or about to); the thread starts at the first
    // activation and sleeps while inactive or while the ring is full.
    void setActive(bool active);

    // Drops everything decoded and goes on from `frame`; the decoder is moved there on its
    // thread (a stream seeks by frame), module music at once as well (by `order` when given).
    void restartAt(std::uint64_t frame, std::optional<std::uint32_t> order = std::nullopt);
    // Hands out audio again from `frame` when the ring still holds it or is already being
    // refilled from there; false otherwise.
    bool rewindTo(std::uint64_t frame);

    // Copies up to `frames` frames of what comes next. `ended` tells that the decoder's audio
    // ends right after what was copied.
    std::size_t take(std::int16_t* out, std::size_t frames, bool& ended);
    // Everything before `frame` has been heard and may be overwritten.
    void release(std::uint64_t frame);

    // Module music: moves the decoder to the start of `order` at once (module decoding never
    // waits on a file) and returns the frame there, or nothing for an order that doesn't exist.
    std::optional<std::uint64_t> seekOrderNow(std::uint32_t order);
    // Module music: the order and row decoded at `frame`.
    std::uint32_t orderRowAt(std::uint64_t frame) const;

    // Tells the thread to end; the callback is not called any more once this returns and the
    // caller holds the callback's lock.
    void stop();
    bool stopping() const;
    // After stop(): waits for the thread to end. A thread blocked in a file read for longer
    // than `patience` is left to end by itself (the library is then kept loaded).
    void finish(std::chrono::milliseconds patience);

  private:
    struct Shared;
    // Drops everything decoded; `mark` is the module's order and row at `frame`.
    void restart(std::uint64_t frame, std::optional<std::uint32_t> order,
                 std::optional<std::uint32_t> mark);
    static void Run(std::shared_ptr<Shared> s);
    // One step of decoding into the ring; `lock` (held on entry and exit) is let go meanwhile.
    static void decodeStep(Shared& s, std::unique_lock<std::mutex>& lock);

    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

}  // namespace engine
