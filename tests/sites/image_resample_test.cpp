#include "sites/image_resample.h"

#include <gtest/gtest.h>

namespace quillora {
namespace {

// The screenshot's 640 x 480 to the cover's 160 x 120, on pictures whose right answer is known.
TEST(ImageResample, ShrinksAScreenshotToTheCoverSize) {
  // A flat colour stays exactly that colour everywhere, borders included (the weights add up).
  const TImage24 flat = ResampleLanczos(TImage24(640, 480, 10, 200, 90), 160, 120);
  ASSERT_EQ(flat.width, 160);
  ASSERT_EQ(flat.height, 120);
  ASSERT_EQ(flat.bytes.size(), 160u * 120 * 3);
  for (int y = 0; y < 120; y += 7)
    for (int x = 0; x < 160; x += 7) {
      const uint8_t* p = flat.Pixel(x, y);
      ASSERT_EQ(int(p[0]), 10);
      ASSERT_EQ(int(p[1]), 200);
      ASSERT_EQ(int(p[2]), 90);
    }

  // Left half red, right half blue: pure away from the edge, a blend next to it.
  TImage24 halves(640, 480, 255, 0, 0);
  for (int y = 0; y < 480; ++y)
    for (int x = 320; x < 640; ++x) halves.Pixel(x, y)[0] = 0, halves.Pixel(x, y)[2] = 255;
  const TImage24 small = ResampleLanczos(halves, 160, 120);
  EXPECT_EQ(int(small.Pixel(20, 60)[0]), 255);
  EXPECT_EQ(int(small.Pixel(20, 60)[2]), 0);
  EXPECT_EQ(int(small.Pixel(140, 60)[0]), 0);
  EXPECT_EQ(int(small.Pixel(140, 60)[2]), 255);
  EXPECT_GT(int(small.Pixel(79, 60)[0]), int(small.Pixel(80, 60)[0]));
  EXPECT_LT(int(small.Pixel(79, 60)[2]), int(small.Pixel(80, 60)[2]));
}

// One-pixel stripes must average out to grey when shrunk four times; a filter that samples
// instead of integrating would show pure black or white bands.
TEST(ImageResample, AveragesDetailFinerThanThePixelsLeft) {
  TImage24 stripes(64, 48);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; x += 2) {
      uint8_t* p = stripes.Pixel(x, y);
      p[0] = p[1] = p[2] = 255;
    }
  const TImage24 small = ResampleLanczos(stripes, 16, 12);
  for (int x = 2; x < 14; ++x) EXPECT_NEAR(int(small.Pixel(x, 6)[1]), 128, 8) << "x " << x;
}

TEST(ImageResample, EmptyInputOrSizeGivesAnEmptyPicture) {
  EXPECT_TRUE(ResampleLanczos(TImage24(), 160, 120).Empty());
  EXPECT_TRUE(ResampleLanczos(TImage24(4, 4), 0, 120).Empty());
  // Enlarging works too (the screenshot may be smaller than asked on a tiny page).
  const TImage24 big = ResampleLanczos(TImage24(2, 2, 50, 50, 50), 8, 8);
  EXPECT_EQ(big.width, 8);
  EXPECT_EQ(int(big.Pixel(7, 7)[0]), 50);
}

}  // namespace
}  // namespace quillora
