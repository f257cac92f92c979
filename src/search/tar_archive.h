// Reads a POSIX ustar archive held in memory entry by entry, and unpacks the pages of a result
// archive into a folder, taking only plain file names.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace quillora {

struct TTarEntry {
  std::string name;
  int64_t mode = 0, uid = 0, gid = 0;
  int64_t size = 0;
  int64_t mtime = 0;  // seconds since 1 January 1970
  char type = '0';    // '0' or NUL: a regular file
  std::string link_name, user_name, group_name, magic;
  int64_t dev_major = 0, dev_minor = 0;
  int64_t header_position = 0;
  bool checksum_ok = false;

  bool IsRegularFile() const { return type == '0' || type == '\0'; }
};

class TTarArchive {
 public:
  // The archive's bytes must outlive the reader.
  explicit TTarArchive(std::string_view data) : data_(data) {}

  void Reset();
  // Moves to the next entry's header and decodes it; false at the end of the archive.
  bool FindNext(TTarEntry& entry);
  // The current entry's data (cut short when the archive is); the position moves past it and
  // its padding.
  std::string ReadData();
  // Writes the current entry's data to a new or truncated file; false when it cannot be written.
  bool WriteData(const std::string& file_name);

 private:
  std::string_view data_;
  int64_t pos_ = 0;
  int64_t pending_ = 0;  // data of the last entry found that has not been read
};

// Writes ustar archives: one entry's header and padded data, and the two zero blocks that end
// the archive.
std::string TarEntryBytes(std::string_view name, std::string_view data, char type = '0',
                          int64_t mtime = 0);
std::string TarEndBytes();

// Reads an octal text field: leading spaces and NULs trimmed, digits until a space, NUL or the
// end.
int64_t ReadTarOctal(std::string_view field);

// Whether an entry name may be written into a folder as it stands: no separators, no "." or
// "..", not empty.
bool IsPlainTarName(std::string_view name);

// Writes every regular entry with a plain name into folder (ending with a separator) and returns
// how many were written. Other entries are skipped and named to skipped, when it is set, with
// the reason.
int UnpackTarArchive(std::string_view data, const std::string& folder,
                     const std::function<void(const std::string& line)>& skipped = {});

}  // namespace quillora
