#include "saver/saver_run_win32.h"

#include <utility>

#include "platform/names.h"
#include "platform/screen_win32.h"
#include "platform/text_win32.h"
#include "platform/unique_handle_win32.h"
#include "saver/run_timers.h"

namespace orbisette {
namespace {

float SecondsSinceMidnight() {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  return static_cast<float>(now.wHour * 3600 + now.wMinute * 60 + now.wSecond + now.wMilliseconds / 1000.0);
}

void MoveTo(BallWindow& window, const BallState& ball, TwipsPerPixel perPixel) {
  if (const auto at = WindowPointOf(ball, perPixel)) window.Move(at->X, at->Y);
}

}  // namespace

// The run's end may not wait on the platform: its MP3 player can hang in the
// stop at the end, or fail in a thread of its own (Wine 10's does at times,
// which then holds the process for a debugger), and the key that ended the run
// must end the process all the same. Once the end begins, the guard ends the
// process without its clean-up when EndWait passes before the end is done, or
// at once when any thread fails. Its thread waits from the run's start, so that
// the end itself starts nothing.
class EndGuard {
 public:
  static constexpr DWORD EndWait = 1000;  // milliseconds; a whole end takes well under 100

  EndGuard()
      : Begun(::CreateEventW(nullptr, TRUE, FALSE, nullptr)), Done(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    if (Begun && Done) Watcher.reset(::CreateThread(nullptr, 0, Watch, this, 0, nullptr));
  }
  EndGuard(const EndGuard&) = delete;
  EndGuard& operator=(const EndGuard&) = delete;
  ~EndGuard() {
    if (!Watcher) return;
    ::SetEvent(Done.get());
    ::SetEvent(Begun.get());
    ::WaitForSingleObject(Watcher.get(), INFINITE);
  }
  void EndBegins() noexcept {
    ::SetUnhandledExceptionFilter([](EXCEPTION_POINTERS*) -> LONG {
      ::TerminateProcess(::GetCurrentProcess(), 0);
      return EXCEPTION_EXECUTE_HANDLER;
    });
    ::SetEvent(Begun.get());
  }
  void EndDone() noexcept { ::SetEvent(Done.get()); }

 private:
  static DWORD WINAPI Watch(void* self) {
    const auto* guard = static_cast<const EndGuard*>(self);
    ::WaitForSingleObject(guard->Begun.get(), INFINITE);
    if (::WaitForSingleObject(guard->Done.get(), EndWait) == WAIT_TIMEOUT) ::TerminateProcess(::GetCurrentProcess(), 0);
    return 0;
  }
  unique_handle Begun;
  unique_handle Done;
  unique_handle Watcher;
};

SaverRun::SaverRun(const Settings& settings, RunOptions options, std::function<void()> onEnded)
    : Config(settings),
      Options(options),
      OnEnded(std::move(onEnded)),
      Windows{BallWindow(SaverWindowTitle, this),
              BallWindow(),
              BallWindow(),
              BallWindow(),
              BallWindow(),
              BallWindow(),
              BallWindow(),
              BallWindow(),
              BallWindow(),
              BallWindow()},
      Music(MciDevices, settings, LocaleDecimalSeparator()) {}

SaverRun::~SaverRun() {
  // A run left without its end (a test's) still lets its music and windows go.
  if (!Ending) StopMusic();
  Ending = true;
  for (BallWindow& window : Windows) window.Unload();
}

void SaverRun::Start() {
  // Asked once before the animation timer exists: the key's "pressed since the
  // last query" bit may be left from a press minutes ago (a dialog closed with
  // Escape), and only a press during the run may end it.
  ::GetAsyncKeyState(VK_ESCAPE);
  Guard = std::make_unique<EndGuard>();
  if (MainWindow().Create()) FormLoad();
}

bool SaverRun::OnBallMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM, LRESULT& result) noexcept {
  result = 0;
  switch (message) {
    // Ticking from the window's creation: a failure box during the run start
    // lets ticks through before the ball table exists.
    case WM_CREATE: Animation.Set(hwnd, AnimationTimer.Id, AnimationTimer.Interval); return true;
    case WM_TIMER: OnTimerMessage(wParam); return true;
    case WM_CLOSE: End(); return true;  // Alt+F4 on the saver window ends the run like Escape
    default: return false;
  }
}

void SaverRun::OnTimerMessage(std::uintptr_t id) noexcept {
  // One tick at a time, and none once the run ends: the music timers' ticks
  // never run inside an animation step, nor after the music stop.
  if (Ending || Busy) return;
  const unique_flag busy(Busy);
  try {
    OnTimer(id);
  } catch (...) {
    // Nothing of a tick may stop the next one.
  }
}

void SaverRun::FormLoad() {
  const ScreenGeometry screen = ReadScreen();
  // The cursor goes one pixel past the last column and row and so rests on the
  // bottom-right pixel; moving it about 30 pixels away ends the run.
  const CursorParkPoint park = CursorParkPointFor(screen);
  ::SetCursorPos(park.X.value_or(0), park.Y.value_or(0));

  // Decoded once, by the first window that draws it, for all ten. While it
  // decodes, the cursor and Escape tests run as on a tick; a failure box lets
  // ticks through. Either may end the run: then the start goes no further.
  BallPicture picture(InstalledImagePath, [this] {
    if (EndAsked(ReadScreen())) End();
    return Ending;
  });
  MainWindow().Load(picture);
  if (Ending) return;

  Balls.emplace();  // every field 0
  Pi = MakePi();
  TimeSeededRandom random(SecondsSinceMidnight());
  PlaceBalls(*Balls, screen, Config.MoveSpeed, random);

  // Ball 0 first, then each ball window made and loaded (its picture, or its
  // failure box) before it moves and before the next one is touched. All stay
  // hidden until every one is in place.
  MoveTo(MainWindow(), (*Balls)[0], screen.PerPixel);
  for (std::size_t i = 1; i < BallCount; ++i) {
    if (Windows[i].Create()) Windows[i].Load(picture);
    if (Ending) return;
    MoveTo(Windows[i], (*Balls)[i], screen.PerPixel);
  }

  StartMusic();  // the windows are placed and still hidden

  for (BallWindow& window : Windows) window.Show();  // Orbisette_Main first
}

void SaverRun::OnTimer(std::uintptr_t id) {
  switch (id) {
    case AnimationTimer.Id: AnimationTick(); break;
    case Mp3RepeatTimer.Id: Music.Mp3RepeatTick(); break;
    case CdPollTimer.Id: CdPollTick(); break;
    default: break;
  }
}

void SaverRun::StartMusic() {
  MusicTimers timers;
  try {
    const unique_flag busy(Busy);
    timers = Music.Start();
  } catch (...) {
    // Like any failing statement of the run start: the run goes on.
  }
  const HWND main = MainWindow().Handle();
  if (timers.Mp3Repeat) Mp3Repeat.Set(main, Mp3RepeatTimer.Id, Mp3RepeatTimer.Interval);
  if (timers.CdPoll) CdPoll.Set(main, CdPollTimer.Id, CdPollTimer.Interval);
}

void SaverRun::CdPollTick() {
  if (!CdPoll.On()) return;
  // A drive found unusable switches the poll off for the rest of the run.
  if (!Music.CdPollTick()) CdPoll.Kill();
}

void SaverRun::AnimationTick() {
  const ScreenGeometry screen = ReadScreen();
  if (Balls) {
    // Windows not made yet stay put: a tick can come while the run start waits
    // in a failure box.
    AnimationStep(*Balls, screen, Config.Rebound, Config.MoveSpeed, Pi, [&](const BallTable& balls) {
      for (std::size_t i = 0; i < BallCount; ++i) MoveTo(Windows[i], balls[i], screen.PerPixel);
    });
  }

  if (EndAsked(screen)) End();
}

bool SaverRun::EndAsked(const ScreenGeometry& screen) {
  POINT cursor{0, 0};  // a failed read leaves (0, 0), far outside the corner
  ::GetCursorPos(&cursor);
  return EndOfRunTest(PixelPoint{cursor.x, cursor.y}, ::GetAsyncKeyState(VK_ESCAPE), screen) != RunEndReason::None;
}

void SaverRun::End() noexcept {
  if (Ending) return;
  Ending = true;
  if (Guard) Guard->EndBegins();
  Animation.Kill();
  FormQueryUnload();
  FormUnload();
  // A sound player stuck in the platform would hold the process's clean-up too.
  if (MciDevices.PlayerStuck()) ::TerminateProcess(::GetCurrentProcess(), 0);
  if (OnEnded) OnEnded();
  if (Guard) Guard->EndDone();
}

void SaverRun::StopMusic() noexcept {
  // The CD poll still on means a CD is playing; it goes off before the drive is stopped.
  const bool cdPollEnabled = CdPoll.On();
  CdPoll.Kill();
  try {
    Music.Stop(cdPollEnabled);
  } catch (...) {
    // The cursor and the windows are given back whatever happened here.
  }
}

void SaverRun::FormQueryUnload() noexcept {
  StopMusic();  // first, before anything of the run goes away
  // The cursor comes back only if the start-up hid it; the stored counter is the flag.
  if (const auto flag = CursorFlagAtRunEnd(Options.CursorHidden, Options.CursorShowCount)) {
    Options.CursorShowCount = ::ShowCursor(*flag);
  }
  for (std::size_t i = 1; i < BallCount; ++i) Windows[i].Unload();  // Orbisette_01 to Orbisette_09, in order
}

void SaverRun::FormUnload() noexcept { MainWindow().Unload(); }

}  // namespace orbisette
