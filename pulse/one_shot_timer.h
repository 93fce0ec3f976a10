// A timer on a connection's loop thread that fires once. Starting it again or cancelling it
// drops the one pending; it is free again by the time it fires, so its owner may start it
// anew from the callback or even be destroyed there. Every call is made with the
// connection's lock held; so is the destructor while a timer is pending.
#pragma once

#include <pulse/pulseaudio.h>

#include <chrono>
#include <functional>

namespace pulse {

class Connection;

class OneShotTimer {
  public:
    explicit OneShotTimer(std::function<void()> fire) : fire_(std::move(fire)) {}
    ~OneShotTimer();
    OneShotTimer(const OneShotTimer&) = delete;
    OneShotTimer& operator=(const OneShotTimer&) = delete;

    void start(Connection& connection, std::chrono::milliseconds after);
    void cancel();
    bool pending() const { return event_ != nullptr; }

  private:
    static void OnFire(pa_mainloop_api* api, pa_time_event* e, const struct timeval*, void* self);

    const std::function<void()> fire_;
    Connection* connection_ = nullptr;
    pa_time_event* event_ = nullptr;
};

}  // namespace pulse
