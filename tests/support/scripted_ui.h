// A user-interface port for tests: records every message and question and answers from a queue.
#pragma once

#include <deque>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "foundation/ui_port.h"

namespace quillora::test {

class ScriptedUI : public TUserInterface {
 public:
  struct Event {
    std::string kind;  // "error", "info", "warning", "yesno", "yesnocancel", "yesnoall", "retry",
                       // "dialog", ...
    std::string text;
    // Where the port answered: the thread that made the port, however the call was made.
    std::thread::id thread = std::this_thread::get_id();
  };

  // Installs itself as the process's port for its lifetime; the thread that makes it is the
  // user-interface thread.
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
  // The busy window's Stop: the n-th progress report (counting from 1) and every later one
  // answer that the user asked to stop. 0: never.
  void StopAtProgress(int n) { stop_at_progress_ = n; }

  const std::vector<Event>& Events() const { return events_; }
  // The texts of the events of one kind, in order.
  std::vector<std::string> Texts(const std::string& kind) const;
  void ClearEvents() { events_.clear(); }

  // The busy window: "begin <caption>" and "end", in order; and every progress report.
  const std::vector<std::string>& Busy() const { return busy_; }
  const std::vector<std::pair<long long, long long>>& ProgressReports() const { return progress_; }

 protected:
  void DoShowMessage(TMessageKind kind, const std::string& text) override;
  bool DoAskYesNo(const std::string& text) override;
  TYesNoCancel DoAskYesNoCancel(const std::string& text) override;
  TYesNoAll DoAskYesNoAll(const std::string& text) override;
  bool DoAskRetry(const std::string& text) override;
  bool DoOpenFileDialog(const std::string& title, const std::string& filter,
                        std::string& path) override;
  bool DoSaveFileDialog(const std::string& title, const std::string& filter,
                        std::string& path) override;
  bool DoSelectFolderDialog(const std::string& title, std::string& path) override;
  bool DoInputText(const std::string& title, const std::string& prompt,
                   std::string& value) override;
  bool DoCheckList(const std::string& title, const std::vector<std::string>& items,
                   std::vector<bool>& checked) override;
  void DoBeginBusy(const std::string& caption) override;
  bool DoProgress(long long position, long long total) override;
  void DoEndBusy() override;
  bool DoOpenDocument(const std::string& path_or_url) override;
  void DoSetClipboardText(const std::string& text) override { clipboard_ = text; }
  std::string DoClipboardText() override { return clipboard_; }

 private:
  bool NextPath(const std::string& kind, const std::string& title, std::string& path);

  std::vector<Event> events_;
  std::deque<bool> yes_no_, retry_;
  std::deque<TYesNoCancel> yes_no_cancel_;
  std::deque<TYesNoAll> yes_no_all_;
  std::deque<std::string> paths_, texts_;
  std::string clipboard_;
  std::vector<std::string> busy_;
  std::vector<std::pair<long long, long long>> progress_;
  int stop_at_progress_ = 0;
};

}  // namespace quillora::test
