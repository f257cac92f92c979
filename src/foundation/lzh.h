// The LZH coder of the site files: LZHUF (LZSS with a 4096-byte window plus adaptive Huffman
// coding), bit-exact with the 1988 reference, and its stream form with a four-byte length header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "foundation/stream.h"

namespace quillora {

// The largest decoded size a length header may announce. Site bodies are a few kilobytes; the
// limit only keeps a damaged or hostile header from making us allocate gigabytes.
inline constexpr size_t kLzhMaxDecodedSize = size_t{256} << 20;  // 256 MiB

// The most bytes one byte of a genuine bit stream can decode to. The cheapest way to produce
// output is a 60-byte match: its Huffman code is at least 1 bit and its distance at least 9 bits
// (3-bit prefix code + 6 verbatim bits), so at most 6 bytes per bit; a literal gives 1 byte for at
// least 1 bit. The encoder writes every bit of every code (only the last byte is padded), so a
// stream of n bytes decodes to at most 48 * n bytes; a bigger header can only come from a damaged
// stream, which the decoder would otherwise pad out with zero bits for as long as asked.
inline constexpr size_t kLzhMaxBytesPerCodeByte = 48;

// Throws std::runtime_error unless `decoded_size` bytes can come from `code_size` bytes of bit
// stream and stay within kLzhMaxDecodedSize.
void CheckLzhDecodedSize(uint64_t decoded_size, uint64_t code_size);

// The coder behind callbacks, one byte per call, as the original worked. The whole-buffer
// functions below produce the same bytes much faster; use these only for streaming.
class TLZH {
 public:
  // Delivers up to count bytes (always 1) into buf; returns how many it delivered, 0 at the end.
  using ReadFn = std::function<size_t(uint8_t* buf, size_t count)>;
  // Takes count bytes (always 1) from buf; returns how many it accepted. Fewer is an error.
  using WriteFn = std::function<size_t(const uint8_t* buf, size_t count)>;

  // Encodes everything `read` delivers and returns the number of bytes consumed.
  size_t Encode(const ReadFn& read, const WriteFn& write);
  // Writes exactly out_len decoded bytes. Input that runs out reads as zero bits; a damaged
  // stream gives wrong bytes, never more or fewer.
  void Decode(size_t out_len, const ReadFn& read, const WriteFn& write);
};

// The bit stream alone (no header) for `input`.
std::string LzhEncodeBits(std::string_view input);
// Exactly out_len bytes decoded from `bits`; out_len is checked with CheckLzhDecodedSize.
std::string LzhDecodeBits(std::string_view bits, size_t out_len);

// Header (the input length, 4 bytes little-endian) followed by the bit stream.
std::string LzhCompress(std::string_view input);
// The inverse of LzhCompress; throws std::runtime_error on a missing or implausible header.
std::string LzhDecompress(std::string_view data);

// The stream form used by the site files.
class TLZHCompressor {
 public:
  // Writes the number of bytes from input's position to its end (callers rewind it first, so
  // this is its whole size) and then their bit stream. Leaves input at its end.
  void Compress(TMemoryStream& input, TStream& output);
  // Reads the length header at input's position and writes that many decoded bytes to output.
  // The input is left just past the last byte the decoder used.
  void Decompress(TStream& input, TStream& output);
};

}  // namespace quillora
