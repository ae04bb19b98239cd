#include "platform/paths.h"

namespace orbisette {

std::wstring DirectoryOf(std::wstring_view programPath) {
  const std::size_t slash = programPath.find_last_of(L"\\/");
  if (slash == std::wstring_view::npos) return {};
  std::wstring dir(programPath.substr(0, slash));
  if (dir.size() == 2 && dir[1] == L':') dir += L'\\';
  return dir;
}

std::wstring JoinPath(std::wstring_view dir, std::wstring_view name) {
  std::wstring out(dir);
  if (!out.empty() && out.back() != L'\\' && out.back() != L'/') out += L'\\';
  out += name;
  return out;
}

std::wstring WithoutTrailingBackslash(std::wstring_view path) {
  if (!path.empty() && path.back() == L'\\') path.remove_suffix(1);
  return std::wstring(path);
}

}  // namespace orbisette
