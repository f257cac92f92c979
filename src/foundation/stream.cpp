#include "foundation/stream.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <unistd.h>

#include "foundation/persist.h"

namespace quillora {

void TStream::ReadExact(void* buffer, size_t count) {
  if (Read(buffer, count) != count) throw std::runtime_error("Stream read error");
}

std::string TStream::ReadToEnd() {
  std::string out;
  int64_t rest = Remaining();
  if (rest <= 0) return out;
  out.resize(static_cast<size_t>(rest));
  out.resize(Read(out.data(), out.size()));
  return out;
}

// --- TMemoryStream

size_t TMemoryStream::Read(void* buffer, size_t count) {
  if (pos_ >= data_.size()) return 0;
  size_t n = std::min(count, data_.size() - pos_);
  std::memcpy(buffer, data_.data() + pos_, n);
  pos_ += n;
  return n;
}

void TMemoryStream::Write(const void* buffer, size_t count) {
  if (count == 0) return;
  if (pos_ == data_.size()) {
    data_.append(static_cast<const char*>(buffer), count);
  } else {
    if (pos_ + count > data_.size()) data_.resize(pos_ + count);
    std::memcpy(data_.data() + pos_, buffer, count);
  }
  pos_ += count;
}

void TMemoryStream::SetPosition(int64_t pos) {
  if (pos < 0) pos = 0;
  pos_ = static_cast<size_t>(pos);
  // Seeking past the end and writing there leaves zero bytes in between, like a file.
  if (pos_ > data_.size()) data_.resize(pos_);
}

std::string TMemoryStream::Take() {
  std::string out = std::move(data_);
  data_.clear();
  pos_ = 0;
  return out;
}

// --- TFileStream

TFileStream::TFileStream(const std::string& path, Mode mode) : path_(path) {
  const char* how = mode == Mode::Read ? "rb" : mode == Mode::Create ? "w+b" : "r+b";
  file_ = std::fopen(path.c_str(), how);
  if (!file_) {
    throw std::runtime_error((mode == Mode::Create ? "Cannot create file " : "Cannot open file ") +
                             path + ". " + std::strerror(errno));
  }
}

TFileStream::~TFileStream() {
  if (file_) std::fclose(file_);
}

size_t TFileStream::Read(void* buffer, size_t count) {
  return std::fread(buffer, 1, count, file_);
}

void TFileStream::Write(const void* buffer, size_t count) {
  if (count && std::fwrite(buffer, 1, count, file_) != count)
    throw std::runtime_error("Error writing file " + path_ + ". " + std::strerror(errno));
}

int64_t TFileStream::Position() const {
  return ftello(file_);
}

void TFileStream::SetPosition(int64_t pos) {
  fseeko(file_, pos, SEEK_SET);
}

int64_t TFileStream::Size() const {
  off_t here = ftello(file_);
  fseeko(file_, 0, SEEK_END);
  off_t end = ftello(file_);
  fseeko(file_, here, SEEK_SET);
  return end;
}

void TFileStream::Flush(bool sync) {
  if (std::fflush(file_) != 0 || (sync && fsync(fileno(file_)) != 0))
    throw std::runtime_error("Error writing file " + path_ + ". " + std::strerror(errno));
}

int TFileStream::Handle() const {
  return fileno(file_);
}

// --- binary helpers

namespace {

template <typename T>
void WriteLE(TStream& s, T v) {
  unsigned char b[sizeof(T)];
  using U = std::make_unsigned_t<T>;
  U u = static_cast<U>(v);
  for (size_t i = 0; i < sizeof(T); ++i) b[i] = static_cast<unsigned char>(u >> (8 * i));
  s.Write(b, sizeof(T));
}

template <typename T>
T ReadLE(TStream& s) {
  unsigned char b[sizeof(T)] = {};
  s.Read(b, sizeof(T));
  using U = std::make_unsigned_t<T>;
  U u = 0;
  for (size_t i = 0; i < sizeof(T); ++i) u |= static_cast<U>(static_cast<U>(b[i]) << (8 * i));
  return static_cast<T>(u);
}

}  // namespace

void WriteUInt16(TStream& s, uint16_t v) {
  WriteLE(s, v);
}
void WriteInt32(TStream& s, int32_t v) {
  WriteLE(s, v);
}
void WriteUInt32(TStream& s, uint32_t v) {
  WriteLE(s, v);
}
uint16_t ReadUInt16(TStream& s) {
  return ReadLE<uint16_t>(s);
}
int32_t ReadInt32(TStream& s) {
  return ReadLE<int32_t>(s);
}
uint32_t ReadUInt32(TStream& s) {
  return ReadLE<uint32_t>(s);
}

void WriteDouble(TStream& s, double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  WriteLE(s, bits);
}

double ReadDouble(TStream& s) {
  uint64_t bits = ReadLE<uint64_t>(s);
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

void WriteSizedInt(TStream& s, int32_t n) {
  WriteUInt16(s, 4);
  WriteInt32(s, n);
}

void WriteSized8(TStream& s, uint32_t low, uint32_t high) {
  WriteUInt16(s, 8);
  WriteUInt32(s, low);
  WriteUInt32(s, high);
}

uint16_t ReadSized(TStream& s, void* dest, size_t dest_size) {
  uint16_t len = ReadUInt16(s);
  size_t take = std::min<size_t>(len, dest_size);
  size_t got = s.Read(dest, take);
  // A short stream leaves zeros where the bytes are missing.
  if (got < take) std::memset(static_cast<char*>(dest) + got, 0, take - got);
  if (len > take) {
    int64_t skip = std::min<int64_t>(len - take, std::max<int64_t>(s.Remaining(), 0));
    s.SetPosition(s.Position() + skip);
  }
  return len;
}

int32_t ReadSizedInt(TStream& s) {
  unsigned char b[4] = {};
  ReadSized(s, b, sizeof b);
  return static_cast<int32_t>(static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                              static_cast<uint32_t>(b[2]) << 16 |
                              static_cast<uint32_t>(b[3]) << 24);
}

void WriteSizedDouble(TStream& s, double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  WriteSized8(s, static_cast<uint32_t>(bits), static_cast<uint32_t>(bits >> 32));
}

double ReadSizedDouble(TStream& s) {
  unsigned char b[8] = {};
  ReadSized(s, b, sizeof b);
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = bits << 8 | b[i];
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

void WriteShortStr(TStream& s, std::string_view text) {
  if (text.size() > 0xFFFF)
    throw std::length_error("String of " + std::to_string(text.size()) +
                            " bytes is too long for a short string");
  WriteUInt16(s, static_cast<uint16_t>(text.size()));
  s.Write(text.data(), text.size());
}

std::string ReadShortStr(TStream& s) {
  uint16_t n = ReadUInt16(s);
  std::string out(n, '\0');
  if (n) s.Read(out.data(), n);  // a short stream leaves zero bytes
  return out;
}

void WriteBlob(TStream& s, TMemoryStream& buffer) {
  if (buffer.Size() > INT32_MAX) throw std::length_error("Block too large to store");
  WriteInt32(s, static_cast<int32_t>(buffer.Size()));
  s.Write(buffer.Data().data(), buffer.Data().size());
  buffer.Clear();
}

void ReadBlob(TStream& s, TMemoryStream& buffer) {
  int32_t n = ReadInt32(s);
  buffer.Clear();
  if (n <= 0) return;
  // A declared size the stream cannot hold is damage, not data: refuse it rather than
  // allocate whatever a broken or hostile file claims.
  if (n > s.Remaining())
    throw std::runtime_error("Damaged data: a block of " + std::to_string(n) +
                             " bytes where only " +
                             std::to_string(std::max<int64_t>(0, s.Remaining())) + " remain");
  std::string& d = buffer.Data();
  d.resize(static_cast<size_t>(n));
  s.ReadExact(d.data(), d.size());
  buffer.Rewind();
}

void WriteObjectBlob(TStream& s, const TPersistObj& obj) {
  TMemoryStream buffer;
  obj.SaveToStream(buffer);
  WriteBlob(s, buffer);
}

void ReadObjectBlob(TStream& s, TPersistObj& obj) {
  TMemoryStream buffer;
  ReadBlob(s, buffer);
  obj.LoadFromStream(buffer);
}

void WriteListBlob(TStream& s, const TPersistObjList& list) {
  TMemoryStream buffer;
  list.SaveToStream(buffer);
  WriteBlob(s, buffer);
}

void ReadListBlob(TStream& s, TPersistObjList& list) {
  TMemoryStream buffer;
  ReadBlob(s, buffer);
  list.LoadFromStream(buffer);
}

void WriteStringToStream(TStream& s, std::string_view text) {
  s.Write(text.data(), text.size());
}

void StringToFile(const std::string& path, std::string_view text) {
  TFileStream f(path, TFileStream::Mode::Create);
  f.Write(text.data(), text.size());
  f.Flush();
}

std::string FileToString(const std::string& path) {
  TFileStream f(path, TFileStream::Mode::Read);
  return f.ReadToEnd();
}

}  // namespace quillora
