// The core must build without the Win32 headers: only files named *_win32.* may
// include them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

TEST(Portability, NoCoreFileIncludesWindowsHeaders) {
  const std::filesystem::path src = std::filesystem::path(ORBISETTE_SOURCE_DIR) / "src";
  int coreFiles = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(src)) {
    if (!entry.is_regular_file()) continue;
    const std::string name = entry.path().filename().string();
    if (name.find("_win32") != std::string::npos) continue;
    const std::string ext = entry.path().extension().string();
    if (ext != ".cpp" && ext != ".h") continue;
    ++coreFiles;
    std::ifstream in(entry.path());
    std::string line;
    while (std::getline(in, line)) {
      const std::size_t hash = line.find_first_not_of(" \t");
      if (hash == std::string::npos || line.compare(hash, 8, "#include") != 0) continue;
      for (const char* header : {"windows.h", "Windows.h", "gdiplus", "mmsystem.h", "winuser.h", "shellapi.h"}) {
        EXPECT_EQ(line.find(header), std::string::npos) << entry.path() << ": " << line;
      }
    }
  }
  EXPECT_GT(coreFiles, 0);
}

}  // namespace
