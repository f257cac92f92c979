// The LZH coder on arbitrary bytes: read as a stored stream (length header + bit stream), the
// decoder must stay within the header's bounds and give exactly the announced length; used as
// plain data, the bytes must survive a round trip, and the one-byte-per-call coder must agree
// with the whole-buffer one.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>

#include "foundation/lzh.h"
#include "foundation/stream.h"

namespace {

using quillora::TLZH;

std::string EncodeByteWise(std::string_view input) {
  size_t pos = 0;
  std::string out;
  TLZH().Encode(
      [&](uint8_t* buf, size_t) {
        if (pos >= input.size()) return size_t{0};
        buf[0] = static_cast<uint8_t>(input[pos++]);
        return size_t{1};
      },
      [&](const uint8_t* buf, size_t count) {
        out.append(reinterpret_cast<const char*>(buf), count);
        return count;
      });
  return out;
}

std::string DecodeByteWise(std::string_view bits, size_t out_len) {
  size_t pos = 0;
  std::string out;
  TLZH().Decode(
      out_len,
      [&](uint8_t* buf, size_t) {
        if (pos >= bits.size()) return size_t{0};
        buf[0] = static_cast<uint8_t>(bits[pos++]);
        return size_t{1};
      },
      [&](const uint8_t* buf, size_t count) {
        out.append(reinterpret_cast<const char*>(buf), count);
        return count;
      });
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  // As a stored stream.
  if (size >= 4) {
    const uint32_t length = data[0] | (data[1] << 8) | (data[2] << 16) | (uint32_t{data[3]} << 24);
    std::string decoded;
    bool accepted = true;
    try {
      decoded = quillora::LzhDecompress(input);
    } catch (const std::runtime_error&) {
      accepted = false;
    }
    if (accepted) {
      if (decoded.size() != length) std::abort();
      // Both decoders must read damaged streams the same way.
      if (length <= 65536 && DecodeByteWise(input.substr(4), length) != decoded) std::abort();

      quillora::TMemoryStream in{std::string(input)};
      quillora::TMemoryStream out;
      quillora::TLZHCompressor().Decompress(in, out);
      if (out.Data() != decoded || in.Position() > in.Size()) std::abort();
    }
  }

  // As plain data.
  const std::string packed = quillora::LzhCompress(input);
  if (quillora::LzhDecompress(packed) != input) std::abort();
  if (size <= 16384 && EncodeByteWise(input) != std::string_view(packed).substr(4)) std::abort();
  return 0;
}
