// The screen-saver run: ten ball windows over the desktop, moved on every tick
// of the animation timer until the mouse leaves its corner or Escape is pressed.
// The run holds its ten windows; ball 0 is the window titled "Orbisette_Main",
// which carries the run's timers and hands their ticks to the run. The run also
// plays the music the settings choose, from its start to the first step of its end.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "layered/ball_window_win32.h"
#include "music/mci_port_win32.h"
#include "music/run_music.h"
#include "platform/unique_handle_win32.h"
#include "saver/ball_table.h"
#include "settings/settings.h"

namespace orbisette {

// What the start-up decided for the run.
struct RunOptions {
  // The start-up hid the cursor ("S"); the run's end then shows it again.
  bool CursorHidden = false;
  // The display counter ShowCursor gave the start-up when it hid the cursor.
  std::int32_t CursorShowCount = 0;
};

class EndGuard;

class SaverRun final : private BallWindowListener {
 public:
  // settings must outlive the run. onEnded runs once, right after the run's end
  // (the program ends the process there).
  SaverRun(const Settings& settings, RunOptions options, std::function<void()> onEnded);
  SaverRun(const SaverRun&) = delete;
  SaverRun& operator=(const SaverRun&) = delete;
  ~SaverRun();

  // The run start: creates Orbisette_Main (its animation timer ticks from then
  // on), parks the cursor, makes and places the ten balls, starts the music and
  // shows the balls.
  void Start();
  // The run end, once: music stopped, cursor given back, Orbisette_01 to
  // Orbisette_09 unloaded in order, then Orbisette_Main; then onEnded.
  void End() noexcept;

  // The display counter the run's end got back from ShowCursor (the start-up's
  // value until then).
  std::int32_t CursorShowCount() const { return Options.CursorShowCount; }
  // Ball i's window: 0 is Orbisette_Main, i is Orbisette_0i.
  HWND BallHandle(std::size_t ball) const { return ball < BallCount ? Windows[ball].Handle() : nullptr; }

 private:
  bool OnBallMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) noexcept override;
  void FormLoad();
  void AnimationTick();
  // The cursor and Escape tests of the animation step: whether the run should end.
  bool EndAsked(const ScreenGeometry& screen);
  void OnTimerMessage(std::uintptr_t id) noexcept;
  void OnTimer(std::uintptr_t id);
  void StartMusic();
  void CdPollTick();
  void StopMusic() noexcept;
  void FormQueryUnload() noexcept;
  void FormUnload() noexcept;
  BallWindow& MainWindow() { return Windows[0]; }

  const Settings& Config;
  RunOptions Options;
  std::function<void()> OnEnded;
  // Ball i's window; 0 is Orbisette_Main, i is Orbisette_0i.
  std::array<BallWindow, BallCount> Windows;
  std::optional<BallTable> Balls;  // empty until the run start makes it
  float Pi = 0.0f;
  Win32MciPort MciDevices;
  RunMusic Music;  // on MciDevices
  // On Orbisette_Main; the music stop tests whether the CD poll is on.
  WindowTimer Animation;
  WindowTimer Mp3Repeat;
  WindowTimer CdPoll;
  // Set while a tick or a music call runs: a tick that something inside lets
  // through waits for the next one instead of running inside it.
  bool Busy = false;
  bool Ending = false;
  std::unique_ptr<EndGuard> Guard;  // from the run start on
};

}  // namespace orbisette
