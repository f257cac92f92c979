// A fresh temporary folder per test, removed afterwards; and paths of the repository's fixtures.
#pragma once

#include <string>

namespace quillora::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder, with a trailing "/".
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

// tests/data/<relative>
std::string FixturePath(const std::string& relative);
// The shipped data folder (read-only for tests), with a trailing "/".
std::string ShippedDataDir();
// Copies a folder tree (e.g. the shipped data) into dest.
void CopyTree(const std::string& from, const std::string& dest);

}  // namespace quillora::test
