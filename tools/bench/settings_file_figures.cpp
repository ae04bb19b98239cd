// Memory and time of one settings load and one five-key save over a large
// settings file, in memory: prints the resident peak before and after, and the
// growth as a multiple of the file's size. Judges nothing.
//
//   settings_file_figures load|save empty|keys MEGABYTES
//
// "empty" is a file of empty CRLF lines with the section at its end; "keys" a
// section of short key lines ("k123=1") with the five keys at its end.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "../../tests/unit/memory_store.h"
#include "large_settings.h"
#include "settings/settings.h"

namespace {

double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

std::string LargeFile(const std::string& shape, std::size_t bytes) {
  std::string keys;
  for (std::string_view key : {orbisette::KeyBgmKind, orbisette::KeyMoveSpeed, orbisette::KeyRebound})
    keys.append(key).append("= 1\r\n");
  return LargeSettings(shape == "keys", bytes, keys);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s load|save empty|keys MEGABYTES\n", argv[0]);
    return 2;
  }
  const std::string mode = argv[1];
  const std::size_t size = std::strtoul(argv[3], nullptr, 10) << 20;
  orbisette::MemoryStore store;
  store.Files["Orbisette.ini"] = LargeFile(argv[2], size);
  store.Codec().ToUtf16(orbisette::TextEncoding::Ansi, "\x88\xDA");  // the code page's tables, built first
  const double before = PeakMegabytes();
  const auto start = std::chrono::steady_clock::now();
  orbisette::Settings settings;
  bool ok = true;
  if (mode == "load") {
    orbisette::LoadSettings(settings, {orbisette::IniSectionReader(store, orbisette::SettingsSection, "Orbisette.ini",
                                                                   orbisette::SettingsKeys),
                                       [](const std::string&) { return true; }, '.'});
  } else {
    const orbisette::ProfileEntry entries[] = {{orbisette::KeyBgmKind, " 0"},
                                               {orbisette::KeyBgmRepeat, " 0"},
                                               {orbisette::KeyBgmFile, ""},
                                               {orbisette::KeyMoveSpeed, " 30"},
                                               {orbisette::KeyRebound, " 0"}};
    ok = orbisette::WriteIniValues(store, orbisette::SettingsSection, entries, "Orbisette.ini");
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double after = PeakMegabytes();
  const double megabytes = static_cast<double>(store.Files["Orbisette.ini"].size()) / (1 << 20);
  std::printf("%s %s %.1f MB: %.2f s, peak %.0f MB before, %.0f MB after, growth %.2f x the file (%s, speed %.0f)\n",
              mode.c_str(), argv[2], megabytes, seconds, before, after, (after - before) / megabytes,
              ok ? "ok" : "failed", static_cast<double>(settings.MoveSpeed));
}
