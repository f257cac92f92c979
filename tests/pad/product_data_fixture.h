// A started program on a temporary copy of the shipped data folder (with the sample company and
// product), the record lists made but not loaded, no site list, and a scripted user-interface
// port.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "foundation/stream.h"
#include "pad/product_data.h"
#include "support/core_test.h"

namespace quillora::test {

class ProductDataTest : public CoreTest {
 protected:
  void SetUp() override { options_.load_sites = false; }

  // The start-up data load; the lists are created empty.
  void Start() { CoreTest::Start(); }
  std::string DataDir() const { return data_.DataDir(); }
  std::string UserDir() const { return data_.UserDir(); }
  std::string CompanyFile(const std::string& name) const { return DataDir() + "Companies/" + name; }
  std::string ProductFile(const std::string& name) const { return DataDir() + "Products/" + name; }
  void WriteFile(const std::string& path, const std::string& text) { StringToFile(path, text); }
};

}  // namespace quillora::test
