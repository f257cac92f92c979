#include "foundation/lzh.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/stream.h"

namespace quillora {
namespace {

std::string Fixture(const std::string& name) {
  return FileToString(std::string(QUILLORA_TEST_DATA_DIR) + "/lzh/" + name);
}

// Deterministic filler: xorshift32.
std::string PseudoRandom(size_t n, uint32_t seed) {
  std::string out(n, '\0');
  for (auto& ch : out) {
    seed ^= seed << 13;
    seed ^= seed >> 17;
    seed ^= seed << 5;
    ch = static_cast<char>(seed >> 24);
  }
  return out;
}

// Encodes and decodes through the one-byte-per-call interface.
std::string EncodeViaCallbacks(const std::string& input, size_t* consumed) {
  size_t in_pos = 0;
  std::string out;
  TLZH lzh;
  *consumed = lzh.Encode(
      [&](uint8_t* buf, size_t count) {
        EXPECT_EQ(count, 1u);
        if (in_pos >= input.size()) return size_t{0};
        buf[0] = static_cast<uint8_t>(input[in_pos++]);
        return size_t{1};
      },
      [&](const uint8_t* buf, size_t count) {
        out.append(reinterpret_cast<const char*>(buf), count);
        return count;
      });
  return out;
}

std::string DecodeViaCallbacks(const std::string& bits, size_t out_len) {
  size_t in_pos = 0;
  std::string out;
  TLZH lzh;
  lzh.Decode(
      out_len,
      [&](uint8_t* buf, size_t) {
        if (in_pos >= bits.size()) return size_t{0};
        buf[0] = static_cast<uint8_t>(bits[in_pos++]);
        return size_t{1};
      },
      [&](const uint8_t* buf, size_t count) {
        out.append(reinterpret_cast<const char*>(buf), count);
        return count;
      });
  return out;
}

std::string Header(uint32_t n) {
  std::string h;
  for (int i = 0; i < 4; ++i) h.push_back(static_cast<char>(n >> (8 * i)));
  return h;
}

const char* const kVectors[] = {"empty",          "one_byte_A",     "text_60",        "random_4096",
                                "repeat_41_4096", "spaces100_text", "option_tree_6k", "rebuild_70k",
                                "mixed_1m",       "tail_spaces_17", "tail_mixed_62"};

class LzhVectorTest : public testing::TestWithParam<const char*> {};

// The reference vectors pin down the exact encoder: tree walk, tie rule, the bytes past the
// end of input, tree rebuilds and window wrap-around.
TEST_P(LzhVectorTest, MatchesReferenceBothWays) {
  const std::string input = Fixture(std::string(GetParam()) + ".in");
  const std::string packed = Fixture(std::string(GetParam()) + ".lzh");

  EXPECT_EQ(LzhCompress(input), packed);
  EXPECT_EQ(LzhDecompress(packed), input);

  TMemoryStream in(input);
  TMemoryStream out;
  TLZHCompressor compressor;
  compressor.Compress(in, out);
  EXPECT_EQ(out.Data(), packed);
  out.Rewind();
  TMemoryStream back;
  compressor.Decompress(out, back);
  EXPECT_EQ(back.Data(), input);
  EXPECT_EQ(out.Position(), out.Size());
}

INSTANTIATE_TEST_SUITE_P(Lzh, LzhVectorTest, testing::ValuesIn(kVectors),
                         [](const testing::TestParamInfo<const char*>& vector) {
                           return std::string(vector.param);
                         });

// The one-byte-per-call coder must write and read the same bytes as the whole-buffer one.
TEST(LzhTest, CallbackCoderMatchesReference) {
  for (const std::string name : kVectors) {
    if (name == "mixed_1m") continue;  // slow this way, and adds nothing the others miss
    SCOPED_TRACE(name);
    const std::string input = Fixture(name + ".in");
    const std::string bits = Fixture(name + ".lzh").substr(4);
    size_t consumed = 0;
    EXPECT_EQ(EncodeViaCallbacks(input, &consumed), bits);
    EXPECT_EQ(consumed, input.size());
    EXPECT_EQ(DecodeViaCallbacks(bits, input.size()), input);
  }
}

TEST(LzhTest, RoundTripsAssortedData) {
  std::vector<std::string> cases = {
      "x",
      PseudoRandom(60, 7),
      PseudoRandom(4096, 11),
      std::string(100000, '\x7f'),
      std::string(5000, ' '),
      std::string(3, '\0'),
  };
  // About 1 MB of text with repeats farther apart than the window.
  std::string text;
  for (int i = 0; text.size() < 1000000; ++i) {
    text += "[Site " + std::to_string(i % 5000) + "]\r\nName=Some site " +
            std::to_string(i * 7919 % 1000) + "\r\nRating=" + std::to_string(i % 6) + "\r\n\r\n";
  }
  cases.push_back(text);
  for (const auto& data : cases) {
    SCOPED_TRACE(data.size());
    EXPECT_EQ(LzhDecompress(LzhCompress(data)), data);
  }
}

TEST(LzhTest, HeaderIsLittleEndianLength) {
  const std::string packed = LzhCompress(std::string(1000, 'a'));
  EXPECT_EQ(packed.substr(0, 4), std::string("\xE8\x03\x00\x00", 4));
}

TEST(LzhTest, EmptyInput) {
  EXPECT_EQ(LzhCompress(""), Header(0));
  EXPECT_EQ(LzhDecompress(Header(0)), "");
  EXPECT_EQ(LzhEncodeBits(""), "");
  size_t consumed = 99;
  EXPECT_EQ(EncodeViaCallbacks("", &consumed), "");
  EXPECT_EQ(consumed, 0u);
}

// Leading spaces match the space-filled initial window instead of being sent as literals.
TEST(LzhTest, LeadingSpacesMatchInitialWindow) {
  const std::string spaces(120, ' ');
  EXPECT_LE(LzhEncodeBits(spaces).size(), 8u);
}

TEST(LzhTest, RejectsImplausibleLengthHeaders) {
  const std::string bits = LzhEncodeBits(std::string(4096, 'A'));  // 113 bytes of codes
  const uint64_t most = bits.size() * kLzhMaxBytesPerCodeByte;
  EXPECT_NO_THROW(CheckLzhDecodedSize(most, bits.size()));
  EXPECT_NO_THROW(LzhDecodeBits(bits, 4096));

  struct Case {
    uint32_t length;
    std::string payload;
    const char* message_part;
  };
  const std::vector<Case> cases = {
      {static_cast<uint32_t>(most + 1), bits, "cannot come from 113 bytes"},
      {1, "", "cannot come from 0 bytes"},
      {0xFFFFFFFFu, std::string(1 << 20, '\0'), "exceeds the limit of 268435456 bytes"},
      {static_cast<uint32_t>(kLzhMaxDecodedSize + 1), std::string(6 << 20, '\0'), "limit"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.length);
    try {
      LzhDecompress(Header(c.length) + c.payload);
      ADD_FAILURE() << "accepted";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(c.message_part), std::string::npos) << e.what();
    }
    TMemoryStream in(Header(c.length) + c.payload);
    TMemoryStream out;
    EXPECT_THROW(TLZHCompressor().Decompress(in, out), std::runtime_error);
    EXPECT_EQ(out.Size(), 0);
  }
  EXPECT_THROW(LzhDecompress("\x01\x00"), std::runtime_error);
}

// The tightest genuine streams (long runs) stay well inside the bound.
TEST(LzhTest, BoundAcceptsHighlyCompressibleData) {
  for (char c : {'\0', ' ', 'A'}) {
    const std::string data(2000000, c);
    const std::string bits = LzhEncodeBits(data);
    EXPECT_LE(data.size(), bits.size() * kLzhMaxBytesPerCodeByte);
    EXPECT_EQ(LzhDecodeBits(bits, data.size()), data);
  }
}

// Damaged or short streams decode to exactly the announced length, without reading out of bounds.
TEST(LzhTest, DamagedStreamsGiveExactLength) {
  const std::string input = Fixture("option_tree_6k.in");
  std::string bits = LzhEncodeBits(input);
  const std::string truncated = bits.substr(0, bits.size() / 2);
  EXPECT_EQ(LzhDecodeBits(truncated, input.size()).size(), input.size());
  EXPECT_EQ(DecodeViaCallbacks(truncated, input.size()), LzhDecodeBits(truncated, input.size()));
  for (size_t i = 0; i < bits.size(); i += 97) bits[i] = static_cast<char>(bits[i] ^ 0x5A);
  const std::string garbage = LzhDecodeBits(bits, input.size());
  EXPECT_EQ(garbage.size(), input.size());
  EXPECT_EQ(DecodeViaCallbacks(bits, input.size()), garbage);
}

// In a fresh tree node n hangs under node 314 + n / 2 and is reached by its parity bit.
std::string FreshCode(int symbol) {
  std::string code;
  for (int n = symbol; n != 626; n = 314 + n / 2) code.insert(code.begin(), n & 1 ? '1' : '0');
  return code;
}

std::string PackBits(const std::string& bits) {
  std::string out((bits.size() + 7) / 8, '\0');
  for (size_t i = 0; i < bits.size(); ++i) {
    if (bits[i] == '1') out[i / 8] = static_cast<char>(out[i / 8] | (0x80 >> (i % 8)));
  }
  return out;
}

// Genuine streams never look at window bytes that were not written yet, damaged ones can: the
// window starts with spaces followed by 60 zero bytes (where the first output goes).
TEST(LzhTest, DamagedStreamsSeeTheInitialWindow) {
  // A 60-byte match at distance 4095 or 4065: upper six bits 63 (code 11111111), lower six bits.
  const std::string match60 = FreshCode(253 + 60) + "11111111";
  struct Case {
    std::string low_bits;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"111111", std::string(60, '\0')},
      {"100001", std::string(30, '\0') + std::string(30, ' ')},
  };
  for (const auto& c : cases) {
    const std::string bits = PackBits(match60 + c.low_bits);
    EXPECT_EQ(LzhDecodeBits(bits, 60), c.expected);
    EXPECT_EQ(DecodeViaCallbacks(bits, 60), c.expected);
  }
}

TEST(LzhTest, CompressorCodesFromPositionAndLeavesStreamAfterBody) {
  const std::string body = Fixture("option_tree_6k.in");
  TMemoryStream in("PREFIX" + body);
  in.SetPosition(6);
  TMemoryStream file;
  file.Write(std::string_view("HEAD"));
  TLZHCompressor compressor;
  compressor.Compress(in, file);
  EXPECT_EQ(in.Position(), in.Size());
  // The header counts the bytes that were coded, so the stream decodes back to them.
  EXPECT_EQ(file.Data().substr(4), LzhCompress(body));
  file.Write(std::string_view("TAIL"));

  file.SetPosition(4);
  TMemoryStream out;
  compressor.Decompress(file, out);
  EXPECT_EQ(out.Data(), body);
  EXPECT_EQ(file.ReadToEnd(), "TAIL");
}

TEST(LzhTest, WriteRefusalIsAnError) {
  TLZH lzh;
  const std::string input = "some bytes";
  size_t pos = 0;
  EXPECT_THROW(lzh.Encode(
                   [&](uint8_t* buf, size_t) {
                     if (pos >= input.size()) return size_t{0};
                     buf[0] = static_cast<uint8_t>(input[pos++]);
                     return size_t{1};
                   },
                   [](const uint8_t*, size_t) { return size_t{0}; }),
               std::runtime_error);
}

}  // namespace
}  // namespace quillora
