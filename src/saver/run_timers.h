// The saver window's timers, named by what they do, with the names the system
// gives them beside. Intervals are SetTimer milliseconds: 1 means as often as
// the system delivers ticks (about 64 a second on Windows, 100 under Wine).
#pragma once

#include <cstdint>

namespace orbisette {

struct TimerSpec {
  std::uintptr_t Id;
  unsigned Interval;
};

inline constexpr TimerSpec AnimationTimer{3, 1};     // Timer3: the animation step, from the window's creation
inline constexpr TimerSpec Mp3RepeatTimer{1, 1000};  // Timer1: restarts an MP3 that has ended
inline constexpr TimerSpec CdPollTimer{2, 200};      // Timer2: polls the CD drive and (re)starts play

}  // namespace orbisette
