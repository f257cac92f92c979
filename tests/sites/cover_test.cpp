#include "sites/cover.h"

#include <cstdlib>

#include <gtest/gtest.h>

#include "foundation/stream.h"
#include "support/temp_dir.h"

namespace quillora {
namespace {

double MeanDifference(const TImage24& a, const TImage24& b) {
  EXPECT_EQ(a.bytes.size(), b.bytes.size());
  double sum = 0;
  for (size_t i = 0; i < std::min(a.bytes.size(), b.bytes.size()); ++i)
    sum += std::abs(static_cast<uint8_t>(a.bytes[i]) - static_cast<uint8_t>(b.bytes[i]));
  return sum / static_cast<double>(a.bytes.size());
}

TEST(CoverTest, DefaultCoverIs160By120AndDecodesBack) {
  const TImage24& image = DefaultCoverImage();
  EXPECT_EQ(image.width, 160);
  EXPECT_EQ(image.height, 120);
  const std::string& jpeg = DefaultCoverJpeg();
  ASSERT_GT(jpeg.size(), 100u);
  EXPECT_EQ(jpeg.substr(0, 2), "\xFF\xD8");
  TImage24 decoded = DecodeJpeg(jpeg);
  EXPECT_EQ(decoded.width, 160);
  EXPECT_EQ(decoded.height, 120);
  EXPECT_LT(MeanDifference(decoded, image), 4.0);
  EXPECT_EQ(EncodeJpeg(image), jpeg);  // the same bytes every time
}

TEST(CoverTest, GreyAndColourPicturesRoundTrip) {
  TImage24 image(37, 23);
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      uint8_t* p = image.Pixel(x, y);
      p[0] = static_cast<uint8_t>(x * 6), p[1] = static_cast<uint8_t>(y * 10), p[2] = 128;
    }
  TImage24 back = DecodeJpeg(EncodeJpeg(image, 95));
  EXPECT_EQ(back.width, 37);
  EXPECT_EQ(back.height, 23);
  EXPECT_LT(MeanDifference(back, image), 4.0);
}

TEST(CoverTest, BrokenDataRaisesTheDecoderError) {
  const std::string& jpeg = DefaultCoverJpeg();
  EXPECT_THROW(DecodeJpeg(""), std::runtime_error);
  EXPECT_THROW(DecodeJpeg("not a picture"), std::runtime_error);
  EXPECT_THROW(DecodeJpeg(jpeg.substr(0, 300)), std::runtime_error);
  // A frame header announcing 60000 x 60000 pixels is refused before anything is allocated.
  std::string huge = jpeg;
  const size_t sof = huge.find("\xFF\xC0");
  ASSERT_NE(sof, std::string::npos);
  huge[sof + 5] = huge[sof + 7] = static_cast<char>(0xEA);
  huge[sof + 6] = huge[sof + 8] = 0x60;
  try {
    DecodeJpeg(huge);
    FAIL() << "decoded an oversized picture";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("too large"), std::string::npos) << e.what();
  }
  EXPECT_THROW(EncodeJpeg(TImage24()), std::runtime_error);
}

TEST(CoverTest, CutKeepsTheTopLeftWithoutScaling) {
  TImage24 big(300, 200, 10, 20, 30);
  big.Pixel(159, 119)[0] = 99;
  TImage24 cut = CutImage(big);
  EXPECT_EQ(cut.width, 160);
  EXPECT_EQ(cut.height, 120);
  EXPECT_EQ(cut.Pixel(159, 119)[0], 99);
  TImage24 small(10, 5, 1, 2, 3);
  TImage24 grown = CutImage(small);
  EXPECT_EQ(grown.Pixel(9, 4)[2], 3);
  EXPECT_EQ(grown.Pixel(10, 4)[0], 255);  // beyond the source: white
  EXPECT_EQ(grown.Pixel(0, 5)[0], 255);
}

}  // namespace
}  // namespace quillora
