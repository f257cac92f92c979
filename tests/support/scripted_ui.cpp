#include "support/scripted_ui.h"

namespace quillora::test {

namespace {
template <typename T>
bool Pop(std::deque<T>& q, T& out) {
  if (q.empty()) return false;
  out = q.front();
  q.pop_front();
  return true;
}
}  // namespace

ScriptedUI::ScriptedUI() {
  SetUI(this);
}
ScriptedUI::~ScriptedUI() {
  SetUI(nullptr);
}

std::vector<std::string> ScriptedUI::Texts(const std::string& kind) const {
  std::vector<std::string> out;
  for (const auto& e : events_)
    if (e.kind == kind) out.push_back(e.text);
  return out;
}

void ScriptedUI::DoShowMessage(TMessageKind kind, const std::string& text) {
  events_.push_back({kind == TMessageKind::Error     ? "error"
                     : kind == TMessageKind::Warning ? "warning"
                                                     : "info",
                     text});
}

bool ScriptedUI::DoAskYesNo(const std::string& text) {
  events_.push_back({"yesno", text});
  bool a = false;
  Pop(yes_no_, a);
  return a;
}

TYesNoCancel ScriptedUI::DoAskYesNoCancel(const std::string& text) {
  events_.push_back({"yesnocancel", text});
  TYesNoCancel a = TYesNoCancel::Cancel;
  Pop(yes_no_cancel_, a);
  return a;
}

TYesNoAll ScriptedUI::DoAskYesNoAll(const std::string& text) {
  events_.push_back({"yesnoall", text});
  TYesNoAll a = TYesNoAll::No;
  Pop(yes_no_all_, a);
  return a;
}

bool ScriptedUI::DoAskRetry(const std::string& text) {
  events_.push_back({"retry", text});
  bool a = false;
  Pop(retry_, a);
  return a;
}

bool ScriptedUI::NextPath(const std::string& kind, const std::string& title, std::string& path) {
  events_.push_back({kind, title});
  return Pop(paths_, path);
}

bool ScriptedUI::DoOpenFileDialog(const std::string& title, const std::string&, std::string& path) {
  return NextPath("open", title, path);
}
bool ScriptedUI::DoSaveFileDialog(const std::string& title, const std::string&, std::string& path) {
  return NextPath("save", title, path);
}
bool ScriptedUI::DoSelectFolderDialog(const std::string& title, std::string& path) {
  return NextPath("folder", title, path);
}

bool ScriptedUI::DoInputText(const std::string& title, const std::string& prompt,
                             std::string& value) {
  events_.push_back({"input", title + ": " + prompt});
  return Pop(texts_, value);
}

bool ScriptedUI::DoCheckList(const std::string& title, const std::vector<std::string>&,
                             std::vector<bool>&) {
  events_.push_back({"checklist", title});
  return false;
}

void ScriptedUI::DoBeginBusy(const std::string& caption) {
  busy_.push_back("begin " + caption);
}

bool ScriptedUI::DoProgress(long long position, long long total) {
  progress_.emplace_back(position, total);
  return stop_at_progress_ <= 0 || static_cast<int>(progress_.size()) < stop_at_progress_;
}

void ScriptedUI::DoEndBusy() {
  busy_.push_back("end");
}

bool ScriptedUI::DoOpenDocument(const std::string& path_or_url) {
  events_.push_back({"open-document", path_or_url});
  return true;
}

}  // namespace quillora::test
