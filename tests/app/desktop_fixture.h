// The desktop program as the app tests start it: the core on a copy of the shipped data, the
// Qt user-interface port, the main window shown and its first showing done.
#pragma once

#include <QSignalSpy>

#include "app/main_window.h"
#include "app/qt_user_interface.h"
#include "app/startup.h"
#include "support/test_context.h"

namespace quillora::test {

// Shows the main window and waits (at most timeout_ms) for its first showing; false when it
// did not come.
inline bool ShowMainWindow(app::TDesktopSession& session, int timeout_ms = 10000) {
  QSignalSpy shown(session.MainWindow(), &app::TfrmMain::firstShowDone);
  session.Show();
  return shown.count() > 0 || shown.wait(timeout_ms);
}

// The main window shown with its Sites page current; nullptr when the window did not show.
inline app::TfraSites* ShowSites(app::TDesktopSession& session) {
  if (!ShowMainWindow(session)) return nullptr;
  session.MainWindow()->PageControl()->setCurrentIndex(app::TfrmMain::kSites);
  return session.MainWindow()->Sites();
}

struct TDesktop {
  TestData data;
  app::TQtUserInterface ui;
  app::TDesktopSession session{ui};

  bool Start() { return session.Start(data.Options()) && ShowMainWindow(session); }
  app::TfrmMain* Main() const { return session.MainWindow(); }
};

}  // namespace quillora::test
