// Ball images far larger than a 147-pixel ball window: the run turns them away
// as pictures that cannot be loaded, with each window's own message, at once and
// without the memory their pixels would take; a picture at the size limit still
// shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <thread>

#include "harness.h"
#include "hostile_files.h"

namespace e2e {
namespace {

using Clock = std::chrono::steady_clock;

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
