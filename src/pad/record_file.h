// Reading and replacing a company or product file under an advisory lock, so that two copies of
// the program never interleave the read-merge-write of a save and a reader never sees half a file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillora {

// An open record file holding a lock (flock) on it. The lock is taken without waiting: a file
// held by another process makes the constructor throw, and the callers' retry loops wait.
class TRecordFileLock {
 public:
  enum class Mode {
    Shared,     // reading: the file must exist
    Exclusive,  // saving: a missing file is created empty
  };

  // Throws std::runtime_error when the file cannot be opened or locked.
  TRecordFileLock(const std::string& path, Mode mode);
  ~TRecordFileLock();
  TRecordFileLock(const TRecordFileLock&) = delete;
  TRecordFileLock& operator=(const TRecordFileLock&) = delete;

  // Whether this lock created the file (it was missing).
  bool Created() const { return created_; }
  // The whole file. Files beyond kMaxRecordFileSize are refused (std::runtime_error).
  std::string ReadAll();
  // Puts text in place of the file: written to a temporary file beside it, synced and renamed
  // over it, so a crash leaves either the old or the new content. Exclusive locks only.
  void Replace(std::string_view text);
  // Removes a file that this lock created and that is still empty (a save that failed).
  void RemoveIfCreated();

 private:
  std::string path_;
  int fd_ = -1;
  bool created_ = false;
  bool exclusive_ = false;
};

// A record is a few kilobytes; anything far beyond is not a record file.
inline constexpr int64_t kMaxRecordFileSize = int64_t{64} << 20;

}  // namespace quillora
