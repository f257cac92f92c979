#include "support/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace quillora::test {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "quillora-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
  path_ = pattern + "/";
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string FixturePath(const std::string& relative) {
  return std::string(QUILLORA_TEST_DATA_DIR) + "/" + relative;
}

std::string ShippedDataDir() {
  return std::string(QUILLORA_SOURCE_DATA_DIR) + "/";
}

void CopyTree(const std::string& from, const std::string& dest) {
  std::filesystem::create_directories(dest);
  std::filesystem::copy(
      from, dest,
      std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
}

}  // namespace quillora::test
