// A connection to the default PulseAudio server: a libpulse threaded main loop (one thread
// that sleeps in poll() between events) and a context, never autospawning a server. The
// first connect waits for a deadline; a server lost after that is tried again by itself
// with a growing back-off, and the owner hears of every loss and every return.
#pragma once

#include <pulse/pulseaudio.h>

#include <chrono>
#include <functional>
#include <string>

#include "pulse/one_shot_timer.h"

namespace pulse {

class Connection {
  public:
    // On the loop thread with the lock held: true once the server is (again) ready, false
    // when it was lost. Never called for the first connect. What it throws is dropped: no
    // exception may unwind through libpulse's C frames.
    using StateHandler = std::function<void(bool ready)>;

    explicit Connection(std::string clientName, StateHandler onState = {});
    // Stops and joins the loop thread: no callback runs afterwards.
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Starts the loop thread and waits until the server is ready, at most `deadline`.
    // False when no server answered; the object is then unusable.
    bool connect(std::chrono::milliseconds deadline);

    // Every libpulse call on the context or its streams happens with this lock held; the
    // loop thread holds it while it runs callbacks.
    class Lock {
      public:
        explicit Lock(const Connection& c) : loop_(c.loop_) {
            pa_threaded_mainloop_lock(loop_);
            ++heldHere_;
        }
        ~Lock() {
            --heldHere_;
            pa_threaded_mainloop_unlock(loop_);
        }
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

      private:
        friend class Connection;
        pa_threaded_mainloop* loop_;
        static thread_local int heldHere_;  // Locks of this thread, on any connection
    };

    // Whether the calling thread holds the lock: through a Lock, or as the loop thread
    // running a callback.
    bool heldByThisThread() const { return Lock::heldHere_ > 0 || onLoopThread(); }

    // With the lock held. The context changes at each reconnect; it is only usable while
    // ready() is true.
    pa_context* context() const { return context_; }
    bool ready() const;
    pa_mainloop_api* api() const { return pa_threaded_mainloop_get_api(loop_); }
    bool onLoopThread() const { return pa_threaded_mainloop_in_thread(loop_) != 0; }

    // With the lock held, not on the loop thread: sleeps until `done` returns true (checked
    // after every signal()) or `timeout` passed. Returns done().
    bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout);
    // With the lock held: a one-shot timer on the loop thread, `after` from now on the
    // monotonic clock. Free it with api()->time_free, also from its own callback.
    pa_time_event* timer(std::chrono::milliseconds after, pa_time_event_cb_t callback,
                         void* userdata);

    // From a callback: wakes waitFor.
    void signal() { pa_threaded_mainloop_signal(loop_, 0); }

    // The first wait before trying a lost server again, and the longest.
    static constexpr std::chrono::milliseconds kFirstRetry{50};
    static constexpr std::chrono::milliseconds kLongestRetry{500};

  private:
    static void OnContextState(pa_context* context, void* self);
    bool startContext();
    void dropContext();
    void lost();
    void tell(bool ready) noexcept;
    void scheduleRetry();
    void retry();

    std::string name_;
    StateHandler onState_;
    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    OneShotTimer retry_{[this] { retry(); }};
    std::chrono::milliseconds backoff_ = kFirstRetry;
    bool everReady_ = false;  // reconnecting starts only after a first success
    bool up_ = false;         // the owner was last told the server is ready
    bool running_ = false;
};

}  // namespace pulse
