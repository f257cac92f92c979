// A GoogleTest fixture with the program's core on its own copy of the shipped data and a scripted
// user-interface port that records what the start-up and the test showed.
#pragma once

#include <memory>

#include <gtest/gtest.h>

#include "core/core_context.h"
#include "support/scripted_ui.h"
#include "support/test_context.h"

namespace quillora::test {

class CoreTest : public ::testing::Test {
 protected:
  void TearDown() override { Stop(); }

  // Starts the core with options_; a failed start fails the test.
  void Start() { ASSERT_TRUE(TryStart()) << "the start-up failed"; }
  bool TryStart() {
    core_ = data_.Start(options_);
    return core_ != nullptr;
  }
  // The program's exit: the settings saved and everything released.
  void Stop() {
    if (!core_) return;
    core_->Shutdown();
    core_.reset();
  }

  TestData data_;
  ScriptedUI ui_;
  TStartupOptions options_ = data_.Options();
  std::unique_ptr<TCoreContext> core_;
};

}  // namespace quillora::test
