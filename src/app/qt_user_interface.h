// The desktop program's user-interface port: Qt message boxes and dialogs, the busy window, the
// clipboard and the desktop's default programs, and the hand-over to the GUI thread.
#pragma once

#include <QPointer>
#include <QUrl>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/ui_port.h"

class QObject;
class QWidget;

namespace quillora::app {

class TBusyDialog;

class TQtUserInterface : public TUserInterface {
 public:
  // Made on the GUI thread once the QApplication exists; that thread is the user-interface
  // thread. Installs itself as the process's port for its lifetime.
  TQtUserInterface();
  ~TQtUserInterface() override;

  // The window dialogs are centred on when no other window is active.
  void SetMainWindow(QWidget* window) { main_window_ = window; }
  // A question in a warning box (Yes/No), as the exit question asks it.
  bool AskWarningYesNo(const std::string& text);
  // Where OpenDocument sends an address; QDesktopServices unless replaced (tests).
  std::function<bool(const QUrl&)> open_url;
  // The busy window while one is open, else nullptr.
  TBusyDialog* BusyDialog() const;

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
  void DoSetClipboardText(const std::string& text) override;
  std::string DoClipboardText() override;

  void HandOver(const std::function<void()>& fn) override;
  void DoProcessMessages() override;
  void WaitForMessages() override;
  void DoWakeUp() override;

 private:
  QWidget* DialogParent() const;

  // Lives on the GUI thread: hand-overs and wake-ups are queued to it.
  std::unique_ptr<QObject> invoker_;
  QPointer<QWidget> main_window_;
  // Owned by the main window once it has one (a dialog of its own); the pointer clears when the
  // window takes it along, and the destructor deletes one left without a parent.
  QPointer<TBusyDialog> busy_;
  int busy_depth_ = 0;
};

}  // namespace quillora::app
