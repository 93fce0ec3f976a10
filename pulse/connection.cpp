#include "pulse/connection.h"

#include <algorithm>
#include <utility>

namespace pulse {

thread_local int Connection::Lock::heldHere_ = 0;

namespace {

struct Deadline {
    Connection* connection;
    bool passed = false;
};

void OnDeadline(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* userdata) {
    auto* d = static_cast<Deadline*>(userdata);
    d->passed = true;
    d->connection->signal();
}

}  // namespace

Connection::Connection(std::string clientName, StateHandler onState)
    : name_(std::move(clientName)),
      onState_(std::move(onState)),
      loop_(pa_threaded_mainloop_new()) {}

Connection::~Connection() {
    if (!loop_) return;
    if (running_) pa_threaded_mainloop_stop(loop_);  // joins the thread
    retry_.cancel();
    dropContext();
    pa_threaded_mainloop_free(loop_);
}

bool Connection::ready() const {
    return context_ && pa_context_get_state(context_) == PA_CONTEXT_READY;
}

bool Connection::startContext() {
    context_ = pa_context_new(api(), name_.c_str());
    if (!context_) return false;
    pa_context_set_state_callback(context_, &Connection::OnContextState, this);
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        dropContext();
        return false;
    }
    return true;
}

void Connection::dropContext() {
    if (!context_) return;
    pa_context_set_state_callback(context_, nullptr, nullptr);
    pa_context_disconnect(context_);
    pa_context_unref(context_);
    context_ = nullptr;
}

bool Connection::connect(std::chrono::milliseconds deadline) {
    if (!loop_ || !startContext()) return false;
    if (pa_threaded_mainloop_start(loop_) < 0) return false;
    running_ = true;
    Lock lock(*this);
    const bool ok = waitFor(
        [this] {
            return !context_ || !PA_CONTEXT_IS_GOOD(pa_context_get_state(context_)) || ready();
        },
        deadline);
    if (!ok || !ready()) return false;
    everReady_ = up_ = true;
    return true;
}

void Connection::OnContextState(pa_context* context, void* self_) {
    auto* self = static_cast<Connection*>(self_);
    self->signal();
    if (!self->everReady_) return;  // the first connect is judged by connect()
    const pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_READY) {
        self->backoff_ = kFirstRetry;
        if (!self->up_) {
            self->up_ = true;
            self->tell(true);
        }
    } else if (!PA_CONTEXT_IS_GOOD(state)) {
        self->lost();
    }
}

// The context failed (the server went away or refused us): tell the owner once, then try
// again after the back-off. The dead context is dropped from the timer, not from inside
// its own callback.
void Connection::lost() {
    if (up_) {
        up_ = false;
        tell(false);
    }
    scheduleRetry();
}

void Connection::tell(bool ready) noexcept {
    if (!onState_) return;
    try {
        onState_(ready);
    } catch (...) {
        // The owner could not act on it (out of memory, no thread to be had); it hears of
        // the next change again.
    }
}

void Connection::scheduleRetry() {
    if (retry_.pending()) return;
    retry_.start(*this, backoff_);
    backoff_ = std::min(backoff_ * 2, kLongestRetry);
}

void Connection::retry() {
    dropContext();
    // A context that could not even be made or started is tried again later.
    if (!startContext()) scheduleRetry();
}

bool Connection::waitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    if (done()) return true;
    Deadline deadline{this};
    pa_time_event* event = timer(timeout, OnDeadline, &deadline);
    while (!done() && !deadline.passed) pa_threaded_mainloop_wait(loop_);
    if (event) api()->time_free(event);
    return done();
}

pa_time_event* Connection::timer(std::chrono::milliseconds after, pa_time_event_cb_t callback,
                                 void* userdata) {
    const pa_usec_t usec = static_cast<pa_usec_t>(after.count()) * PA_USEC_PER_MSEC;
    // A context's timers run on the monotonic clock; they outlive the context they were
    // made through.
    if (context_)
        return pa_context_rttime_new(context_, pa_rtclock_now() + usec, callback, userdata);
    struct timeval tv {};
    pa_gettimeofday(&tv);
    pa_timeval_add(&tv, usec);
    return api()->time_new(api(), &tv, callback, userdata);
}

}  // namespace pulse
