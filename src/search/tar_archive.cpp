#include "search/tar_archive.h"

#include <algorithm>

#include "foundation/files.h"
#include "foundation/stream.h"

namespace quillora {

namespace {

constexpr int64_t kBlock = 512;

int64_t RoundUp(int64_t n) {
  return (n + kBlock - 1) / kBlock * kBlock;
}

std::string CString(std::string_view field) {
  const size_t end = field.find('\0');
  return std::string(field.substr(0, end));
}

std::string Trim(std::string s) {
  const auto not_space = [](unsigned char c) { return c > ' '; };
  s.erase(s.begin(), std::find_if(s.begin(), s.end(), not_space));
  s.erase(std::find_if(s.rbegin(), s.rend(), not_space).base(), s.end());
  return s;
}

// Links, directories and FIFOs carry no data in the archive.
bool HasNoData(char type) {
  return type == '1' || type == '2' || type == '5' || type == '6' || type == 'V';
}

}  // namespace

int64_t ReadTarOctal(std::string_view field) {
  size_t i = 0;
  while (i < field.size() && (field[i] == ' ' || field[i] == '\0')) ++i;
  int64_t value = 0;
  for (; i < field.size(); ++i) {
    const char c = field[i];
    if (c < '0' || c > '7') break;
    // Large enough for any real size; stop before the value could overflow.
    if (value > (INT64_MAX >> 3)) break;
    value = value * 8 + (c - '0');
  }
  return value;
}

void TTarArchive::Reset() {
  pos_ = 0;
  pending_ = 0;
}

bool TTarArchive::FindNext(TTarEntry& entry) {
  const int64_t size = static_cast<int64_t>(data_.size());
  // A size near the end of int64 must not wrap the position.
  pos_ = pending_ > size - pos_ ? size : pos_ + RoundUp(pending_);
  pending_ = 0;
  if (pos_ > size || size - pos_ < kBlock || data_[pos_] == '\0') {
    pos_ = std::min(pos_, size);
    return false;
  }
  const std::string_view h = data_.substr(pos_, kBlock);
  entry = TTarEntry{};
  entry.header_position = pos_;
  entry.name = CString(h.substr(0, 100));
  entry.mode = ReadTarOctal(h.substr(100, 8));
  entry.uid = ReadTarOctal(h.substr(108, 8));
  entry.gid = ReadTarOctal(h.substr(116, 8));
  entry.size = ReadTarOctal(h.substr(124, 12));
  entry.mtime = ReadTarOctal(h.substr(136, 12));
  entry.type = h[156];
  entry.link_name = CString(h.substr(157, 100));
  entry.magic = Trim(CString(h.substr(257, 6)));
  entry.user_name = CString(h.substr(265, 32));
  entry.group_name = CString(h.substr(297, 32));
  entry.dev_major = ReadTarOctal(h.substr(329, 8));
  entry.dev_minor = ReadTarOctal(h.substr(337, 8));
  int64_t sum = 0;
  for (int i = 0; i < kBlock; ++i)
    sum += (i >= 148 && i < 156) ? ' ' : static_cast<unsigned char>(h[i]);
  entry.checksum_ok = sum == ReadTarOctal(h.substr(148, 8));
  pos_ += kBlock;
  pending_ = HasNoData(entry.type) ? 0 : entry.size;
  return true;
}

std::string TTarArchive::ReadData() {
  const int64_t size = static_cast<int64_t>(data_.size());
  const int64_t n = std::min(pending_, size - pos_);
  std::string out(data_.substr(pos_, n));
  pos_ = pending_ > size - pos_ ? size : std::min(size, pos_ + RoundUp(pending_));
  pending_ = 0;
  return out;
}

bool TTarArchive::WriteData(const std::string& file_name) {
  const std::string bytes = ReadData();
  try {
    TFileStream f(file_name, TFileStream::Mode::Create);
    f.Write(bytes);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

namespace {
void PutOctal(std::string& header, size_t at, size_t width, int64_t value) {
  // width - 1 digits and a NUL, as ustar writers do.
  std::string digits(width - 1, '0');
  for (size_t i = width - 1; i-- > 0; value >>= 3) digits[i] = static_cast<char>('0' + (value & 7));
  header.replace(at, width - 1, digits);
  header[at + width - 1] = '\0';
}
}  // namespace

std::string TarEntryBytes(std::string_view name, std::string_view data, char type, int64_t mtime) {
  std::string h(kBlock, '\0');
  h.replace(0, std::min<size_t>(name.size(), 100), name.substr(0, 100));
  PutOctal(h, 100, 8, 0644);
  PutOctal(h, 108, 8, 0);
  PutOctal(h, 116, 8, 0);
  PutOctal(h, 124, 12, static_cast<int64_t>(data.size()));
  PutOctal(h, 136, 12, mtime);
  h[156] = type;
  h.replace(257, 6, std::string("ustar\0", 6));
  h.replace(263, 2, "00");
  int64_t sum = 0;
  for (int i = 0; i < kBlock; ++i)
    sum += (i >= 148 && i < 156) ? ' ' : static_cast<unsigned char>(h[i]);
  PutOctal(h, 148, 7, sum);
  h[155] = ' ';
  std::string out = h;
  out.append(data);
  out.append(static_cast<size_t>(RoundUp(static_cast<int64_t>(data.size())) -
                                 static_cast<int64_t>(data.size())),
             '\0');
  return out;
}

std::string TarEndBytes() {
  return std::string(2 * kBlock, '\0');
}

bool IsPlainTarName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find_first_of("/\\:") == std::string_view::npos;
}

int UnpackTarArchive(std::string_view data, const std::string& folder,
                     const std::function<void(const std::string& line)>& skipped) {
  TTarArchive tar(data);
  TTarEntry entry;
  int count = 0;
  while (tar.FindNext(entry)) {
    // An archive comes from a server: a name with a path in it could write anywhere.
    std::string reason;
    if (!entry.IsRegularFile())
      reason = "not a regular file";
    else if (!IsPlainTarName(entry.name))
      reason = "not a plain file name";
    if (!reason.empty()) {
      if (skipped) skipped("Skipped archive entry \"" + entry.name + "\": " + reason);
      continue;
    }
    if (!tar.WriteData(folder + entry.name))
      throw std::runtime_error("Cannot write \"" + folder + entry.name + "\"");
    ++count;
  }
  return count;
}

}  // namespace quillora
