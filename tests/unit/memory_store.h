// A FileStore that keeps its files in memory and fails where a test asks: the
// disk fills after some bytes, the replacing rename is refused, or one file
// cannot be read.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "settings/profile_file.h"

namespace orbisette {

class MemoryStore : public FileStore {
 public:
  std::map<std::filesystem::path, std::string> Files;
  std::optional<std::filesystem::path> Unreadable;
  std::size_t WriteLimit = std::string::npos;  // bytes written before the "disk" is full
  bool ReplaceFails = false;

  ReadResult Read(const std::filesystem::path& file) override {
    if (Unreadable == file) return {ReadStatus::Failed, {}};
    auto it = Files.find(file);
    if (it == Files.end()) return {ReadStatus::Missing, {}};
    return {ReadStatus::Ok, it->second};
  }
  bool WriteAll(const std::filesystem::path& file, std::string_view bytes) override {
    Files[file] = std::string(bytes.substr(0, WriteLimit));
    return bytes.size() <= WriteLimit;
  }
  bool Replace(const std::filesystem::path& source, const std::filesystem::path& target) override {
    if (ReplaceFails) return false;
    Files[target] = Files[source];
    Files.erase(source);
    return true;
  }
  void Remove(const std::filesystem::path& file) override { Files.erase(file); }
};

}  // namespace orbisette
