// Owning handles for the libpulse objects the mixer keeps.
#pragma once

#include <pulse/context.h>
#include <pulse/operation.h>
#include <pulse/thread-mainloop.h>

#include <memory>

struct MainloopDeleter {
    void operator()(pa_threaded_mainloop* loop) const {
        pa_threaded_mainloop_stop(loop);  // joins the loop thread; a no-op when not running
        pa_threaded_mainloop_free(loop);
    }
};
using MainloopHandle = std::unique_ptr<pa_threaded_mainloop, MainloopDeleter>;

// Destroy only while the loop thread is stopped or its lock is held.
struct ContextDeleter {
    void operator()(pa_context* context) const {
        pa_context_set_state_callback(context, nullptr, nullptr);
        pa_context_set_subscribe_callback(context, nullptr, nullptr);
        pa_context_disconnect(context);
        pa_context_unref(context);
    }
};
using ContextHandle = std::unique_ptr<pa_context, ContextDeleter>;

// The mixer never waits on operations it starts, so it drops its reference at once.
inline void Forget(pa_operation* operation) {
    if (operation) pa_operation_unref(operation);
}

// Holds the loop's lock for a scope (the loop thread releases it while it sleeps).
class MainloopLock {
  public:
    explicit MainloopLock(pa_threaded_mainloop* loop) : loop_(loop) {
        pa_threaded_mainloop_lock(loop_);
    }
    ~MainloopLock() { pa_threaded_mainloop_unlock(loop_); }
    MainloopLock(const MainloopLock&) = delete;
    MainloopLock& operator=(const MainloopLock&) = delete;

  private:
    pa_threaded_mainloop* loop_;
};
