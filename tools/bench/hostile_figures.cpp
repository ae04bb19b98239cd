// Figures under Wine that judge nothing: hostile ball pictures, music files and
// settings files as a run meets them. For each: what became of the run (ten
// balls, the picture refused with its boxes, or the process gone by itself), how
// long from the start to that, the resident peak, the CPU the run took in the
// three seconds after, and how long from Escape to the process's end. Runs the
// Orbisette.scr beside it, so a build of any commit can be measured alike.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <set>
#include <thread>

#include "dialog_driver.h"
#include "five_keys.h"
#include "hostile_files.h"
#include "large_settings.h"
#include "settings/settings.h"
#include "sound_harness.h"

namespace {

using namespace e2e;
using Clock = std::chrono::steady_clock;
using orbisette::Le;

// A GIF of a two-colour table whose frames are all colour 0, each frame's pixels
// compressed as an encoder does (runs of 1, 2, 3... pixels, a clear code before
// the table fills); padding adds that many one-byte sub-blocks after the first
// frame's end code, which its decoder reads past.
std::string GifFrame(std::uint32_t width, std::uint32_t height, int padding) {
  std::string data;
  std::uint32_t bits = 0, held = 0, size = 3, next = 6;
  auto put = [&](std::uint32_t code) {
    bits |= code << held;
    for (held += size; held >= 8; held -= 8, bits >>= 8) data += static_cast<char>(bits & 0xFF);
  };
  put(4);
  std::uint64_t left = static_cast<std::uint64_t>(width) * height;
  for (std::uint32_t run = 1; left > 0; ++run) {
    const std::uint32_t take = static_cast<std::uint32_t>(std::min<std::uint64_t>(run, left));
    put(take == 1 ? 0 : 4 + take);
    left -= take;
    if (take < run) break;
    if (++next > (1u << size) && size < 12) ++size;
    if (next == 4000) {  // a clear code, well before the table's 4,096 entries
      put(4);
      size = 3, next = 6, run = 0;
    }
  }
  put(5);
  if (held) data += static_cast<char>(bits & 0xFF);
  std::string out = "," + Le(0, 4) + Le(width, 2) + Le(height, 2) + std::string("\0\x02", 2);
  for (std::size_t at = 0; at < data.size(); at += 255) {
    const std::string block = data.substr(at, 255);
    out += static_cast<char>(block.size()) + block;
  }
  for (int i = 0; i < padding; ++i) out += std::string("\x01\x00", 2);
  return out + std::string(1, '\0');
}
std::string Gif(std::uint32_t width, std::uint32_t height, const std::string& frames) {
  return "GIF89a" + Le(width, 2) + Le(height, 2) + std::string("\x80\0\0", 3) + std::string("\0\0\0\xff\xff\xff", 6) +
         frames + ";";
}

// A progressive JPEG of one grey 2048 x 2048 component: a DC scan, then the same
// AC scan `scans` times, each of four 16,384-block end-of-band runs. Every scan
// walks all 65,536 blocks of the picture.
std::string ProgressiveJpeg(int scans) {
  using orbisette::Be16;
  const auto table = [](char kind, char symbol) {
    return "\xFF\xC4" + Be16(20) + kind + "\1" + std::string(15, '\0') + symbol;
  };
  std::string jpeg = "\xFF\xD8\xFF\xDB" + Be16(67) + std::string(1, '\0') + std::string(64, '\1') + "\xFF\xC2" +
                     Be16(11) + "\x08" + Be16(2048) + Be16(2048) + "\x01\x01\x11" + std::string(1, '\0') +
                     table('\0', '\0') + table('\x10', '\xE0');
  // One component of tables 0, from the first to the last coefficient given, no successive approximation.
  const auto scan = [](char first, char last) {
    return "\xFF\xDA" + Be16(8) + "\x01\x01" + std::string(1, '\0') + first + last + std::string(1, '\0');
  };
  jpeg += scan('\0', '\0') + std::string(8192, '\0');
  for (int i = 0; i < scans; ++i) jpeg += scan('\x01', '\x3F') + std::string(7, '\0') + "\x0F";
  return jpeg + "\xFF\xD9";
}

// A WAV whose format chunk holds these fields (and extra after them), and whose
// data chunk declares `declared` bytes and holds `held` (zeros past the header,
// left sparse on the disk).
struct Wave {
  std::uint16_t Tag, Channels;
  std::uint32_t Rate;
  std::uint16_t Align, Bits;
  std::string Extra;
  std::uint32_t Declared;
  std::uint64_t Held;
};
void WriteWave(const std::wstring& path, const Wave& w) {
  const std::string fmt = Le(w.Tag, 2) + Le(w.Channels, 2) + Le(w.Rate, 4) + Le(std::uint64_t{w.Rate} * w.Align, 4) +
                          Le(w.Align, 2) + Le(w.Bits, 2) + w.Extra;
  const std::string head = "RIFF" + Le(std::uint64_t{w.Declared} + 20 + fmt.size(), 4) + "WAVEfmt " +
                           Le(fmt.size(), 4) + fmt + "data" + Le(w.Declared, 4);
  WriteBytes(path, head);
  const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  LARGE_INTEGER end{};
  end.QuadPart = static_cast<LONGLONG>(head.size() + w.Held);
  ::SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
  ::SetEndOfFile(file);
  ::CloseHandle(file);
}
// MS ADPCM, mono, 256-byte blocks, with this many samples per block and the seven standard coefficient pairs.
std::string MsAdpcm(std::uint32_t samplesPerBlock) {
  std::string extra = Le(32, 2) + Le(samplesPerBlock, 2) + Le(7, 2);
  for (int c : {256, 0, 512, -256, 0, 0, 192, 64, 240, 0, 460, -208, 392, -232}) extra += Le(c & 0xFFFF, 2);
  return extra;
}

// The cases measured: those whose name holds this text (all when empty).
std::string Only;
bool Chosen(const char* name) { return std::string(name).find(Only) != std::string::npos; }

// Watches one started run: to its outcome (or until escapeAtMs, when given), three seconds more, then Escape.
void Watch(const char* name, SaverProcess& run, const std::wstring& program, Clock::time_point begin, int escapeAtMs) {
  const auto ms = [&] { return std::chrono::duration<double, std::milli>(Clock::now() - begin).count(); };
  unsigned long long peakKiB = 0, cpuBefore = 0;
  std::set<HWND> boxes;
  std::size_t mostBalls = 0;
  const auto sample = [&] {
    if (const auto stats = HostStatsOf(program)) peakKiB = std::max(peakKiB, stats->ResidentKiB);
    for (const auto& box : MessageBoxesOf(run.Id())) {
      boxes.insert(box.Hwnd);
      AnswerOk(box.Hwnd);
    }
    mostBalls = std::max(mostBalls, BallWindows(run).size());
    return run.Exited();
  };
  WaitUntil([&] { return sample() || BallWindows(run).size() == 10 || (escapeAtMs && ms() >= escapeAtMs); }, 60s, 10ms);
  char outcome[96];
  const double reached = ms();
  if (escapeAtMs) {
    std::snprintf(outcome, sizeof outcome, "Escape at %d ms, %zu balls", escapeAtMs, mostBalls);
  } else if (run.Exited()) {
    std::snprintf(outcome, sizeof outcome, "gone by itself, code 0x%lX, %zu balls", run.ExitCode(), mostBalls);
  } else {
    std::snprintf(outcome, sizeof outcome, "%zu balls%s, %zu boxes", BallWindows(run).size(),
                  boxes.empty() ? "" : " (refused)", boxes.size());
  }
  double cpuPercent = 0;
  if (!escapeAtMs && !run.Exited()) {
    if (const auto stats = HostStatsOf(program)) cpuBefore = stats->CpuTicks;
    const auto held = ms();
    WaitUntil([&] { return sample(); }, 3s, 10ms);
    if (const auto stats = HostStatsOf(program))
      cpuPercent = static_cast<double>(stats->CpuTicks - cpuBefore) * 1000.0 / (ms() - held);
  }
  std::string ending = "gone before Escape";
  if (!run.Exited()) {
    const double escaped = ms();
    PressEscape();
    const bool ended = WaitUntil([&] { return sample(); }, 60s, 10ms);
    char text[64];
    std::snprintf(text, sizeof text, ended ? "%.0f ms, code %lu" : "still running after %.0f ms", ms() - escaped,
                  run.ExitCode());
    ending = text;
    ::GetAsyncKeyState(VK_ESCAPE);
  }
  std::printf("%-44s %-34s %7.0f ms %7.0f MiB %5.0f %%   %s\n", name, outcome, reached,
              static_cast<double>(peakKiB) / 1024.0, cpuPercent, ending.c_str());
  std::fflush(stdout);
}

struct PictureCase {
  const char* Name;
  std::function<std::string()> Bytes;
  int EscapeAtMs = 0;
};

void PictureFigures() {
  const std::string sixty = [] {
    std::string frames;
    for (int i = 0; i < 60; ++i) frames += GifFrame(4096, 4096, 0);
    return Gif(4096, 4096, frames);
  }();
  const PictureCase cases[] = {
      {"picture: a 16 x 16 PNG (plays)", [] { return BlankPng(16, 16); }},
      {"picture: JPEG, FF 00 hides a 16000^2 frame", [] { return HiddenJpeg(16000, 16000); }},
      {"picture: GIF of 60 frames of 4096^2", [&] { return sixty; }},
      {"picture: GIF, frame 1 padded, then 16000^2",
       [] { return Gif(16, 16, GifFrame(4, 4, 5000) + GifFrame(16000, 16000, 0)); }},
      {"picture: 16 x 16 TIFF, one 16384^2 tile", [] { return TiledTiff(16384, 16384); }},
      {"picture: progressive JPEG of 6,000 scans", [] { return ProgressiveJpeg(6000); }},
      {"picture: the same, Escape while it decodes", [] { return ProgressiveJpeg(6000); }, 1000},
      {"picture: PNG of 40,000 text chunks", [] { return ChattyPng(16, 16); }},
      {"picture: the same, Escape while it decodes", [] { return ChattyPng(16, 16); }, 1000},
  };
  for (const PictureCase& c : cases) {
    if (!Chosen(c.Name)) continue;
    AppFolder app(/*withImage=*/false);
    WriteBytes(app.File(L"Orbisette.dll"), c.Bytes());
    const auto begin = Clock::now();
    SaverProcess run(app.Program(), L"/s");
    Watch(c.Name, run, app.Program(), begin, c.EscapeAtMs);
  }
}

void WaveFigures() {
  SoundStage stage;
  if (!stage.Open() || !stage.ServerUp) {
    std::printf("music: no sound server (needs Wine with a Unix prefix and pulseaudio)\n");
    stage.Close();
    return;
  }
  const std::uint64_t gib = 1ull << 30;
  const std::pair<const char*, Wave> cases[] = {
      {"wav: PCM 16-bit stereo 384 kHz (plays)", {1, 2, 384000, 4, 16, "", 65536, 65536}},
      {"wav: PCM 16-bit stereo 400 kHz", {1, 2, 400000, 4, 16, "", 65536, 65536}},
      {"wav: PCM 16-bit stereo 768 kHz", {1, 2, 768000, 4, 16, "", 65536, 65536}},
      {"wav: MS ADPCM, 0 samples per block", {2, 1, 22050, 256, 4, MsAdpcm(0), 4096, 4096}},
      {"wav: data chunk holding 2 GiB", {1, 2, 44100, 4, 16, "", 0x80000000u, 2 * gib}},
      {"wav: data chunk holding 4 GiB", {1, 2, 44100, 4, 16, "", 0xFFFFFFD0u, 0xFFFFFFD0u}},
      {"wav: PCM 16-bit mono at 1 Hz", {1, 1, 1, 2, 16, "", 4000, 4000}},
      {"wav: mu-law mono at 1 Hz", {7, 1, 1, 1, 8, "", 4000, 4000}},
  };
  for (const auto& [name, wave] : cases) {
    if (!Chosen(name)) continue;
    AppFolder app;
    WriteWave(app.File(L"hostile.wav"), wave);
    WriteSettings(app, orbisette::BgmMusicFile, Narrow(app.File(L"hostile.wav")));
    const auto begin = Clock::now();
    MusicRun run(stage.Shell(), app, stage.Server(), "-all");
    Watch(name, run.Saver(), app.Program(), begin, 0);
  }
  stage.Close();
}

std::string FiveKeys() { return orbisette::FiveKeyLines(" 0", " 0", "", " 15", " 0"); }

void SettingsFigures() {
  const std::pair<const char*, std::string> files[] = {
      {"settings: 10 MB of empty lines", LargeSettings(false, 10 << 20, FiveKeys())},
      {"settings: 117 MB of key lines", LargeSettings(true, 117 << 20, FiveKeys())}};
  for (const auto& [name, bytes] : files) {
    if (!Chosen(name)) continue;
    AppFolder app;
    WriteBytes(app.File(L"Orbisette.ini"), bytes);
    const auto begin = Clock::now();
    SaverProcess run(app.Program(), L"/s");
    Watch(name, run, app.Program(), begin, 0);
  }
  // The dialog's save of the five keys into the large file.
  if (!Chosen("settings: the dialog's save into 117 MB")) return;
  AppFolder app;
  WriteBytes(app.File(L"Orbisette.ini"), files[1].second);
  const auto begin = Clock::now();
  OpenDialog dialog(app);
  const double opened = std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
  const bool shown = dialog.Shown();
  unsigned long long peakKiB = 0;
  const auto saving = Clock::now();
  dialog.Click(Cmd_Set);
  const bool closed = WaitUntil(
      [&] {
        if (const auto stats = HostStatsOf(app.Program())) peakKiB = std::max(peakKiB, stats->ResidentKiB);
        return !::FindWindowW(nullptr, L"<Orbisette>");
      },
      60s, 10ms);
  std::printf("%-44s dialog %s after %.0f ms; saved and %s after %.0f ms more, peak %.0f MiB\n",
              "settings: the dialog's save into 117 MB", shown ? "shown" : "not shown", opened,
              closed ? "closed" : "still open",
              std::chrono::duration<double, std::milli>(Clock::now() - saving).count(),
              static_cast<double>(peakKiB) / 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2) Only = argv[1];
  std::printf("Wine %s\n%-44s %-34s %10s %11s %7s   %s\n", WineVersion().c_str(), "case", "outcome", "reached", "peak",
              "CPU", "Escape to the end");
  PictureFigures();
  WaveFigures();
  SettingsFigures();
  return 0;
}
