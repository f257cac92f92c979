// What windows keep in the settings between runs: their placements and the editors' visible pages.
#pragma once

#include <string>
#include <vector>

#include "foundation/option_list.h"

namespace quillora {

// Window placement strings ("State:S L:l T:t W:w H:h").
struct TWindowPlacement {
  enum class State { Maximized, ScreenCenter, DesktopCenter, Default };
  State state = State::Default;
  int left = 0, top = 0, width = 0, height = 0;
  bool has_left = false, has_top = false, has_width = false, has_height = false;
};
std::string FormatWindowPlacement(const TWindowPlacement& p);
TWindowPlacement ParseWindowPlacement(const std::string& text);  // non-numbers are skipped
void StoreWindowPlacement(TOptionsList& settings, const std::string& window_name,
                          const TWindowPlacement& p);
// Empty when the window has no stored placement.
std::string StoredWindowPlacement(const TOptionsList& settings, const std::string& window_name);

// Editor page visibility: "Company_Editor Tab <caption>" / "Product_Editor Tab <caption>".
struct TEditorPage {
  std::string caption;
  bool visible = true;
};
void SaveEditorPages(TOptionsList& settings, const std::string& editor_prefix,
                     const std::vector<TEditorPage>& pages);
// Pages whose setting is empty keep their state.
void RestoreEditorPages(const TOptionsList& settings, const std::string& editor_prefix,
                        std::vector<TEditorPage>& pages);

}  // namespace quillora
