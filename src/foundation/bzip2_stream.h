// bzip2 streams held in memory: a whole stream decoded with a limit on what it may grow to, and
// encoding fed piece by piece, so that a long compression shows progress and hears a stop.
#pragma once

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace quillora {

class TJob;

class TBzip2Error : public std::runtime_error {
 public:
  enum class TKind {
    Start,           // the library could not start (no memory)
    InputTooLarge,   // more input than the library takes in one go
    OutputTooLarge,  // the stream decodes to more than the caller's limit
    Damaged,         // the library refused the data (Code() holds its error code)
    CutShort,        // the data ends before the stream does
  };
  TBzip2Error(TKind kind, int code, const std::string& message)
      : std::runtime_error(message), kind_(kind), code_(code) {}
  TKind Kind() const { return kind_; }
  int Code() const { return code_; }

 private:
  TKind kind_;
  int code_;
};

// Decodes the one bzip2 stream at the start of `in` (bytes after its end are ignored). The
// stream must end properly: its own checks are all that tells damage from data. Throws
// TBzip2Error; nothing beyond `limit` bytes is ever held.
std::string Bzip2Decompress(std::string_view in, size_t limit);

// Encodes `data` as one bzip2 stream (block size 1..9). The input goes in 1 MiB pieces with the
// job's progress after every step and its stop heard before each piece; bzip2 cuts its blocks by
// input size alone, so the pieces do not change a byte of the output. Nothing when the job was
// stopped; TBzip2Error when the library fails.
std::optional<std::string> Bzip2Compress(std::string_view data, int block_size, TJob& job);

}  // namespace quillora
