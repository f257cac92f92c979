// A started program on a temporary copy of the shipped data folder, with the sample company and
// product active: what the form-filling engine fills from.
#pragma once

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "foundation/app_data.h"
#include "pad/product_data.h"
#include "pad/profile.h"
#include "submit/form_filler.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace quillora::testing {

class FillTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CopyTree(ShippedDataDir(), tmp_ / "data/");
    setenv("QUILLORA_REGISTRY", (tmp_ / "registry.dat").c_str(), 1);
    RegisterRecordsStartup(true);
    ASSERT_TRUE(InitApplicationData({tmp_ / "data/", tmp_ / "user/", {}}));
    SetFillEnvironment({});
    ASSERT_EQ(ActiveProfile().GetString("Program_Info/Program_Name"), "Sample Notes");
  }
  void TearDown() override {
    if (ApplicationDataReady()) DoneApplicationData();
    unsetenv("QUILLORA_REGISTRY");
  }
  TProfile& Profile() { return ActiveProfile(); }

  TempDir tmp_;
  ScriptedUI ui_;
};

}  // namespace quillora::testing
