// The preview's decisions: whether it starts, the form's size from the host's
// box, and how the picture sits in it.
#include "startup/preview.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "startup/command_line.h"

namespace orbisette {
namespace {

TEST(Preview, StartsOnlyForAHandleThatNamesAWindow) {
  struct Case {
    const wchar_t* args;
    bool isWindow;
    PreviewStart start;
  };
  for (const Case& c :
       {Case{L"/p", false, PreviewStart::EndAtOnce}, Case{L"/p 0", true, PreviewStart::EndAtOnce},
        Case{L"/p abc", true, PreviewStart::EndAtOnce}, Case{L"/p 1234", false, PreviewStart::EndAtOnce},
        Case{L"/p 1234", true, PreviewStart::Embed}, Case{L"/P:-7", true, PreviewStart::Embed}}) {
    EXPECT_EQ(DecidePreviewStart(PreviewHostHandle(c.args), c.isWindow), c.start) << c.args << " " << c.isWindow;
  }
}

TEST(Preview, FormSizeInTwipsAndPixelsPerAxis) {
  struct Case {
    PixelRect host;
    TwipsPerPixel perPixel;
    PreviewTwips twips;
    PixelSize pixels;
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
    SCOPED_TRACE(testing::Message() << c.host.Right - c.host.Left << "x" << c.host.Bottom - c.host.Top);
    const PreviewTwips twips = PreviewSizeTwips(c.host, c.perPixel);
    EXPECT_EQ(twips.Width, c.twips.Width);
    EXPECT_EQ(twips.Height, c.twips.Height);
    EXPECT_EQ(PreviewSizePixels(twips, c.perPixel), c.pixels);
  }
}

TEST(Preview, PictureAtItsOwnSizeOnBlack) {
  struct Case {
    PixelSize box;
    PreviewPaint paint;
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
    EXPECT_EQ(PreviewPaintFor(c.box), c.paint) << c.box.Width << "x" << c.box.Height;
  }
}

}  // namespace
}  // namespace orbisette
