// Byte streams with a position (memory and file) and the binary helpers every stored layout uses.
// All integers are little-endian.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace quillora {

class TPersistObj;
class TPersistObjList;

// A positioned sequence of bytes. Reads past the end deliver fewer bytes; writes extend the stream.
class TStream {
 public:
  virtual ~TStream() = default;
  // Reads up to count bytes at the position; returns how many were read.
  virtual size_t Read(void* buffer, size_t count) = 0;
  // Writes count bytes at the position; throws std::runtime_error when the bytes cannot be written.
  virtual void Write(const void* buffer, size_t count) = 0;
  virtual int64_t Position() const = 0;
  virtual void SetPosition(int64_t pos) = 0;
  virtual int64_t Size() const = 0;

  int64_t Remaining() const { return Size() - Position(); }
  void Rewind() { SetPosition(0); }
  void Write(std::string_view bytes) { Write(bytes.data(), bytes.size()); }
  // Reads exactly count bytes or throws std::runtime_error ("Stream read error").
  void ReadExact(void* buffer, size_t count);
  // Everything from the position to the end.
  std::string ReadToEnd();
};

// A growable in-memory buffer.
class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::string bytes) : data_(std::move(bytes)) {}

  size_t Read(void* buffer, size_t count) override;
  void Write(const void* buffer, size_t count) override;
  using TStream::Write;
  int64_t Position() const override { return pos_; }
  void SetPosition(int64_t pos) override;
  int64_t Size() const override { return static_cast<int64_t>(data_.size()); }

  void Clear() {
    data_.clear();
    pos_ = 0;
  }
  const std::string& Data() const { return data_; }
  std::string& Data() { return data_; }
  // Hands the bytes out and leaves the stream empty.
  std::string Take();

 private:
  std::string data_;
  size_t pos_ = 0;
};

// A file opened for reading, or created/truncated for writing (read and write allowed then).
class TFileStream : public TStream {
 public:
  enum class Mode { Read, Create, ReadWrite };
  // Throws std::runtime_error with "Cannot open file <path>" / "Cannot create file <path>".
  TFileStream(const std::string& path, Mode mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  size_t Read(void* buffer, size_t count) override;
  void Write(const void* buffer, size_t count) override;
  using TStream::Write;
  int64_t Position() const override;
  void SetPosition(int64_t pos) override;
  int64_t Size() const override;
  // Flushes buffered bytes and the file's data to the disk; throws on failure.
  void Flush(bool sync = false);
  int Handle() const;

 private:
  std::FILE* file_ = nullptr;
  std::string path_;
};

// --- Binary helpers ---------------------------------------------------------------------------

void WriteUInt16(TStream& s, uint16_t v);
void WriteInt32(TStream& s, int32_t v);
void WriteUInt32(TStream& s, uint32_t v);
void WriteDouble(TStream& s, double v);
// These read what is there; a short stream gives zero bytes for the missing tail.
uint16_t ReadUInt16(TStream& s);
int32_t ReadInt32(TStream& s);
uint32_t ReadUInt32(TStream& s);
double ReadDouble(TStream& s);

// 2-byte length (always 4), then n as a 4-byte signed integer.
void WriteSizedInt(TStream& s, int32_t n);
// 2-byte length (always 8), then the low and the high word.
void WriteSized8(TStream& s, uint32_t low, uint32_t high);
// 2-byte length L, then L bytes into dest. Bytes beyond dest_size are skipped, never written;
// a destination larger than L keeps its remaining bytes. Returns L.
uint16_t ReadSized(TStream& s, void* dest, size_t dest_size);
// Convenience forms for the two sizes the program writes.
int32_t ReadSizedInt(TStream& s);
double ReadSizedDouble(TStream& s);
void WriteSizedDouble(TStream& s, double v);

// 2-byte count then the bytes; strings longer than 65535 bytes raise std::length_error.
void WriteShortStr(TStream& s, std::string_view text);
std::string ReadShortStr(TStream& s);

// 4-byte signed size, then the whole buffer from its start; the buffer is emptied afterwards.
void WriteBlob(TStream& s, TMemoryStream& buffer);
// 4-byte signed size N; the buffer is emptied, filled with N bytes (a short stream gives zero
// bytes for the missing tail, up to what the stream could hold) and rewound.
void ReadBlob(TStream& s, TMemoryStream& buffer);
void WriteObjectBlob(TStream& s, const TPersistObj& obj);
void ReadObjectBlob(TStream& s, TPersistObj& obj);
void WriteListBlob(TStream& s, const TPersistObjList& list);
void ReadListBlob(TStream& s, TPersistObjList& list);

// The raw bytes, no length prefix.
void WriteStringToStream(TStream& s, std::string_view text);
// Creates or truncates the file; throws on failure.
void StringToFile(const std::string& path, std::string_view text);
// Whole file as bytes; throws std::runtime_error "Cannot open file <path>".
std::string FileToString(const std::string& path);

}  // namespace quillora
