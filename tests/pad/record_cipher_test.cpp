#include "pad/record_cipher.h"

#include <gtest/gtest.h>

#include "foundation/encoding.h"

namespace quillora {
namespace {

// The constants are the file format: these bytes must never change.
TEST(RecordCipher, KnownBytesPinTheConstants) {
  EXPECT_EQ(CipherInitialState(), 34624);
  EXPECT_EQ(HexEncode(EncryptText("secret")), "F4D1047E58D9");
  EXPECT_EQ(HexEncode(EncryptText("Demo-Pass-2024")), "C3F9D720919BAEC8C532832B4E71");
}

TEST(RecordCipher, RoundTripKeepsEveryValue) {
  std::string all_bytes;
  for (int b = 0; b < 256; ++b) all_bytes += static_cast<char>(b);
  for (const std::string& value : {std::string(), std::string("a"), std::string("p@ss w%rd"),
                                   all_bytes, std::string(1000, 'x')}) {
    std::string cipher = EncryptText(value);
    EXPECT_EQ(cipher.size(), value.size());
    EXPECT_EQ(DecryptText(cipher), value);
  }
  // Each value starts from the same state, so equal texts give equal bytes.
  EXPECT_EQ(EncryptText("abc"), EncryptText("abc"));
  EXPECT_NE(EncryptText("abc"), "abc");
}

}  // namespace
}  // namespace quillora
