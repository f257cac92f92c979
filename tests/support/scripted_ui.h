// A user-interface port for tests: records every message and question and answers from a queue.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "foundation/ui_port.h"

namespace quillora::testing {

class ScriptedUI : public TUserInterface {
 public:
  struct Event {
    std::string kind;  // "error", "info", "warning", "yesno", "yesnocancel", "yesnoall", "retry",
                       // "dialog", ...
    std::string text;
  };

  // Installs itself as the process's port for its lifetime.
  ScriptedUI();
  ~ScriptedUI() override;

  // Queue the answers the next questions get, in order. Without a queued answer a question
  // gets its safe answer (No, Cancel, Abort) and a dialog is cancelled.
  void QueueYesNo(bool yes) { yes_no_.push_back(yes); }
  void QueueYesNoCancel(TYesNoCancel a) { yes_no_cancel_.push_back(a); }
  void QueueYesNoAll(TYesNoAll a) { yes_no_all_.push_back(a); }
  void QueueRetry(bool retry) { retry_.push_back(retry); }
  void QueuePath(std::string path) { paths_.push_back(std::move(path)); }
  void QueueText(std::string text) { texts_.push_back(std::move(text)); }

  const std::vector<Event>& Events() const { return events_; }
  // The texts of the events of one kind, in order.
  std::vector<std::string> Texts(const std::string& kind) const;
  void ClearEvents() { events_.clear(); }

  void ShowMessage(TMessageKind kind, const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
  TYesNoCancel AskYesNoCancel(const std::string& text) override;
  TYesNoAll AskYesNoAll(const std::string& text) override;
  bool AskRetry(const std::string& text) override;
  bool OpenFileDialog(const std::string& title, const std::string& filter,
                      std::string& path) override;
  bool SaveFileDialog(const std::string& title, const std::string& filter,
                      std::string& path) override;
  bool SelectFolderDialog(const std::string& title, std::string& path) override;
  bool InputText(const std::string& title, const std::string& prompt, std::string& value) override;
  bool CheckList(const std::string& title, const std::vector<std::string>& items,
                 std::vector<bool>& checked) override;
  bool OpenDocument(const std::string& path_or_url) override;
  void SetClipboardText(const std::string& text) override { clipboard_ = text; }
  std::string ClipboardText() override { return clipboard_; }

 private:
  bool NextPath(const std::string& kind, const std::string& title, std::string& path);

  std::vector<Event> events_;
  std::deque<bool> yes_no_, retry_;
  std::deque<TYesNoCancel> yes_no_cancel_;
  std::deque<TYesNoAll> yes_no_all_;
  std::deque<std::string> paths_, texts_;
  std::string clipboard_;
};

}  // namespace quillora::testing
