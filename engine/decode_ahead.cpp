#include "engine/decode_ahead.h"

#include <pthread.h>

#include <algorithm>
#include <cstring>

#include "engine/library_pin.h"

namespace engine {
namespace {

// Decoding happens in steps of this many frames, so that a stop or a seek is seen soon.
constexpr std::size_t kStepFrames = 4096;
// Module music notes its order and row at least this often while decoding.
constexpr std::size_t kMarkFrames = 512;

}  // namespace

struct DecodeAhead::Shared {
    Shared(std::unique_ptr<Decoder> d, ModuleDecoder* m, std::size_t ringFrames, std::size_t refill,
           Wanted w)
        : decoder(std::move(d)),
          module(m),
          channels(decoder->format().channels),
          length(decoder->lengthFrames()),
          capacity(ringFrames),
          refillFrames(std::min(refill, ringFrames)),
          ring(ringFrames * channels),
          wanted(std::move(w)) {
        if (module) marks.emplace_back(0, module->orderAndRow());
    }

    std::size_t freeFrames() const { return capacity - static_cast<std::size_t>(decoded - base); }
    void clear(std::uint64_t frame) {
        base = sent = decoded = frame;
        ended = false;
        outputWaits = false;
        ++generation;
    }

    std::unique_ptr<Decoder> decoder;
    ModuleDecoder* module;
    const std::size_t channels;
    const std::uint64_t length;
    const std::size_t capacity;
    const std::size_t refillFrames;
    std::vector<std::int16_t> ring;  // frame f lives at index f % capacity
    const Wanted wanted;

    // The decoder itself: the thread holds this while it decodes or seeks; module seeks by
    // order take it from the caller's side.
    std::mutex decoderMutex;

    mutable std::mutex m;             // everything below
    std::condition_variable wake;     // to the thread
    std::condition_variable changed;  // from the thread: exited or inRead changed
    std::uint64_t base = 0;           // oldest frame kept (not yet heard)
    std::uint64_t sent = 0;           // next frame to hand out
    std::uint64_t decoded = 0;        // end of what was decoded
    bool ended = false;               // the decoder's audio ends at `decoded`
    std::uint64_t generation = 0;
    std::optional<std::pair<std::uint64_t, std::optional<std::uint32_t>>> pendingSeek;
    bool active = false;
    bool stopping = false;
    bool inRead = false;  // the thread is inside the decoder
    bool exited = false;
    bool outputWaits = false;  // the output asked for more than there was
    // Woken for a refill, the thread fills the ring to the top before it sleeps again: one
    // wake-up per refill step heard, not one per step of decoding.
    bool filling = false;
    std::deque<std::pair<std::uint64_t, std::uint32_t>> marks;  // (frame, order/row)
};

DecodeAhead::DecodeAhead(std::unique_ptr<Decoder> decoder, ModuleDecoder* module,
                         std::size_t ringFrames, std::size_t refillFrames, Wanted wanted)
    : shared_(std::make_shared<Shared>(std::move(decoder), module, ringFrames, refillFrames,
                                       std::move(wanted))) {}

DecodeAhead::~DecodeAhead() {
    stop();
    finish(std::chrono::milliseconds(100));
}

void DecodeAhead::setActive(bool active) {
    std::lock_guard<std::mutex> lock(shared_->m);
    shared_->active = active;
    if (active && !thread_.joinable() && !shared_->stopping) thread_ = std::thread(Run, shared_);
    shared_->wake.notify_one();
}

void DecodeAhead::restartAt(std::uint64_t frame, std::optional<std::uint32_t> order) {
    std::optional<std::uint32_t> mark;
    if (shared_->module) {
        // Module music is moved at once (it never waits on a file), so that the order and row
        // reported from `frame` on are where the decoder really is, not where the thread had
        // read ahead to.
        std::lock_guard<std::mutex> decoder(shared_->decoderMutex);
        std::uint64_t unused = 0;
        if (order)
            shared_->module->seekOrder(*order, unused);
        else
            shared_->module->seek(frame);
        mark = shared_->module->orderAndRow();
    }
    restart(frame, order, mark);
}

void DecodeAhead::restart(std::uint64_t frame, std::optional<std::uint32_t> order,
                          std::optional<std::uint32_t> mark) {
    std::lock_guard<std::mutex> lock(shared_->m);
    Shared& s = *shared_;
    s.clear(frame);
    // The thread seeks there again: a step it was decoding meanwhile moved the decoder on.
    s.pendingSeek.emplace(frame, order);
    s.marks.clear();
    if (mark) s.marks.emplace_back(frame, *mark);
    s.wake.notify_one();
}

bool DecodeAhead::rewindTo(std::uint64_t frame) {
    std::lock_guard<std::mutex> lock(shared_->m);
    Shared& s = *shared_;
    // Already restarting there: the seek under way (by order, for module music) stands.
    if (s.pendingSeek && s.pendingSeek->first == frame) return true;
    if (s.pendingSeek || frame < s.base || frame > s.decoded) return false;
    s.sent = frame;
    s.outputWaits = false;
    return true;
}

std::size_t DecodeAhead::take(std::int16_t* out, std::size_t frames, bool& ended) {
    std::lock_guard<std::mutex> lock(shared_->m);
    Shared& s = *shared_;
    const std::size_t n =
        static_cast<std::size_t>(std::min<std::uint64_t>(frames, s.decoded - s.sent));
    for (std::size_t done = 0; done < n;) {
        const std::size_t at = static_cast<std::size_t>((s.sent + done) % s.capacity);
        const std::size_t run = std::min(n - done, s.capacity - at);
        std::memcpy(out + done * s.channels, s.ring.data() + at * s.channels,
                    run * s.channels * sizeof(std::int16_t));
        done += run;
    }
    s.sent += n;
    ended = s.ended && !s.pendingSeek && s.sent == s.decoded;
    if (n < frames && !ended) {
        s.outputWaits = true;
        s.wake.notify_one();
    }
    return n;
}

void DecodeAhead::release(std::uint64_t frame) {
    std::lock_guard<std::mutex> lock(shared_->m);
    Shared& s = *shared_;
    const std::uint64_t upTo = std::min(frame, s.sent);
    if (upTo <= s.base) return;
    const bool wasShort = s.freeFrames() < s.refillFrames;
    s.base = upTo;
    if (wasShort && s.freeFrames() >= s.refillFrames) s.wake.notify_one();
}

std::optional<std::uint64_t> DecodeAhead::seekOrderNow(std::uint32_t order) {
    if (!shared_->module) return std::nullopt;
    std::uint64_t frame = 0;
    std::uint32_t mark = 0;
    {
        std::lock_guard<std::mutex> decoder(shared_->decoderMutex);
        if (!shared_->module->seekOrder(order, frame)) return std::nullopt;
        mark = shared_->module->orderAndRow();
    }
    restart(frame, order, mark);
    return frame;
}

std::uint32_t DecodeAhead::orderRowAt(std::uint64_t frame) const {
    std::lock_guard<std::mutex> lock(shared_->m);
    const auto& marks = shared_->marks;
    auto after =
        std::upper_bound(marks.begin(), marks.end(), frame,
                         [](std::uint64_t f, const std::pair<std::uint64_t, std::uint32_t>& m) {
                             return f < m.first;
                         });
    if (after == marks.begin()) return marks.empty() ? 0 : after->second;
    return std::prev(after)->second;
}

void DecodeAhead::stop() {
    std::lock_guard<std::mutex> lock(shared_->m);
    shared_->stopping = true;
    shared_->wake.notify_one();
}

bool DecodeAhead::stopping() const {
    std::lock_guard<std::mutex> lock(shared_->m);
    return shared_->stopping;
}

void DecodeAhead::finish(std::chrono::milliseconds patience) {
    if (!thread_.joinable()) return;
    std::unique_lock<std::mutex> lock(shared_->m);
    Shared& s = *shared_;
    s.changed.wait_for(lock, patience, [&] { return s.exited; });
    // Outside the decoder the thread never blocks for long: wait for it to end or to be
    // inside a read, the only place it may be left behind.
    s.changed.wait(lock, [&] { return s.exited || s.inRead; });
    const bool exited = s.exited;
    lock.unlock();
    if (exited) {
        thread_.join();
    } else {
        KeepLibraryLoaded();
        thread_.detach();
    }
}

void DecodeAhead::Run(std::shared_ptr<Shared> shared) {
    // A name of its own, so that top -H and the benchmarks tell it from the caller's thread.
    pthread_setname_np(pthread_self(), "vyn-decoder");
    Shared& s = *shared;
    std::unique_lock<std::mutex> lock(s.m);
    for (;;) {
        s.wake.wait(lock, [&] {
            if (s.stopping) return true;
            if (!s.active) return false;
            if (s.pendingSeek) return true;
            if (s.ended) return false;
            const std::size_t room = s.freeFrames();
            s.filling = room > 0 && (s.filling || room >= s.refillFrames);
            return s.filling || (s.outputWaits && room > 0);
        });
        if (s.stopping) break;
        if (s.pendingSeek) {
            const std::uint64_t generation = s.generation;
            const auto [frame, order] = *s.pendingSeek;
            s.pendingSeek.reset();
            s.inRead = true;
            s.changed.notify_all();
            lock.unlock();
            bool ok = false;
            {
                std::lock_guard<std::mutex> decoder(s.decoderMutex);
                std::uint64_t unused = 0;
                ok = order ? s.module->seekOrder(*order, unused) : s.decoder->seek(frame);
            }
            lock.lock();
            s.inRead = false;
            s.changed.notify_all();
            if (s.stopping) break;
            // A decoder that can't move there has nothing more to give from there.
            if (generation != s.generation || ok) continue;
            s.ended = true;
        } else {
            decodeStep(s, lock);
            if (s.stopping) break;
        }
        if (s.outputWaits && (s.ended || s.sent < s.decoded)) {
            s.outputWaits = false;
            lock.unlock();
            s.wanted();
            lock.lock();
        }
    }
    s.exited = true;
    s.changed.notify_all();
}

void DecodeAhead::decodeStep(Shared& s, std::unique_lock<std::mutex>& lock) {
    {
        const std::uint64_t generation = s.generation;
        // Decode into the free part of the ring after `decoded`: nobody else touches it.
        const std::uint64_t at = s.decoded;
        const std::size_t index = static_cast<std::size_t>(at % s.capacity);
        // Nothing past the decoder's stated length: module music would render a tail.
        const std::uint64_t left = s.length > at ? s.length - at : 0;
        if (left == 0) {
            s.ended = true;
            return;
        }
        const std::size_t want = static_cast<std::size_t>(
            std::min<std::uint64_t>({s.freeFrames(), s.capacity - index, kStepFrames, left}));
        std::int16_t* out = s.ring.data() + index * s.channels;
        s.inRead = true;
        s.changed.notify_all();
        lock.unlock();
        std::size_t got = 0;
        std::vector<std::pair<std::uint64_t, std::uint32_t>> marks;
        {
            std::lock_guard<std::mutex> decoder(s.decoderMutex);
            while (got < want) {
                std::size_t step = want - got;
                if (s.module) {
                    step = std::min(step, kMarkFrames);
                    marks.emplace_back(at + got, s.module->orderAndRow());
                }
                const std::size_t n = s.decoder->read(out + got * s.channels, step);
                got += n;
                if (n < step) break;
            }
        }
        lock.lock();
        s.inRead = false;
        s.changed.notify_all();
        if (s.stopping || generation != s.generation) return;  // stopped, or a seek came
        s.decoded += got;
        if (got < want) s.ended = true;
        for (const auto& mark : marks)
            if (s.marks.empty() || s.marks.back().second != mark.second) s.marks.push_back(mark);
        // Marks are needed back to the oldest frame that may still be heard.
        while (s.marks.size() > 1 && s.marks[1].first <= s.base) s.marks.pop_front();
    }
}

}  // namespace engine
