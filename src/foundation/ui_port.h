// The user-interface port: the only way core code talks to the user (messages, questions,
// dialogs, progress) and hands work to the user-interface thread. The desktop app, the
// command line and the tests each install their own implementation.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quillora {

enum class TMessageKind { Error, Info, Warning };
enum class TYesNoCancel { Yes, No, Cancel };
enum class TYesNoAll { Yes, No, YesToAll, NoToAll };

class TUserInterface {
 public:
  TUserInterface();
  virtual ~TUserInterface() = default;

  virtual void ShowMessage(TMessageKind kind, const std::string& text) = 0;
  virtual bool AskYesNo(const std::string& text) = 0;
  virtual TYesNoCancel AskYesNoCancel(const std::string& text) = 0;
  // Yes / No / Yes to All / No to All.
  virtual TYesNoAll AskYesNoAll(const std::string& text) = 0;
  // The Abort/Retry box: true for Retry.
  virtual bool AskRetry(const std::string& text) = 0;

  // File and folder dialogs: false when cancelled. path holds the initial and the chosen path.
  virtual bool OpenFileDialog(const std::string& title, const std::string& filter,
                              std::string& path) = 0;
  virtual bool SaveFileDialog(const std::string& title, const std::string& filter,
                              std::string& path) = 0;
  virtual bool SelectFolderDialog(const std::string& title, std::string& path) = 0;
  // A line of text; false when cancelled.
  virtual bool InputText(const std::string& title, const std::string& prompt,
                         std::string& value) = 0;
  // A list with check boxes; false when cancelled.
  virtual bool CheckList(const std::string& title, const std::vector<std::string>& items,
                         std::vector<bool>& checked) = 0;

  // A busy window with progress; Progress returns false when the user asked to stop.
  virtual void BeginBusy(const std::string& caption) { (void)caption; }
  virtual bool Progress(long long position, long long total) {
    (void)position, (void)total;
    return true;
  }
  virtual void EndBusy() {}

  // Opens a file or an address with the system's default program.
  virtual bool OpenDocument(const std::string& path_or_url) = 0;
  virtual void SetClipboardText(const std::string& text) = 0;
  virtual std::string ClipboardText() = 0;

  // Runs fn on the user-interface thread and waits until it has run. The default implementation
  // queues it for ProcessMessages on the thread that created this object.
  virtual void Synchronize(const std::function<void()>& fn);
  // One pass of the message loop: runs the queued hand-overs.
  virtual void ProcessMessages();
  bool IsUserInterfaceThread() const { return std::this_thread::get_id() == ui_thread_; }

 private:
  struct Pending {
    const std::function<void()>* fn;
    bool done = false;
    std::exception_ptr error;
  };
  std::thread::id ui_thread_;
  std::mutex mutex_;
  std::condition_variable cv_;
  std::deque<Pending*> queue_;
};

// A port that shows messages on stderr and gives every question its safe answer
// (No, Abort, Cancel). Installed until the program installs its own.
class TSilentUserInterface : public TUserInterface {
 public:
  void ShowMessage(TMessageKind kind, const std::string& text) override;
  bool AskYesNo(const std::string&) override { return false; }
  TYesNoCancel AskYesNoCancel(const std::string&) override { return TYesNoCancel::Cancel; }
  TYesNoAll AskYesNoAll(const std::string&) override { return TYesNoAll::No; }
  bool AskRetry(const std::string&) override { return false; }
  bool OpenFileDialog(const std::string&, const std::string&, std::string&) override {
    return false;
  }
  bool SaveFileDialog(const std::string&, const std::string&, std::string&) override {
    return false;
  }
  bool SelectFolderDialog(const std::string&, std::string&) override { return false; }
  bool InputText(const std::string&, const std::string&, std::string&) override { return false; }
  bool CheckList(const std::string&, const std::vector<std::string>&, std::vector<bool>&) override {
    return false;
  }
  bool OpenDocument(const std::string&) override { return false; }
  void SetClipboardText(const std::string& text) override { clipboard_ = text; }
  std::string ClipboardText() override { return clipboard_; }

 private:
  std::string clipboard_;
};

// The installed port (never null). SetUI does not take ownership; nullptr restores the silent one.
TUserInterface& UI();
void SetUI(TUserInterface* ui);

void ShowError(const std::string& text);
void ShowInfo(const std::string& text);
void ShowWarning(const std::string& text);
bool AskYesNo(const std::string& text);
inline void Synchronize(const std::function<void()>& fn) {
  UI().Synchronize(fn);
}
inline void ProcessMessages() {
  UI().ProcessMessages();
}

// Runs op until it succeeds: up to `attempts` tries `delay_ms` apart, then the Abort/Retry box
// with the last error's message (Retry starts another round). Abort rethrows the last error.
void RetryFileOperation(const std::function<void()>& op, int attempts = 200, int delay_ms = 10);

}  // namespace quillora
