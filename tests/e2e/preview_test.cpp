// The preview as the Screen Saver settings drive it: /p with the handle of a
// box in a host window, the child window the program embeds there, its picture,
// and its end with the box, the host window or the host process.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <vector>

#include "harness.h"
#include "platform/gdiplus_flat_win32.h"
#include "platform/resource_ids.h"
#include "platform/unique_handle_win32.h"
#include "preview/preview_window_win32.h"

#include <shlwapi.h>  // after <windows.h>

extern "C" orbisette::gdiplus::Status WINAPI GdipBitmapGetPixel(orbisette::gdiplus::Image* bitmap, INT x, INT y,
                                                                DWORD* argb);

namespace e2e {
namespace {

constexpr COLORREF BoxColour = RGB(255, 0, 255);  // the host's box before the preview covers it
constexpr auto AtOnce = 8000ms;                   // a Wine process start is well under a second
constexpr auto WithinASecond = 1000ms;

using Clock = std::chrono::steady_clock;
long long MsSince(Clock::time_point begin) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - begin).count();
}

// A topmost host window of the harness with a magenta preview box at (20, 20).
class HostBox {
 public:
  HostBox(int width, int height) {
    static const bool registered = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = ::DefWindowProcW;
      wc.hInstance = ::GetModuleHandleW(nullptr);
      wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
      wc.lpszClassName = L"OrbisetteE2eHost";
      ::RegisterClassW(&wc);
      wc.hbrBackground = ::CreateSolidBrush(BoxColour);
      wc.lpszClassName = L"OrbisetteE2eBox";
      return ::RegisterClassW(&wc) != 0;
    }();
    EXPECT_TRUE(registered);
    HostWindow = ::CreateWindowExW(WS_EX_TOPMOST, L"OrbisetteE2eHost", L"Preview host",
                                   WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 40, 40, width + 80, height + 100,
                                   nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    BoxWindow = ::CreateWindowExW(0, L"OrbisetteE2eBox", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 20, 20, width,
                                  height, HostWindow, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    // Painted before the preview comes.
    PumpUntil(
        [&] { return !::GetUpdateRect(HostWindow, nullptr, FALSE) && !::GetUpdateRect(BoxWindow, nullptr, FALSE); },
        1s);
  }
  HostBox(const HostBox&) = delete;
  HostBox& operator=(const HostBox&) = delete;
  ~HostBox() {
    if (::IsWindow(HostWindow)) ::DestroyWindow(HostWindow);
  }
  HWND Host() const { return HostWindow; }
  HWND Box() const { return BoxWindow; }

 private:
  HWND HostWindow = nullptr;
  HWND BoxWindow = nullptr;
};

// The box's child window that belongs to the preview's process, once it is
// shown.
HWND WaitForPreview(const SaverProcess& preview, HWND box) {
  HWND found = nullptr;
  PumpUntil(
      [&] {
        for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
          DWORD owner = 0;
          ::GetWindowThreadProcessId(child, &owner);
          if (owner == preview.Id() && ::IsWindowVisible(child)) found = child;
        }
        return found || preview.Exited();
      },
      10s);
  return found;
}

// The picture the .scr carries, decoded on a path of its own: the resource read
// from the file on disk, a shell memory stream, GDI+ pixel by pixel.
class ExpectedPicture {
 public:
  ExpectedPicture()
      : ModuleHandle(
            ::LoadLibraryExW((BuildDirectory() + L"\\Orbisette.scr").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
    const HRSRC found = ::FindResourceW(ModuleHandle, MAKEINTRESOURCEW(orbisette::PreviewPictureResource), RT_RCDATA);
    const HGLOBAL loaded = found ? ::LoadResource(ModuleHandle, found) : nullptr;
    const auto* bytes = loaded ? static_cast<const BYTE*>(::LockResource(loaded)) : nullptr;
    IStream* stream = bytes ? ::SHCreateMemStream(bytes, ::SizeofResource(ModuleHandle, found)) : nullptr;
    const auto gdiplus = orbisette::GdiplusSession::Join();
    orbisette::gdiplus::Image* bitmap = nullptr;
    UINT width = 0, height = 0;
    if (stream && gdiplus && GdipCreateBitmapFromStream(stream, &bitmap) == 0) {
      GdipGetImageWidth(bitmap, &width);
      GdipGetImageHeight(bitmap, &height);
      for (INT y = 0; y < static_cast<INT>(height); ++y) {
        for (INT x = 0; x < static_cast<INT>(width); ++x) {
          DWORD argb = 0;
          GdipBitmapGetPixel(bitmap, x, y, &argb);
          Pixels.push_back(RGB(argb >> 16 & 0xFF, argb >> 8 & 0xFF, argb & 0xFF));
        }
      }
      GdipDisposeImage(bitmap);
    }
    if (stream) stream->Release();
    Decoded = width == 152 && height == 112;
  }
  ExpectedPicture(const ExpectedPicture&) = delete;
  ExpectedPicture& operator=(const ExpectedPicture&) = delete;
  ~ExpectedPicture() {
    if (ModuleHandle) ::FreeLibrary(ModuleHandle);
  }
  bool Ok() const { return Decoded; }
  HMODULE Module() const { return ModuleHandle; }

  // How many of a w x h box's pixels differ from the picture at the top-left on
  // black, and the first of them; empty when none does.
  std::string Differences(const std::vector<COLORREF>& shown, int w, int h) const {
    if (shown.size() != static_cast<std::size_t>(w * h)) return "a capture of another size";
    int wrong = 0;
    char first[96] = "";
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const COLORREF want = x < 152 && y < 112 ? Pixels[static_cast<std::size_t>(y * 152 + x)] : RGB(0, 0, 0);
        const COLORREF got = shown[static_cast<std::size_t>(y * w + x)];
        if (got == want) continue;
        if (wrong++ == 0) std::snprintf(first, sizeof first, "first at (%d, %d): %06lx, not %06lx", x, y, got, want);
      }
    }
    return wrong ? std::to_string(wrong) + " of " + std::to_string(w * h) + " pixels differ, " + first : "";
  }

 private:
  HMODULE ModuleHandle;
  std::vector<COLORREF> Pixels;
  bool Decoded = false;
};

// What draw puts into a w x h bitmap that starts green, as COLORREF values row
// by row.
std::vector<COLORREF> Capture(int w, int h, const std::function<void(HDC)>& draw) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  const orbisette::unique_hdc dc(::CreateCompatibleDC(nullptr));
  const orbisette::unique_hbitmap bitmap(::CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bits) return std::vector<COLORREF>(static_cast<std::size_t>(w * h));
  auto* pixels = static_cast<DWORD*>(bits);
  std::fill(pixels, pixels + w * h, 0x0000FF00u);
  {
    const orbisette::unique_select_object selected(dc.get(), bitmap.get());
    draw(dc.get());
    ::GdiFlush();
  }
  std::vector<COLORREF> shown;
  for (int i = 0; i < w * h; ++i) shown.push_back(RGB(pixels[i] >> 16 & 0xFF, pixels[i] >> 8 & 0xFF, pixels[i] & 0xFF));
  return shown;
}

// The screen's pixels under a window.
std::vector<COLORREF> ScreenUnder(HWND window) {
  RECT r{};
  ::GetWindowRect(window, &r);
  return Capture(r.right - r.left, r.bottom - r.top, [&](HDC dc) {
    const orbisette::unique_hdc_window screen(nullptr);
    ::BitBlt(dc, 0, 0, r.right - r.left, r.bottom - r.top, screen.get(), r.left, r.top, SRCCOPY);
  });
}

// How the host lets the preview go.
enum class Ending {
  Box,         // destroys the box, and the preview's window with it
  HostWindow,  // destroys its whole window
  BoxAlone,    // moves the preview's window out of the box first, then destroys the box
};

struct EmbedCase {
  int Width, Height;
  const wchar_t* Prefix;  // the command line before the box's handle
  int ShownWidth, ShownHeight;
  Ending Ending;
};

class PreviewInBox : public ::testing::TestWithParam<EmbedCase> {};

TEST_P(PreviewInBox, ABorderlessChildOfTheBoxThatEndsWithIt) {
  const EmbedCase& c = GetParam();
  AppFolder app(/*withImage=*/false);
  HostBox host(c.Width, c.Height);
  SaverProcess preview(app.Program(), c.Prefix + HandleText(host.Box()));
  const HWND window = WaitForPreview(preview, host.Box());
  ASSERT_NE(window, nullptr) << "no preview window in the box";

  const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE);
  EXPECT_TRUE(style & WS_CHILD);
  EXPECT_FALSE(style & (WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_BORDER)) << std::hex << style;
  EXPECT_EQ(::GetParent(window), host.Box());
  wchar_t caption[64] = {};
  ::GetWindowTextW(window, caption, 64);
  EXPECT_STREQ(caption, L"Preview Window");
  RECT box{}, shown{};
  ::GetWindowRect(host.Box(), &box);
  ::GetWindowRect(window, &shown);
  EXPECT_EQ(shown.left, box.left);
  EXPECT_EQ(shown.top, box.top);
  EXPECT_EQ(shown.right - shown.left, c.ShownWidth);
  EXPECT_EQ(shown.bottom - shown.top, c.ShownHeight);
  // The system's own hidden windows (the input method's) aside, nothing else shows.
  const auto topLevel = preview.Windows();
  EXPECT_EQ(std::count_if(topLevel.begin(), topLevel.end(), ::IsWindowVisible), 0) << "a window outside the box";
  EXPECT_FALSE(PathExists(InstallDir)) << "the preview installs nothing";

  if (c.Ending == Ending::BoxAlone) ::SetParent(window, host.Host());
  const auto begin = Clock::now();
  ::DestroyWindow(c.Ending == Ending::HostWindow ? host.Host() : host.Box());
  ASSERT_TRUE(PumpUntil([&] { return preview.Exited(); }, WithinASecond)) << "the preview outlived its box";
  std::printf("    the preview ended %lld ms after its %s was destroyed\n", MsSince(begin),
              c.Ending == Ending::HostWindow ? "host window" : "box");
  EXPECT_EQ(preview.ExitCode(), 0u);
}

INSTANTIATE_TEST_SUITE_P(PreviewBoxes, PreviewInBox,
                         ::testing::Values(EmbedCase{152, 112, L"/p ", 152, 112, Ending::Box},
                                           EmbedCase{300, 200, L"/P:", 300, 200, Ending::HostWindow},
                                           EmbedCase{100, 80, L"/p ", 100, 80, Ending::BoxAlone},
                                           // 2200 pixels are 33000 twips: that side is 0, the other kept.
                                           EmbedCase{2200, 112, L"/p ", 0, 112, Ending::Box}));

// A host that dies takes the preview's window along, and the preview's process
// may never hear of it.
TEST(PreviewHost, ThePreviewEndsWithinASecondOfTheHostProcess) {
  AppFolder app(/*withImage=*/false);
  for (int trial = 1; trial <= 3; ++trial) {
    SaverProcess host(BuildDirectory() + L"\\orbisette_preview_host.exe", L"300 200");
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] { return (box = ::GetWindow(::FindWindowW(nullptr, L"Orbisette preview host"), GW_CHILD)) != nullptr; },
        10s))
        << "the host did not come up";
    SaverProcess preview(app.Program(), L"/p " + HandleText(box));
    ASSERT_NE(WaitForPreview(preview, box), nullptr);
    const auto begin = Clock::now();
    ::TerminateProcess(host.Handle(), 1);
    ASSERT_TRUE(preview.WaitForExit(WithinASecond)) << "trial " << trial << ": the preview outlived its host";
    std::printf("    trial %d: the preview ended %lld ms after its host process was ended\n", trial, MsSince(begin));
    EXPECT_EQ(preview.ExitCode(), 0u);
    ASSERT_TRUE(host.WaitForExit(5s));
  }
}

TEST(PreviewFaults, WithoutAWindowToShowInTheProcessEndsAtOnce) {
  AppFolder app(/*withImage=*/false);
  const HWND gone = ::CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                      ::GetModuleHandleW(nullptr), nullptr);
  ::DestroyWindow(gone);
  wchar_t desktopHex[16];  // the desktop is no host's box, in either form of its handle
  std::swprintf(desktopHex, 16, L"/p &H%llX", static_cast<unsigned long long>(::HandleToUlong(::GetDesktopWindow())));
  for (const std::wstring& arguments :
       {std::wstring(L"/p"), std::wstring(L"/p 0"), std::wstring(L"/p abc"), L"/p " + HandleText(gone),
        L"/p " + HandleText(::GetDesktopWindow()), std::wstring(desktopHex)}) {
    SCOPED_TRACE(::testing::PrintToString(arguments));
    const auto begin = Clock::now();
    SaverProcess preview(app.Program(), arguments);
    ASSERT_TRUE(preview.WaitForExit(AtOnce)) << "the preview waits for nothing";
    std::printf("    %ls ended after %lld ms\n", arguments.c_str(), MsSince(begin));
    EXPECT_EQ(preview.ExitCode(), 0u);
  }
}

TEST(PreviewFaults, ARunOrTheDialogOpenTurnsThePreviewAway) {
  for (const wchar_t* marker : {L"Orbisette_Main", L"<Orbisette>"}) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(marker)));
    AppFolder app(/*withImage=*/false);
    HostBox host(152, 112);
    MarkerWindow open(marker);
    SaverProcess preview(app.Program(), L"/p " + HandleText(host.Box()));
    ASSERT_TRUE(PumpUntil([&] { return preview.Exited(); }, AtOnce)) << "the preview stayed in the box";
  }
}

struct PictureCase {
  int Width, Height;
};

class PreviewPicture : public ::testing::TestWithParam<PictureCase> {};

// The preview window in a box of the harness's own, so that its painting
// reaches this process: printed into a bitmap (WM_PRINT, whose client part is
// WM_PRINTCLIENT) and read back from the screen (WM_PAINT), each compared pixel
// for pixel with the picture decoded here.
TEST_P(PreviewPicture, PaintedAndPrintedPixelForPixel) {
  const auto [width, height] = GetParam();
  const ExpectedPicture picture;
  ASSERT_TRUE(picture.Ok()) << "the .scr's picture could not be decoded here";
  HostBox host(width, height);
  bool ended = false;
  orbisette::PreviewWindow preview([&] { ended = true; }, picture.Module());
  ASSERT_TRUE(preview.Embed(host.Box()));
  const HWND window = preview.Handle();
  ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(window) && !::GetUpdateRect(window, nullptr, FALSE); }, 5s));

  EXPECT_EQ(picture.Differences(Capture(width, height, [&](HDC dc) { ::PrintWindow(window, dc, 0); }), width, height),
            "")
      << "printed";
  std::string differences;
  EXPECT_TRUE(PumpUntil(
      [&, width = width, height = height] {
        return (differences = picture.Differences(ScreenUnder(window), width, height)).empty();
      },
      5s))
      << "on the screen: " << differences;

  ::DestroyWindow(host.Box());
  EXPECT_TRUE(ended) << "the preview's end did not follow its window's";
}

INSTANTIATE_TEST_SUITE_P(PreviewBoxes, PreviewPicture,
                         ::testing::Values(PictureCase{152, 112}, PictureCase{300, 200}, PictureCase{100, 80},
                                           PictureCase{153, 113}));

// The same on the screen with the preview in its own process, as the Screen
// Saver settings show it. Wine 8.0 gives a window embedded from another process
// no drawable, so there the box stays the host's colour and the check stands
// aside.
TEST(PreviewOnScreen, TheHostsBoxShowsThePicture) {
  if (WineVersion().starts_with("8.")) {
    GTEST_SKIP() << "Wine " << WineVersion() << " draws no window embedded from another process (no X drawable); "
                 << "PreviewPicture.* proves the picture with the window in the harness's own box";
  }
  const ExpectedPicture picture;
  ASSERT_TRUE(picture.Ok());
  AppFolder app(/*withImage=*/false);
  HostBox host(300, 200);
  SaverProcess preview(app.Program(), L"/p " + HandleText(host.Box()));
  const HWND window = WaitForPreview(preview, host.Box());
  ASSERT_NE(window, nullptr);
  std::string differences;
  PumpUntil(
      [&] {
        differences = picture.Differences(ScreenUnder(window), 300, 200);
        return differences.empty();
      },
      10s);
  EXPECT_EQ(differences, "");
}

}  // namespace
}  // namespace e2e
