#include "foundation/bzip2_stream.h"

#include <string>

#include <gtest/gtest.h>

#include "foundation/job.h"

namespace quillora {
namespace {

using K = TBzip2Error::TKind;

std::string Packed(const std::string& data) {
  TJob job(TJob::TProgressTarget::None);
  return Bzip2Compress(data, 9, job).value();
}

// The kind of error decoding `in` with `limit` raises; none when it decodes.
std::optional<K> DecodeError(std::string_view in, size_t limit) {
  try {
    Bzip2Decompress(in, limit);
    return std::nullopt;
  } catch (const TBzip2Error& e) {
    return e.Kind();
  }
}

TEST(Bzip2Stream, RoundTripsAcrossPiecesAndIgnoresWhatFollowsTheStream) {
  // More than one 1 MiB piece, with a tail that does not fill a block.
  std::string data;
  for (int i = 0; data.size() < (size_t{5} << 19); ++i)
    data += "line " + std::to_string(i) + "\r\n";
  const std::string packed = Packed(data);
  EXPECT_EQ(packed.substr(0, 4), "BZh9");
  EXPECT_EQ(Bzip2Decompress(packed, data.size()), data);
  EXPECT_EQ(Bzip2Decompress(packed + "trailing bytes", data.size()), data);
  EXPECT_EQ(Bzip2Decompress(Packed(""), 0), "");
}

TEST(Bzip2Stream, LimitAndDamageAreTheirOwnErrors) {
  const std::string data(100000, 'x');
  const std::string packed = Packed(data);
  EXPECT_EQ(DecodeError(packed, data.size()), std::nullopt);
  EXPECT_EQ(DecodeError(packed, data.size() - 1), K::OutputTooLarge);
  EXPECT_EQ(DecodeError(packed.substr(0, packed.size() - 10), data.size()), K::CutShort);
  EXPECT_EQ(DecodeError("", 10), K::CutShort);
  std::string broken = packed;
  broken[20] = static_cast<char>(broken[20] ^ 0x55);
  EXPECT_EQ(DecodeError(broken, data.size()), K::Damaged);
  EXPECT_EQ(DecodeError("not bzip2 at all", 10), K::Damaged);
  try {
    Bzip2Decompress("not bzip2 at all", 10);
  } catch (const TBzip2Error& e) {
    EXPECT_EQ(e.Code(), -5);  // BZ_DATA_ERROR_MAGIC
    EXPECT_EQ(std::string(e.what()), "bzip2 error -5");
  }
}

TEST(Bzip2Stream, AStoppedJobGetsNothing) {
  TJob job(TJob::TProgressTarget::None);
  job.RequestStop();
  EXPECT_EQ(Bzip2Compress("some data", 9, job), std::nullopt);
}

}  // namespace
}  // namespace quillora
