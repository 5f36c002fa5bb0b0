// Fake main-window timers over a fake millisecond clock, for unit tests. Each
// timer fires its handler when the clock passes its due time; a handler that
// blocks the thread (Busy) makes overdue timers fire once afterwards, as
// window timers do.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "schedule/timers.h"

namespace ordavi::testing {

class FakeTimers : public TimerPort {
 public:
  void StartTimer(MainTimer timer, std::uint32_t intervalMs) override {
    State& s = state_[timer];
    if (s.on) return;
    s.on = true;
    s.intervalMs = intervalMs;
    s.due = now_ + intervalMs;
  }
  void StopTimer(MainTimer timer) override { state_[timer].on = false; }
  bool TimerEnabled(MainTimer timer) const {
    const auto it = state_.find(timer);
    return it != state_.end() && it->second.on;
  }

  void OnFire(MainTimer timer, std::function<void()> handler) { state_[timer].handler = std::move(handler); }

  // Lets `ms` milliseconds pass, firing every timer event that falls in them.
  void Advance(std::uint64_t ms) {
    const std::uint64_t end = now_ + ms;
    for (;;) {
      MainTimer next{};
      bool found = false;
      std::uint64_t due = 0;
      for (auto& [id, s] : state_) {
        if (s.on && s.due <= end && (!found || s.due < due)) {
          next = id;
          due = s.due;
          found = true;
        }
      }
      if (!found) break;
      if (due > now_) now_ = due;
      State& s = state_[next];
      s.due = now_ + s.intervalMs;
      fired.push_back({now_, next});
      if (s.handler) s.handler();
    }
    if (end > now_) now_ = end;
  }
  // The thread is blocked for `ms` (called from inside a handler).
  void Busy(std::uint64_t ms) { now_ += ms; }
  // The PC sleeps for `ms`: no timer fires, and those that fell due fire
  // once at the next Advance, as window timers do after a resume.
  void Sleep(std::uint64_t ms) {
    now_ += ms;
    slept_ += ms;
  }

  std::uint64_t Now() const { return now_; }
  std::uint64_t Slept() const { return slept_; }
  // Every event, with the clock at its firing.
  struct Event {
    std::uint64_t at;
    MainTimer timer;
  };
  std::vector<Event> fired;

 private:
  struct State {
    bool on = false;
    std::uint32_t intervalMs = 0;
    std::uint64_t due = 0;
    std::function<void()> handler;
  };
  std::map<MainTimer, State> state_;
  std::uint64_t now_ = 0;
  std::uint64_t slept_ = 0;
};

}  // namespace ordavi::testing
