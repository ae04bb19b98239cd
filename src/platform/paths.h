// Path text rules shared by the start-up and the file checks. Portable.
#pragma once

#include <string>
#include <string_view>

namespace orbisette {

// The directory of a program file: everything before the last backslash, kept
// as "C:\" at the root of a drive.
std::wstring DirectoryOf(std::wstring_view programPath);

// dir + "\" + name, without doubling a backslash that dir already ends with.
std::wstring JoinPath(std::wstring_view dir, std::wstring_view name);

// path without one trailing backslash.
std::wstring WithoutTrailingBackslash(std::wstring_view path);

}  // namespace orbisette
