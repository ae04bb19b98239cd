// Figures under Wine that judge nothing: the run's ticks and CPU per second
// without music and with an MP3 playing (restarted every two seconds or so),
// and the preview's start time and resident memory. Prints medians.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <thread>
#include <vector>

#include "harness.h"
#include "settings/settings.h"
#include "sound_harness.h"

namespace {

using namespace e2e;

// Ticks a second (the longest path any ball's axis travels: at 15 twips a
// full-speed axis moves one pixel a tick, nothing rebounds) and host CPU ms a second.
std::pair<double, double> TicksAndCpu(const AppFolder& app, MusicRun& run) {
  std::this_thread::sleep_for(1s);
  const auto windows = run.Saver().Windows();
  std::vector<RECT> last(windows.size());
  std::vector<double> pathX(windows.size()), pathY(windows.size());
  for (std::size_t i = 0; i < windows.size(); ++i) ::GetWindowRect(windows[i], &last[i]);
  const auto before = HostStatsOf(app.Program());
  const Tick begin = Now();
  while (Now() - begin < 4000) {
    std::this_thread::sleep_for(20ms);
    for (std::size_t i = 0; i < windows.size(); ++i) {
      RECT r{};
      ::GetWindowRect(windows[i], &r);
      pathX[i] += std::abs(r.left - last[i].left);
      pathY[i] += std::abs(r.top - last[i].top);
      last[i] = r;
    }
  }
  const double seconds = (Now() - begin) / 1000.0;
  const auto after = HostStatsOf(app.Program());
  const double longest =
      std::max(*std::max_element(pathX.begin(), pathX.end()), *std::max_element(pathY.begin(), pathY.end()));
  const double cpu = before && after ? static_cast<double>(after->CpuTicks - before->CpuTicks) * 10 / seconds : 0;
  return {longest / seconds, cpu};
}

void MusicFigures() {
  SoundStage stage;
  if (!stage.Open() || !stage.Ready()) {
    std::printf("music: no sound server or test tones (needs Wine with a Unix prefix, pulseaudio, sox, lame)\n");
    stage.Close();
    return;
  }
  AppFolder app;
  const std::string mp3 = stage.PlaceMusic(app, "tone.mp3", L"tone one.mp3");
  std::vector<double> ticks[2], cpu[2];
  for (int round = 0; round < 3; ++round) {
    for (int withMusic = 0; withMusic < 2; ++withMusic) {
      WriteSettings(app, withMusic ? orbisette::BgmMusicFile : orbisette::BgmNone, withMusic ? mp3 : "");
      MusicRun run(stage.Shell(), app, stage.Server(), "-all");
      if (!run.ShowsTenBalls()) continue;
      const auto [t, c] = TicksAndCpu(app, run);
      ticks[withMusic].push_back(t);
      cpu[withMusic].push_back(c);
      run.End();
    }
  }
  std::printf("medians over 3 runs each   ticks/s   CPU ms/s\n");
  std::printf("no music                   %7.0f   %8.0f\n", Median(ticks[0]), Median(cpu[0]));
  std::printf("MP3 playing                %7.0f   %8.0f\n", Median(ticks[1]), Median(cpu[1]));
  stage.Close();
}

// From /p to the window in a 152 x 112 box and to its first painting, and the
// preview's resident memory, as medians of five starts.
void PreviewFigures() {
  AppFolder app(/*withImage=*/false);
  std::vector<double> shownMs, paintedMs, residentKiB;
  for (int round = 0; round < 5; ++round) {
    const HWND host = ::CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 232, 212,
                                        nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    const HWND box = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 20, 20, 152, 112, host, nullptr,
                                       ::GetModuleHandleW(nullptr), nullptr);
    const auto begin = std::chrono::steady_clock::now();
    const auto msSince = [&] {
      return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
    };
    SaverProcess preview(app.Program(), L"/p " + std::to_wstring(reinterpret_cast<INT_PTR>(box)));
    HWND window = nullptr;
    PumpUntil(
        [&] {
          window = ::GetWindow(box, GW_CHILD);
          return (window && ::IsWindowVisible(window)) || preview.Exited();
        },
        10s);
    if (window) {
      shownMs.push_back(msSince());
      // Painted: WM_PAINT has validated the whole window.
      if (PumpUntil([&] { return !::GetUpdateRect(window, nullptr, FALSE); }, 5s)) paintedMs.push_back(msSince());
      PumpUntil([] { return false; }, 300ms);
      if (const auto stats = HostStatsOf(app.Program())) residentKiB.push_back(static_cast<double>(stats->ResidentKiB));
    }
    ::DestroyWindow(host);
    PumpUntil([&] { return preview.Exited(); }, 5s);
  }
  std::printf("/p to the window in the box: median %.0f ms; to its first painting: median %.0f ms\n", Median(shownMs),
              Median(paintedMs));
  std::printf("the preview's resident memory: median %.0f KiB (%zu samples)\n", Median(residentKiB),
              residentKiB.size());
}

}  // namespace

int main() {
  PreviewFigures();
  MusicFigures();
  return 0;
}
