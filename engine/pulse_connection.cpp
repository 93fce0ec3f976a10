#include "engine/pulse_connection.h"

#include "engine/engine_error.h"

namespace engine {
namespace {

struct Deadline {
    PulseConnection* connection;
    bool passed = false;
};

void OnDeadline(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* userdata) {
    auto* d = static_cast<Deadline*>(userdata);
    d->passed = true;
    d->connection->signal();
}

}  // namespace

PulseConnection::PulseConnection(unsigned timeoutMs) {
    loop_ = pa_threaded_mainloop_new();
    if (!loop_) Fail(BASS_ERROR_MEM);
    context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "Vyn Player");
    if (!context_) {
        pa_threaded_mainloop_free(loop_);
        Fail(BASS_ERROR_MEM);
    }
    pa_context_set_state_callback(
        context_, [](pa_context*, void* self) { static_cast<PulseConnection*>(self)->signal(); },
        this);
    bool ok = pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0 &&
              pa_threaded_mainloop_start(loop_) >= 0;
    if (ok) {
        running_ = true;
        Lock lock(*this);
        ok = waitFor(
            [this] {
                const pa_context_state_t s = pa_context_get_state(context_);
                return s == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(s);
            },
            timeoutMs);
        ok = ok && pa_context_get_state(context_) == PA_CONTEXT_READY;
    }
    if (!ok) {
        close();
        Fail(BASS_ERROR_DRIVER);
    }
}

PulseConnection::~PulseConnection() {
    close();
}

void PulseConnection::close() {
    if (running_) {
        {
            Lock lock(*this);
            pa_context_set_state_callback(context_, nullptr, nullptr);
            pa_context_disconnect(context_);
        }
        pa_threaded_mainloop_stop(loop_);  // joins the thread
        running_ = false;
    }
    if (context_) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        context_ = nullptr;
    }
    if (loop_) {
        pa_threaded_mainloop_free(loop_);
        loop_ = nullptr;
    }
}

bool PulseConnection::waitFor(const std::function<bool()>& done, unsigned timeoutMs) {
    if (done()) return true;
    Deadline deadline{this};
    pa_time_event* timer =
        pa_context_rttime_new(context_, pa_rtclock_now() + static_cast<pa_usec_t>(timeoutMs) * 1000,
                              OnDeadline, &deadline);
    while (!done() && !deadline.passed) pa_threaded_mainloop_wait(loop_);
    if (timer) pa_threaded_mainloop_get_api(loop_)->time_free(timer);
    return done();
}

}  // namespace engine
