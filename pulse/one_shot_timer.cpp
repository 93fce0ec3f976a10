#include "pulse/one_shot_timer.h"

#include "pulse/connection.h"

#include <cstdio>
#include <cstdlib>

namespace pulse {

OneShotTimer::~OneShotTimer() {
    if (!event_) return;
    // Freed off the loop without its lock, the event could be firing at the same time.
    if (!connection_->heldByThisThread()) {
        std::fputs("pulse: a pending timer was destroyed without the loop's lock\n", stderr);
        std::abort();
    }
    cancel();
}

void OneShotTimer::start(Connection& connection, std::chrono::milliseconds after) {
    cancel();
    connection_ = &connection;
    event_ = connection.timer(after, OnFire, this);
}

void OneShotTimer::cancel() {
    if (event_) connection_->api()->time_free(event_);
    event_ = nullptr;
}

void OneShotTimer::OnFire(pa_mainloop_api* api, pa_time_event* e, const struct timeval*,
                          void* self) {
    auto* me = static_cast<OneShotTimer*>(self);
    api->time_free(e);
    me->event_ = nullptr;
    // A copy: the owner, and this timer with it, may be gone when the call returns.
    const std::function<void()> fire = me->fire_;
    fire();
}

}  // namespace pulse
