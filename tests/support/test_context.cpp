#include "support/test_context.h"

#include <cstdlib>

namespace quillora::test {

TestData::TestData(const std::string& from) {
  CopyTree(from, DataDir());
  setenv("QUILLORA_REGISTRY", (tmp_ / "registry.dat").c_str(), 1);
}

TestData::~TestData() {
  unsetenv("QUILLORA_REGISTRY");
}

TStartupOptions TestData::Options() const {
  TStartupOptions options;
  options.data_dir = DataDir();
  options.user_dir = UserDir();
  return options;
}

std::unique_ptr<TCoreContext> TestData::Start(const TStartupOptions& options) const {
  return TCoreContext::Start(options);
}

}  // namespace quillora::test
