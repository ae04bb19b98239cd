// Ball images far larger than a 147-pixel ball window: the run turns them away
// as pictures that cannot be loaded, with each window's own message, at once and
// without the memory their pixels would take; a picture at the size limit still
// shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <thread>

#include "file_bytes.h"
#include "harness.h"

namespace e2e {
namespace {

using Clock = std::chrono::steady_clock;

// The run's visible windows other than its message boxes.
std::vector<HWND> BallWindows(const SaverProcess& run) {
  std::vector<HWND> balls;
  for (HWND hwnd : run.Windows()) {
    wchar_t cls[16] = {};
    ::GetClassNameW(hwnd, cls, 16);
    if (::IsWindowVisible(hwnd) && std::wstring(cls) != L"#32770") balls.push_back(hwnd);
  }
  return balls;
}

using orbisette::Be16;
using orbisette::Le;

// A BMP: its 32-bit pixels when small, else an 8-bit run-length picture of one end-of-bitmap code.
std::string Bmp(std::uint32_t width, std::uint32_t height) {
  const bool rle = width > 64;
  const std::string pixels =
      rle ? std::string(1024, '\0') + std::string("\0\1", 2) : std::string(width * height * 4, 0);
  return "BM" + Le(54 + static_cast<std::uint32_t>(pixels.size()), 4) + Le(0, 4) + Le(rle ? 1078 : 54, 4) + Le(40, 4) +
         Le(width, 4) + Le(height, 4) + Le(1, 2) + Le(rle ? 8 : 32, 2) + Le(rle, 4) + Le(rle ? 2 : 0, 4) + Le(0, 16) +
         pixels;
}
// A baseline JPEG of one grey component whose one scan is a single block.
std::string Jpeg(std::uint32_t width, std::uint32_t height) {
  const std::string table = Be16(20) + std::string(1, '\0') + "\1" + std::string(15, '\0') + std::string(1, '\0');
  return "\xFF\xD8\xFF\xDB" + Be16(67) + std::string(1, '\0') + std::string(64, '\1') + "\xFF\xC0" + Be16(11) + "\x08" +
         Be16(height) + Be16(width) + "\x01\x01\x11" + std::string(1, '\0') + "\xFF\xC4" + table + "\xFF\xC4" +
         table.substr(0, 2) + "\x10" + table.substr(3) + "\xFF\xDA" + Be16(8) + "\x01\x01" + std::string(2, '\0') +
         "\x3F" + std::string(5, '\0') + "\xFF\xD9";
}

// The JPEG with 0xFF 0x00 before its frame: a walk that reads the pair as a
// segment jumps over the frame into a comment that holds a 16 x 16 one.
std::string HiddenJpeg(std::uint32_t width, std::uint32_t height) {
  std::string jpeg = Jpeg(width, height);
  const std::size_t frame = jpeg.find("\xFF\xC0");
  jpeg.insert(frame + 13, "\xFF\xFE" + Be16(15) + Jpeg(16, 16).substr(frame, 13));
  // Built by appending: GCC 12 warns falsely (-Wrestrict) on a literal + a string here.
  return jpeg.insert(frame, std::string("\xFF\0", 2).append(Be16(19)));
}
// A 16 x 16 TIFF stored as one tile of width x height.
std::string TiledTiff(std::uint32_t width, std::uint32_t height) {
  const std::vector<std::pair<int, std::uint32_t>> page = {{256, 16},    {257, 16},     {258, 8},   {259, 1},  {262, 1},
                                                           {322, width}, {323, height}, {324, 122}, {325, 256}};
  return orbisette::Tiff(true, {page}) + std::string(256, '\x80');
}

// A PNG with 40,000 text chunks after its header: a decode of minutes under Wine.
std::string ChattyPng(std::uint32_t width, std::uint32_t height) {
  const std::string blank = BlankPng(width, height);
  std::string png = blank.substr(0, 33);  // the signature and the header chunk
  for (int i = 0; i < 40000; ++i) PutChunk(png, "tEXt", std::string("Comment\0", 8) + std::to_string(i));
  return png + blank.substr(33);
}

struct BigCase {
  std::uint32_t Width, Height;
  bool Refused;
  std::string (*File)(std::uint32_t, std::uint32_t) = BlankPng;
  const char* Format = "png";
};

class BigImage : public ::testing::TestWithParam<BigCase> {};

TEST_P(BigImage, TurnedAwayAtOnceWithEachWindowsMessage) {
  const auto [width, height, refused, file, format] = GetParam();
  AppFolder app(/*withImage=*/false);
  WriteBytes(app.File(L"Orbisette.dll"), file(width, height));
  const auto begin = Clock::now();
  SaverProcess run(app.Program(), L"/s");
  ASSERT_TRUE(run.Started());

  int boxes = 0;
  std::set<HWND> answered;  // a box slow to go is seen again, not counted again
  unsigned long long peakKiB = 0;
  auto shown = [&] { return BallWindows(run).size() == 10; };
  // Generous, so that a slow decode still gives its figure rather than a timeout.
  WaitUntil(
      [&, refused = refused] {  // a copy: clang 14 cannot capture a structured binding
        if (const auto stats = HostStatsOf(app.Program())) peakKiB = std::max(peakKiB, stats->ResidentKiB);
        for (const auto& box : MessageBoxesOf(run.Id())) {
          EXPECT_EQ(box.Text, L"イメージの取得に失敗しました2");
          AnswerOk(box.Hwnd);
          EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(box.Hwnd); }, 5s)) << "the box stayed";
          if (answered.insert(box.Hwnd).second) ++boxes;
        }
        return (refused ? boxes >= 10 : shown()) || run.Exited();
      },
      120s, 10ms);
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - begin);
  std::printf("    %s %ux%u: %d boxes, ten windows after %lld ms, resident memory peak %llu KiB\n", format, width,
              height, boxes, static_cast<long long>(took.count()), peakKiB);
  EXPECT_EQ(boxes, refused ? 10 : 0);
  EXPECT_LT(took, 10s);
  // A refused picture is never decoded, not even in part.
  EXPECT_LT(peakKiB, (refused ? 100u : 400u) * 1024) << "the picture's pixels were decoded";

  ASSERT_TRUE(WaitUntil([&] { return shown(); }, 10s)) << "the run did not go on";
  for (HWND hwnd : BallWindows(run)) {
    EXPECT_EQ((::GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED) != 0, !refused);
  }
  PressEscape();
  ASSERT_TRUE(run.WaitForExit(3s)) << "Escape did not end the run";
  EXPECT_EQ(run.ExitCode(), 0u);
  ::GetAsyncKeyState(VK_ESCAPE);  // read back, so that the next run does not see it
}

// 16000 x 16000 is a gigabyte of pixels in a file of about a megabyte; a JPEG or BMP declares one in a few hundred
// bytes.
INSTANTIATE_TEST_SUITE_P(Sizes, BigImage,
                         ::testing::Values(BigCase{16000, 16000, true}, BigCase{4097, 4096, true},
                                           BigCase{4096, 4096, false}, BigCase{65500, 65500, true, Jpeg, "jpeg"},
                                           BigCase{30000, 30000, true, Bmp, "bmp"}, BigCase{16, 16, false, Bmp, "bmp"},
                                           BigCase{16000, 16000, true, HiddenJpeg, "hiddenjpeg"},
                                           BigCase{16384, 16384, true, TiledTiff, "tifftile"},
                                           BigCase{16, 16, true, ChattyPng, "chattypng"}),
                         [](const auto& row) {
                           return std::string(row.param.Format) + std::to_string(row.param.Width) + "x" +
                                  std::to_string(row.param.Height);
                         });

TEST(SlowImage, EscapeEndsTheRunWhileThePictureDecodes) {
  AppFolder app(/*withImage=*/false);
  WriteBytes(app.File(L"Orbisette.dll"), ChattyPng(16, 16));
  SaverProcess run(app.Program(), L"/s");
  std::this_thread::sleep_for(1s);  // well into the decode
  PressEscape();
  ASSERT_TRUE(run.WaitForExit(2s)) << "Escape did not end the run";
  ::GetAsyncKeyState(VK_ESCAPE);
}

}  // namespace
}  // namespace e2e
