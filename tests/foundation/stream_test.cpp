#include "foundation/stream.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace quillora {
namespace {

TEST(Stream, SizedAndShortStringLayouts) {
  TMemoryStream s;
  WriteSizedInt(s, -2);
  WriteSized8(s, 0x01020304, 0x05060708);
  WriteShortStr(s, "ab");
  WriteShortStr(s, "");
  EXPECT_EQ(s.Data(), std::string("\x04\x00\xFE\xFF\xFF\xFF"
                                  "\x08\x00\x04\x03\x02\x01\x08\x07\x06\x05"
                                  "\x02\x00"
                                  "ab"
                                  "\x00\x00",
                                  22));
  s.Rewind();
  EXPECT_EQ(ReadSizedInt(s), -2);
  uint32_t words[2];
  EXPECT_EQ(ReadSized(s, words, sizeof words), 8);
  EXPECT_EQ(words[0], 0x01020304u);
  EXPECT_EQ(ReadShortStr(s), "ab");
  EXPECT_EQ(ReadShortStr(s), "");
  EXPECT_THROW(WriteShortStr(s, std::string(70000, 'x')), std::length_error);
}

TEST(Stream, ReadSizedNeverWritesPastTheDestination) {
  TMemoryStream s(
      std::string("\x08\x00"
                  "12345678"
                  "\x02\x00"
                  "xy",
                  14));
  char dest[4] = {'.', '.', '.', '.'};
  EXPECT_EQ(ReadSized(s, dest, sizeof dest), 8);
  EXPECT_EQ(std::string(dest, 4), "1234");
  EXPECT_EQ(s.Position(), 10);  // the rest of the field is skipped
  char wide[4] = {'.', '.', '.', '.'};
  ReadSized(s, wide, sizeof wide);
  EXPECT_EQ(std::string(wide, 4), "xy..");
}

TEST(Stream, BlobEmptiesItsSourceAndRewindsItsTarget) {
  TMemoryStream out, buffer("payload");
  WriteBlob(out, buffer);
  EXPECT_EQ(buffer.Size(), 0);
  out.Rewind();
  TMemoryStream in;
  ReadBlob(out, in);
  EXPECT_EQ(in.Position(), 0);
  EXPECT_EQ(in.Data(), "payload");
}

TEST(Stream, FileStreamsAndMissingFiles) {
  test::TempDir dir;
  StringToFile(dir / "a.bin", std::string("x\0y", 3));
  EXPECT_EQ(FileToString(dir / "a.bin"), std::string("x\0y", 3));
  EXPECT_THROW(FileToString(dir / "missing"), std::runtime_error);
  EXPECT_THROW(StringToFile(dir / "no/such/folder/f", "x"), std::runtime_error);
}

}  // namespace
}  // namespace quillora
