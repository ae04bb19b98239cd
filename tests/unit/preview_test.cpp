// The preview's decisions: whether it starts, the form's size from the host's
// box, how the picture sits in it, and the picture the .scr carries.
#include "preview/preview.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "startup/command_line.h"

namespace orbisette {
namespace {

TEST(Preview, StartsOnlyForAHandleThatNamesAWindow) {
  struct Case {
    const wchar_t* Args;
    bool IsWindow;
    PreviewStart Start;
  };
  for (const Case& c :
       {Case{L"/p", false, PreviewStart::EndAtOnce}, Case{L"/p 0", true, PreviewStart::EndAtOnce},
        Case{L"/p abc", true, PreviewStart::EndAtOnce}, Case{L"/p 1234", false, PreviewStart::EndAtOnce},
        Case{L"/p 1234", true, PreviewStart::Embed}, Case{L"/P:-7", true, PreviewStart::Embed}}) {
    EXPECT_EQ(DecidePreviewStart(PreviewHostHandle(c.Args), c.IsWindow), c.Start) << c.Args << " " << c.IsWindow;
  }
}

TEST(Preview, FormSizeInTwipsAndPixelsPerAxis) {
  struct Case {
    PixelRect Host;
    TwipsPerPixel PerPixel;
    PreviewTwips Twips;
    PixelSize Pixels;
  };
  const Case cases[] = {
      {{100, 200, 252, 312}, {15, 15}, {2280, 1680}, {152, 112}},
      {{-1000, -500, -848, -388}, {15, 15}, {2280, 1680}, {152, 112}},
      {{10, 20, 310, 220}, {15, 12}, {4500, 2400}, {300, 200}},
      {{0, 0, 101, 103}, {7.5, 7.5}, {758, 772}, {101, 103}},  // 757.5 and 772.5 go to even
      {{0, 0, 2185, 100}, {15, 15}, {0, 1500}, {0, 100}},      // 32775 twips wide
      {{0, 0, 100, 2185}, {15, 15}, {1500, 0}, {100, 0}},
      {{0, 0, 32767, 32768}, {1, 1}, {32767, 0}, {32767, 0}},
      {{0, 0, 32768, 32767}, {1, 1}, {0, 32767}, {0, 32767}},
      {{0, 0, 4369, 4368}, {7.5, 7.5}, {0, 32760}, {0, 4368}},  // 32767.5 rounds up, past the limit
      {{0, 0, 3000, 3000}, {15, 15}, {0, 0}, {0, 0}},
      {{0, 0, 0, 0}, {15, 15}, {0, 0}, {0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Host.Right - c.Host.Left << "x" << c.Host.Bottom - c.Host.Top);
    const PreviewTwips twips = PreviewSizeTwips(c.Host, c.PerPixel);
    EXPECT_EQ(twips.Width, c.Twips.Width);
    EXPECT_EQ(twips.Height, c.Twips.Height);
    EXPECT_EQ(PreviewSizePixels(twips, c.PerPixel), c.Pixels);
  }
}

TEST(Preview, PictureAtItsOwnSizeOnBlack) {
  struct Case {
    PixelSize Box;
    PreviewPaint Paint;
  };
  const Case cases[] = {
      {{152, 112}, {{0, 0, 152, 112}, {}, {}}},
      {{300, 200}, {{0, 0, 152, 112}, {152, 0, 300, 200}, {0, 112, 152, 200}}},
      {{153, 113}, {{0, 0, 152, 112}, {152, 0, 153, 113}, {0, 112, 152, 113}}},
      {{100, 80}, {{0, 0, 100, 80}, {}, {}}},
      {{200, 80}, {{0, 0, 152, 80}, {152, 0, 200, 80}, {}}},
      {{100, 150}, {{0, 0, 100, 112}, {}, {0, 112, 100, 150}}},
      {{0, 0}, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PreviewPaintFor(c.Box), c.Paint) << c.Box.Width << "x" << c.Box.Height;
  }
}

// The picture the .scr carries: a baseline JFIF JPEG of 152 x 112 with three components.
TEST(Preview, PictureAssetIsABaselineJfifOf152By112) {
  std::ifstream in(ORBISETTE_SOURCE_DIR "/assets/preview.jpg", std::ios::binary);
  const std::vector<unsigned char> b{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ASSERT_GT(b.size(), 20u);
  EXPECT_EQ(b[0] << 8 | b[1], 0xFFD8);                                              // start of image
  EXPECT_EQ(std::string(b.begin() + 6, b.begin() + 11), std::string("JFIF\0", 5));  // APP0 first
  std::size_t at = 2;
  while (at + 9 < b.size() && b[at] == 0xFF && b[at + 1] != 0xC0 && b[at + 1] != 0xDA) {
    EXPECT_FALSE(b[at + 1] >= 0xC1 && b[at + 1] <= 0xCF && b[at + 1] != 0xC4 && b[at + 1] != 0xCC)
        << "a frame other than baseline";
    at += 2 + static_cast<std::size_t>(b[at + 2] << 8 | b[at + 3]);
  }
  ASSERT_LT(at + 9, b.size());
  ASSERT_EQ(b[at + 1], 0xC0) << "no baseline frame before the scan";
  EXPECT_EQ(b[at + 4], 8);                     // bits per sample
  EXPECT_EQ(b[at + 5] << 8 | b[at + 6], 112);  // height
  EXPECT_EQ(b[at + 7] << 8 | b[at + 8], 152);  // width
  EXPECT_EQ(b[at + 9], 3);                     // components
}

}  // namespace
}  // namespace orbisette
