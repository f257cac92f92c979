#include "foundation/window_state.h"

#include "foundation/text_utils.h"

namespace quillora {

std::string FormatWindowPlacement(const TWindowPlacement& p) {
  const char* state = p.state == TWindowPlacement::State::Maximized       ? "M"
                      : p.state == TWindowPlacement::State::ScreenCenter  ? "SC"
                      : p.state == TWindowPlacement::State::DesktopCenter ? "DC"
                                                                          : "D";
  return std::string("State:") + state + " L:" + std::to_string(p.left) +
         " T:" + std::to_string(p.top) + " W:" + std::to_string(p.width) +
         " H:" + std::to_string(p.height);
}

TWindowPlacement ParseWindowPlacement(const std::string& text) {
  TWindowPlacement p;
  for (int i = 0, n = CountFields(text, ' '); i < n; ++i) {
    std::string field = NthField(text, i, ' ');
    size_t colon = field.find(':');
    if (colon == std::string::npos) continue;
    std::string name = field.substr(0, colon), value = field.substr(colon + 1);
    if (name == "State") {
      p.state = value == "M"    ? TWindowPlacement::State::Maximized
                : value == "SC" ? TWindowPlacement::State::ScreenCenter
                : value == "DC" ? TWindowPlacement::State::DesktopCenter
                                : TWindowPlacement::State::Default;
      continue;
    }
    int v;
    if (!TryStrToInt(value, v)) continue;
    if (name == "L") p.left = v, p.has_left = true;
    if (name == "T") p.top = v, p.has_top = true;
    if (name == "W") p.width = v, p.has_width = true;
    if (name == "H") p.height = v, p.has_height = true;
  }
  return p;
}

void StoreWindowPlacement(TOptionsList& settings, const std::string& window_name,
                          const TWindowPlacement& p) {
  settings.SetString("Window_" + window_name, FormatWindowPlacement(p));
}

std::string StoredWindowPlacement(const TOptionsList& settings, const std::string& window_name) {
  return settings.GetString("Window_" + window_name);
}

void SaveEditorPages(TOptionsList& settings, const std::string& editor_prefix,
                     const std::vector<TEditorPage>& pages) {
  for (const auto& page : pages)
    settings.SetBool(editor_prefix + " Tab " + page.caption, page.visible);
}

void RestoreEditorPages(const TOptionsList& settings, const std::string& editor_prefix,
                        std::vector<TEditorPage>& pages) {
  for (auto& page : pages) {
    std::string v = settings.GetString(editor_prefix + " Tab " + page.caption);
    if (!v.empty()) page.visible = v == "TRUE";
  }
}

}  // namespace quillora
