// A FileStore that keeps its files in memory and fails where a test asks: the
// disk fills after some bytes, the replacing rename is refused, one file cannot
// be read, or some files cannot be removed. Its text conversions are code page
// 932 and UTF-8, as on a Japanese system.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "cp932_test_codec.h"
#include "settings/profile_file.h"

namespace orbisette {

class MemoryStore : public FileStore {
 public:
  std::map<std::filesystem::path, std::string> Files;
  std::set<std::filesystem::path> ReadOnly;  // read-only files: they can still be removed
  std::set<std::filesystem::path> Stuck;     // files that cannot be written or removed
  std::optional<std::filesystem::path> Unreadable;
  std::size_t WriteLimit = std::string::npos;  // bytes written before the "disk" is full
  bool ReplaceFails = false;
  std::uint32_t Pid = 4242;
  std::vector<std::filesystem::path> Written;  // every file written, in order
  int Reads = 0;                               // every read, counted

  ReadResult Read(const std::filesystem::path& file) override {
    ++Reads;
    if (Unreadable == file) return {ReadStatus::Failed, {}};
    auto it = Files.find(file);
    if (it == Files.end()) return {ReadStatus::Missing, {}};
    return {ReadStatus::Ok, it->second, ReadOnly.count(file) != 0};
  }
  bool WriteAll(const std::filesystem::path& file, std::string_view bytes) override {
    Written.push_back(file);
    if (Stuck.count(file) != 0 || ReadOnly.count(file) != 0) return false;
    Files[file] = std::string(bytes.substr(0, WriteLimit));
    return bytes.size() <= WriteLimit;
  }
  bool Replace(const std::filesystem::path& source, const std::filesystem::path& target) override {
    if (ReplaceFails) return false;
    Files[target] = Files[source];
    Files.erase(source);
    return true;
  }
  void Remove(const std::filesystem::path& file) override {
    if (Stuck.count(file) != 0) return;
    Files.erase(file);
    ReadOnly.erase(file);
  }
  // Patterns "<prefix>*<suffix>" in one folder.
  std::vector<std::filesystem::path> Find(const std::filesystem::path& pattern) override {
    const std::string name = pattern.filename().string();
    const std::string prefix = name.substr(0, name.find('*'));
    const std::string suffix = name.substr(name.find('*') + 1);
    std::vector<std::filesystem::path> found;
    for (const auto& [path, bytes] : Files) {
      const std::string candidate = path.filename().string();
      if (path.parent_path() == pattern.parent_path() && candidate.size() >= prefix.size() + suffix.size() &&
          candidate.starts_with(prefix) && candidate.ends_with(suffix)) {
        found.push_back(path);
      }
    }
    return found;
  }
  std::uint32_t ProcessId() const override { return Pid; }
  const TextCodec& Codec() const override { return Text; }

 private:
  Cp932TestCodec Text;
};

}  // namespace orbisette
