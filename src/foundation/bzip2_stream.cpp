#include "foundation/bzip2_stream.h"

#include <algorithm>

#include <bzlib.h>
#include <climits>

#include "foundation/job.h"

namespace quillora {

namespace {

// Ends the library's use of a stream however the scope is left.
struct TDecoderEnd {
  bz_stream* s;
  ~TDecoderEnd() { BZ2_bzDecompressEnd(s); }
};
struct TEncoderEnd {
  bz_stream* s;
  ~TEncoderEnd() { BZ2_bzCompressEnd(s); }
};

constexpr size_t kBufferSize = size_t{1} << 16;

}  // namespace

std::string Bzip2Decompress(std::string_view in, size_t limit) {
  using K = TBzip2Error::TKind;
  if (in.size() > UINT_MAX) throw TBzip2Error(K::InputTooLarge, 0, "the bzip2 data is too large");
  bz_stream strm{};
  if (BZ2_bzDecompressInit(&strm, 0, 0) != BZ_OK)
    throw TBzip2Error(K::Start, 0, "Cannot start the bzip2 decoder");
  TDecoderEnd end{&strm};
  strm.next_in = const_cast<char*>(in.data());
  strm.avail_in = static_cast<unsigned>(in.size());
  std::string out;
  char buf[kBufferSize];
  for (;;) {
    strm.next_out = buf;
    strm.avail_out = sizeof buf;
    const int rc = BZ2_bzDecompress(&strm);
    const size_t produced = sizeof buf - strm.avail_out;
    if (out.size() + produced > limit)
      throw TBzip2Error(K::OutputTooLarge, 0,
                        "the bzip2 data decodes to more than " + std::to_string(limit) + " bytes");
    out.append(buf, produced);
    if (rc == BZ_STREAM_END) return out;
    if (rc != BZ_OK) throw TBzip2Error(K::Damaged, rc, "bzip2 error " + std::to_string(rc));
    if (strm.avail_in == 0 && produced == 0)
      throw TBzip2Error(K::CutShort, 0, "the bzip2 data is cut short");
  }
}

std::optional<std::string> Bzip2Compress(std::string_view data, int block_size, TJob& job) {
  using K = TBzip2Error::TKind;
  constexpr size_t kPiece = size_t{1} << 20;
  bz_stream z{};
  if (BZ2_bzCompressInit(&z, block_size, 0, 0) != BZ_OK)
    throw TBzip2Error(K::Start, 0, "Cannot start the bzip2 encoder");
  TEncoderEnd end{&z};
  std::string out;
  char buffer[kBufferSize];
  size_t fed = 0;
  int rc;
  do {
    if (z.avail_in == 0 && fed < data.size()) {
      if (job.StopRequested()) return std::nullopt;
      const size_t piece = std::min(kPiece, data.size() - fed);
      z.next_in = const_cast<char*>(data.data() + fed);
      z.avail_in = static_cast<unsigned>(piece);
      fed += piece;
    }
    z.next_out = buffer;
    z.avail_out = sizeof buffer;
    rc = BZ2_bzCompress(&z, fed < data.size() ? BZ_RUN : BZ_FINISH);
    if (rc < 0) throw TBzip2Error(K::Damaged, rc, "bzip2 error " + std::to_string(rc));
    out.append(buffer, sizeof buffer - z.avail_out);
    job.Progress(static_cast<long long>(fed - z.avail_in), static_cast<long long>(data.size()));
  } while (rc != BZ_STREAM_END);
  return out;
}

}  // namespace quillora
