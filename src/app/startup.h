// The desktop program's start and end: the splash and the core's data load, the windows made
// once, the first showing of the main window, and the shutdown in its fixed order.
#pragma once

#include <memory>
#include <string>

#include "core/core_context.h"

namespace quillora::app {

class TQtUserInterface;
class TfrmMain;
class TfrmSplash;

class TDesktopSession {
 public:
  explicit TDesktopSession(TQtUserInterface& ui);
  // Finishes the session when Finish was not called.
  ~TDesktopSession();
  TDesktopSession(const TDesktopSession&) = delete;
  TDesktopSession& operator=(const TDesktopSession&) = delete;

  // Shows the splash, runs the core's start-up with the site list's progress on the splash's
  // gauge, sets the transfer agent and makes the windows (hidden). False when the data load
  // failed (its message was shown); nothing else is made then.
  bool Start(TStartupOptions options);
  // Shows the main window; its first showing loads the records and hides the splash.
  void Show();
  // The end of the message loop: the windows go, then the core saves and releases everything.
  void Finish();

  TfrmMain* MainWindow() const { return main_.get(); }
  TfrmSplash* Splash() const { return splash_.get(); }
  TCoreContext* Core() const { return core_.get(); }

 private:
  TQtUserInterface& ui_;
  std::unique_ptr<TfrmSplash> splash_;
  std::unique_ptr<TCoreContext> core_;
  std::unique_ptr<TfrmMain> main_;
};

// The program: options, the session and the message loop. Returns the exit status.
int RunDesktop(int argc, char** argv);

}  // namespace quillora::app
