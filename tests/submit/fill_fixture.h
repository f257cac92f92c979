// A started program on a temporary copy of the shipped data folder, with the sample company and
// product active: what the form-filling engine fills from.
#pragma once

#include <gtest/gtest.h>

#include "foundation/app_state.h"
#include "pad/product_data.h"
#include "pad/profile.h"
#include "support/core_test.h"

namespace quillora::test {

class FillTest : public CoreTest {
 protected:
  void SetUp() override {
    options_.load_sites = false;
    options_.load_records = true;
    Start();
    ASSERT_EQ(ActiveProfile().GetString("Program_Info/Program_Name"), "Sample Notes");
    // The engine's own tests pin the classic guessing rules; smart guessing has its own.
    Settings().SetBool("Smart Guessing", false);
  }
  TProfile& Profile() { return ActiveProfile(); }
};

}  // namespace quillora::test
