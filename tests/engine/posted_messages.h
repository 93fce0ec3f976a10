// A MessageTarget that records every message the engine posts, with the time it came.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/message_target.h"

class PostedMessages : public MessageTarget {
  public:
    using Clock = std::chrono::steady_clock;
    struct Message {
        std::uint32_t message;
        std::uintptr_t wparam;
        Clock::time_point when;
    };

    PostedMessages() { post = &Post; }

    std::vector<Message> all() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return messages_;
    }
    std::size_t count() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return messages_.size();
    }
    // Room for `n` more messages, its pages touched: storing them later does not show as
    // growth of the process (the soak bench measures its resident memory).
    void reserve(std::size_t n) {
        std::lock_guard<std::mutex> lock(mutex_);
        const std::size_t size = messages_.size();
        messages_.resize(size + n);
        messages_.resize(size);
    }
    // Waits until at least `count` messages arrived or `timeout` passed.
    bool waitFor(std::size_t count, std::chrono::milliseconds timeout) {
        std::unique_lock<std::mutex> lock(mutex_);
        return arrived_.wait_for(lock, timeout, [&] { return messages_.size() >= count; });
    }

  private:
    static void Post(MessageTarget* self, std::uint32_t message, std::uintptr_t wparam,
                     std::intptr_t) {
        auto* me = static_cast<PostedMessages*>(self);
        {
            std::lock_guard<std::mutex> lock(me->mutex_);
            me->messages_.push_back({message, wparam, Clock::now()});
        }
        me->arrived_.notify_all();
    }

    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<Message> messages_;
};
