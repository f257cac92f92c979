#include "foundation/window_state.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quillora {
namespace {

TEST(WindowPlacement, FormatAndParse) {
  TWindowPlacement p;
  p.state = TWindowPlacement::State::ScreenCenter;
  p.left = 10, p.top = -5, p.width = 800, p.height = 600;
  EXPECT_EQ(FormatWindowPlacement(p), "State:SC L:10 T:-5 W:800 H:600");
  TWindowPlacement q = ParseWindowPlacement("State:M L:x T:7 W:100 H:50");
  EXPECT_EQ(q.state, TWindowPlacement::State::Maximized);
  EXPECT_FALSE(q.has_left);
  EXPECT_EQ(q.top, 7);

  TOptionsList s;
  std::vector<TEditorPage> pages = {{"Company", true}, {"Private", false}, {"ASP", true}};
  SaveEditorPages(s, "Company_Editor", pages);
  EXPECT_EQ(s.GetString("Company_Editor Tab Private"), "FALSE");
  s.SetString("Company_Editor Tab ASP", "");
  std::vector<TEditorPage> restored = {{"Company", false}, {"Private", true}, {"ASP", false}};
  RestoreEditorPages(s, "Company_Editor", restored);
  EXPECT_TRUE(restored[0].visible);
  EXPECT_FALSE(restored[1].visible);
  EXPECT_FALSE(restored[2].visible);  // no setting: keeps its state
}

}  // namespace
}  // namespace quillora
