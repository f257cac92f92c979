// A started program on a temporary copy of the shipped data folder (with the sample company and
// product), with the records plugged into the start-up and a scripted user-interface port.
#pragma once

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "foundation/app_data.h"
#include "foundation/stream.h"
#include "pad/product_data.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace quillora::testing {

class ProductDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CopyTree(ShippedDataDir(), DataDir());
    setenv("QUILLORA_REGISTRY", (tmp_ / "registry.dat").c_str(), 1);
    RegisterRecordsStartup(false);
  }
  void TearDown() override {
    if (ApplicationDataReady()) DoneApplicationData();
    unsetenv("QUILLORA_REGISTRY");
  }

  // The start-up data load; the lists are created empty.
  void Start() { ASSERT_TRUE(InitApplicationData({DataDir(), UserDir(), {}})); }
  std::string DataDir() const { return tmp_ / "data/"; }
  std::string UserDir() const { return tmp_ / "user/"; }
  std::string CompanyFile(const std::string& name) const { return DataDir() + "Companies/" + name; }
  std::string ProductFile(const std::string& name) const { return DataDir() + "Products/" + name; }
  void WriteFile(const std::string& path, const std::string& text) { StringToFile(path, text); }

  TempDir tmp_;
  ScriptedUI ui_;
};

}  // namespace quillora::testing
