// The user-interface port: the only way core code talks to the user (messages, questions,
// dialogs, progress) and hands work to the user-interface thread. The desktop app, the
// command line and the tests each install their own implementation.
#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quillora {

enum class TMessageKind { Error, Info, Warning };
enum class TYesNoCancel { Yes, No, Cancel };
enum class TYesNoAll { Yes, No, YesToAll, NoToAll };

// Every public member may be called from any thread. Off the user-interface thread a call is
// handed over with Synchronize: the caller waits until the user-interface thread has run it and
// gets its answer (or its exception). Implementations override the protected Do... members,
// which always run on the user-interface thread.
class TUserInterface {
 public:
  TUserInterface();
  virtual ~TUserInterface() = default;
  TUserInterface(const TUserInterface&) = delete;
  TUserInterface& operator=(const TUserInterface&) = delete;

  void ShowMessage(TMessageKind kind, const std::string& text);
  bool AskYesNo(const std::string& text);
  TYesNoCancel AskYesNoCancel(const std::string& text);
  // Yes / No / Yes to All / No to All.
  TYesNoAll AskYesNoAll(const std::string& text);
  // The Abort/Retry box: true for Retry.
  bool AskRetry(const std::string& text);

  // File and folder dialogs: false when cancelled. path holds the initial and the chosen path.
  bool OpenFileDialog(const std::string& title, const std::string& filter, std::string& path);
  bool SaveFileDialog(const std::string& title, const std::string& filter, std::string& path);
  bool SelectFolderDialog(const std::string& title, std::string& path);
  // A line of text; false when cancelled.
  bool InputText(const std::string& title, const std::string& prompt, std::string& value);
  // A list with check boxes; false when cancelled.
  bool CheckList(const std::string& title, const std::vector<std::string>& items,
                 std::vector<bool>& checked);

  // A busy window with progress; Progress returns false when the user asked to stop. Prefer
  // TBusyWindow, which closes the window however its scope is left.
  void BeginBusy(const std::string& caption);
  bool Progress(long long position, long long total);
  void EndBusy();

  // Opens a file or an address with the system's default program.
  bool OpenDocument(const std::string& path_or_url);
  void SetClipboardText(const std::string& text);
  std::string ClipboardText();

  // Runs fn on the user-interface thread and waits until it has run; an exception of fn is
  // rethrown to the caller. On the user-interface thread fn simply runs.
  void Synchronize(const std::function<void()>& fn);
  // One pass of the message loop: runs the hand-overs waiting. Does nothing off the
  // user-interface thread (a worker that polls must not run the user interface's work).
  void ProcessMessages();
  // Keeps the message loop going until done() holds. Whoever makes done() true calls WakeUp
  // afterwards, so the loop does not sleep on past it. Off the user-interface thread it only
  // waits. This is how the user-interface thread waits for a worker without deadlocking on the
  // worker's hand-overs.
  void ProcessMessagesUntil(const std::function<bool()>& done);
  void WakeUp();
  bool IsUserInterfaceThread() const { return std::this_thread::get_id() == ui_thread_; }

 protected:
  virtual void DoShowMessage(TMessageKind kind, const std::string& text) = 0;
  virtual bool DoAskYesNo(const std::string& text) = 0;
  virtual TYesNoCancel DoAskYesNoCancel(const std::string& text) = 0;
  virtual TYesNoAll DoAskYesNoAll(const std::string& text) = 0;
  virtual bool DoAskRetry(const std::string& text) = 0;
  virtual bool DoOpenFileDialog(const std::string& title, const std::string& filter,
                                std::string& path) = 0;
  virtual bool DoSaveFileDialog(const std::string& title, const std::string& filter,
                                std::string& path) = 0;
  virtual bool DoSelectFolderDialog(const std::string& title, std::string& path) = 0;
  virtual bool DoInputText(const std::string& title, const std::string& prompt,
                           std::string& value) = 0;
  virtual bool DoCheckList(const std::string& title, const std::vector<std::string>& items,
                           std::vector<bool>& checked) = 0;
  virtual void DoBeginBusy(const std::string& caption) { (void)caption; }
  virtual bool DoProgress(long long position, long long total) {
    (void)position, (void)total;
    return true;
  }
  virtual void DoEndBusy() {}
  virtual bool DoOpenDocument(const std::string& path_or_url) = 0;
  virtual void DoSetClipboardText(const std::string& text) = 0;
  virtual std::string DoClipboardText() = 0;

  // The hand-over machinery. The defaults keep a queue that the user-interface thread drains in
  // ProcessMessages; a toolkit host replaces them with its own (a blocking queued invocation,
  // one pass of its event loop, a wait for its next event, a wake-up of its event loop).
  // Runs fn on the user-interface thread and waits; called from other threads only.
  virtual void HandOver(const std::function<void()>& fn);
  virtual void DoProcessMessages();
  // Sleeps on the user-interface thread until a hand-over arrives or WakeUp is called.
  virtual void WaitForMessages();
  virtual void DoWakeUp() {}

  // True when the Do... members may run on any thread as they are; calls are then not handed
  // over (a port that never shows anything must not need a message loop to answer).
  virtual bool AnswersOnAnyThread() const { return false; }

 private:
  // Runs f here when that is allowed, else on the user-interface thread; returns its result.
  template <typename F>
  auto OnUserInterfaceThread(F&& f) -> decltype(f());

  struct Pending {
    const std::function<void()>* fn;
    bool done = false;
    std::exception_ptr error;
  };
  std::thread::id ui_thread_;
  std::mutex mutex_;
  std::condition_variable cv_;
  std::deque<Pending*> queue_;
  // WakeUp counts up; a waiter sleeps until the count differs from the one it last saw, so a
  // wake-up between its check and its sleep is not lost.
  unsigned long long wake_count_ = 0;
  unsigned long long ui_seen_wake_ = 0;
};

// A port that shows messages on stderr and gives every question its safe answer
// (No, Abort, Cancel). Installed until the program installs its own; answers on any thread.
class TSilentUserInterface : public TUserInterface {
 protected:
  void DoShowMessage(TMessageKind kind, const std::string& text) override;
  bool DoAskYesNo(const std::string&) override { return false; }
  TYesNoCancel DoAskYesNoCancel(const std::string&) override { return TYesNoCancel::Cancel; }
  TYesNoAll DoAskYesNoAll(const std::string&) override { return TYesNoAll::No; }
  bool DoAskRetry(const std::string&) override { return false; }
  bool DoOpenFileDialog(const std::string&, const std::string&, std::string&) override {
    return false;
  }
  bool DoSaveFileDialog(const std::string&, const std::string&, std::string&) override {
    return false;
  }
  bool DoSelectFolderDialog(const std::string&, std::string&) override { return false; }
  bool DoInputText(const std::string&, const std::string&, std::string&) override { return false; }
  bool DoCheckList(const std::string&, const std::vector<std::string>&,
                   std::vector<bool>&) override {
    return false;
  }
  bool DoOpenDocument(const std::string&) override { return false; }
  void DoSetClipboardText(const std::string& text) override;
  std::string DoClipboardText() override;
  bool AnswersOnAnyThread() const override { return true; }

 private:
  std::mutex clipboard_mutex_;
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

// The busy window for the length of a scope, closed also when the scope is left by an exception.
class TBusyWindow {
 public:
  explicit TBusyWindow(const std::string& caption);
  ~TBusyWindow();
  TBusyWindow(const TBusyWindow&) = delete;
  TBusyWindow& operator=(const TBusyWindow&) = delete;
  // Closes the window before the scope ends (a message that follows must not sit under it).
  void Close();

 private:
  TUserInterface& ui_;
  bool open_ = true;
};

}  // namespace quillora
