// What Windows reads from the file itself: the description the Screen Saver
// settings list shows, and the version information.
#include <gtest/gtest.h>

#include <vector>

#include "harness.h"

namespace e2e {
namespace {

std::wstring ScrPath() { return BuildDirectory() + L"\\Orbisette.scr"; }

TEST(Resources, DescriptionStringOne) {
  HMODULE scr = ::LoadLibraryExW(ScrPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(scr, nullptr);
  wchar_t text[64] = {};
  EXPECT_GT(::LoadStringW(scr, 1, text, 64), 0);
  EXPECT_STREQ(text, L"Orbisette");
  ::FreeLibrary(scr);
}

TEST(Resources, ProductNameAndVersion) {
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(ScrPath().c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> block(size);
  ASSERT_TRUE(::GetFileVersionInfoW(ScrPath().c_str(), 0, size, block.data()));
  auto query = [&](const wchar_t* name) {
    wchar_t* value = nullptr;
    UINT length = 0;
    std::wstring path = std::wstring(L"\\StringFileInfo\\041104B0\\") + name;
    if (!::VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length)) return std::wstring();
    return std::wstring(value);
  };
  EXPECT_EQ(query(L"ProductName"), L"Orbisette (ScreenSaver)");
  EXPECT_EQ(query(L"ProductVersion"), L"1.00");
  EXPECT_EQ(query(L"FileVersion"), L"1.00");
}

}  // namespace
}  // namespace e2e
