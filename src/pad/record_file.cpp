#include "pad/record_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "foundation/files.h"

namespace quillora {

namespace {

std::string Reason() {
  return std::strerror(errno);
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

TRecordFileLock::TRecordFileLock(const std::string& path, Mode mode)
    : path_(path), exclusive_(mode == Mode::Exclusive) {
  // A save replaces the file by renaming a new one over it. Whoever waited on the old file
  // must not go on with it, so after taking the lock we check that the name still leads to the
  // locked file, and start again with the new one when it does not.
  for (int round = 0; round < 100; ++round) {
    created_ = false;
    fd_ = ::open(path.c_str(), (exclusive_ ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    if (fd_ < 0 && errno == ENOENT && exclusive_) {
      fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
      if (fd_ < 0 && errno == EEXIST) continue;  // someone else just made it
      created_ = fd_ >= 0;
    }
    if (fd_ < 0) throw std::runtime_error("Cannot open file " + path + ": " + Reason());
    if (::flock(fd_, (exclusive_ ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
      std::string why = errno == EWOULDBLOCK ? "the file is in use" : Reason();
      ::close(fd_);
      fd_ = -1;
      throw std::runtime_error("Cannot lock file " + path + ": " + why);
    }
    struct stat held {
    }, named{};
    bool held_ok = ::fstat(fd_, &held) == 0;
    int named_rc = ::stat(path.c_str(), &named);
    int named_errno = errno;
    if (held_ok && named_rc == 0 && SameFile(held, named)) return;
    ::close(fd_);
    fd_ = -1;
    if (!exclusive_ && named_rc != 0 && named_errno == ENOENT)
      throw std::runtime_error("Cannot open file " + path + ": " + std::strerror(named_errno));
  }
  throw std::runtime_error("Cannot lock file " + path + ": it keeps being replaced");
}

TRecordFileLock::~TRecordFileLock() {
  if (fd_ >= 0) ::close(fd_);  // releases the lock
}

std::string TRecordFileLock::ReadAll() {
  struct stat st {};
  if (::fstat(fd_, &st) != 0)
    throw std::runtime_error("Cannot read file " + path_ + ": " + Reason());
  if (st.st_size > kMaxRecordFileSize)
    throw std::runtime_error("Cannot read file " + path_ + ": it is too large for a record file");
  std::string text;
  text.reserve(static_cast<size_t>(st.st_size));
  if (::lseek(fd_, 0, SEEK_SET) < 0)
    throw std::runtime_error("Cannot read file " + path_ + ": " + Reason());
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw std::runtime_error("Cannot read file " + path_ + ": " + Reason());
    }
    if (n == 0) break;
    text.append(buffer, static_cast<size_t>(n));
    if (static_cast<int64_t>(text.size()) > kMaxRecordFileSize)
      throw std::runtime_error("Cannot read file " + path_ + ": it is too large for a record file");
  }
  return text;
}

void TRecordFileLock::Replace(std::string_view text) {
  if (!exclusive_) throw std::logic_error("Replace needs an exclusive lock");
  // Only the holder of the lock on the current file writes, so one temporary name per process
  // is enough.
  struct stat held {};
  mode_t mode = ::fstat(fd_, &held) == 0 ? (held.st_mode & 07777) : 0644;
  SaveFileSafely(path_, text, {}, mode);
  created_ = false;
}

void TRecordFileLock::RemoveIfCreated() {
  if (!created_) return;
  struct stat held {
  }, named{};
  if (::fstat(fd_, &held) == 0 && held.st_size == 0 && ::stat(path_.c_str(), &named) == 0 &&
      SameFile(held, named))
    ::unlink(path_.c_str());
  created_ = false;
}

}  // namespace quillora
