// The engine's one connection to the sound server: a libpulse threaded main loop (one
// thread, which sleeps in poll() between server requests) and a context.
#pragma once

#include <pulse/pulseaudio.h>

#include <functional>
#include <memory>

namespace engine {

class PulseConnection {
  public:
    // Connects to the default server without autospawning one. Throws EngineError 3 when
    // no server answers within `timeoutMs`.
    explicit PulseConnection(unsigned timeoutMs = 3000);
    // Disconnects and joins the main loop thread.
    ~PulseConnection();
    PulseConnection(const PulseConnection&) = delete;
    PulseConnection& operator=(const PulseConnection&) = delete;

    pa_context* context() const { return context_; }

    // Every libpulse call on the context or its streams happens with this lock held;
    // the main loop thread holds it while it runs callbacks.
    class Lock {
      public:
        explicit Lock(const PulseConnection& c) : loop_(c.loop_) {
            pa_threaded_mainloop_lock(loop_);
        }
        ~Lock() { pa_threaded_mainloop_unlock(loop_); }
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

      private:
        pa_threaded_mainloop* loop_;
    };

    // With the lock held: sleeps until `done` returns true (checked after every signal())
    // or `timeoutMs` passed. Returns done().
    bool waitFor(const std::function<bool()>& done, unsigned timeoutMs);
    // From a callback: wakes waitFor.
    void signal() { pa_threaded_mainloop_signal(loop_, 0); }

  private:
    void close();

    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    bool running_ = false;
};

}  // namespace engine
