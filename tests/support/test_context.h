// The program's core started on a temporary copy of a data folder, by the same start-up the
// programs run: how tests, benchmarks and fuzz targets get the process's state.
#pragma once

#include <memory>
#include <string>

#include "core/core_context.h"
#include "support/temp_dir.h"

namespace quillora::test {

class TestData {
 public:
  // Copies the data folder (the shipped one unless another is named) into a fresh temporary
  // folder, and points the registry stand-in at a file there for the object's lifetime.
  explicit TestData(const std::string& from = ShippedDataDir());
  ~TestData();
  TestData(const TestData&) = delete;
  TestData& operator=(const TestData&) = delete;

  std::string DataDir() const { return tmp_ / "data/"; }
  std::string UserDir() const { return tmp_ / "user/"; }
  const TempDir& Dir() const { return tmp_; }

  // The programs' start-up options on this copy; tests change the fields they care about (for
  // example no site list, or the records loaded at once).
  TStartupOptions Options() const;
  // The programs' start-up; nullptr when it failed (its messages went to the port).
  std::unique_ptr<TCoreContext> Start(const TStartupOptions& options) const;
  std::unique_ptr<TCoreContext> Start() const { return Start(Options()); }

 private:
  TempDir tmp_;
};

}  // namespace quillora::test
