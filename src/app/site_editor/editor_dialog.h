// What the site, address and form editors share as windows: the close box asks "Save changes?",
// Escape leaves without a question, F1 says there is no help, and one window of each kind at a
// time.
#pragma once

#include <QDialog>

#include "app/preferences/admin_mode.h"

namespace quillora::app {

class TEditorDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TEditorDialog(QWidget* parent = nullptr);
  // While false (after an upload) only accepting closes the window.
  void SetCancelAllowed(bool allowed) { cancel_allowed_ = allowed; }
  bool CancelAllowed() const { return cancel_allowed_; }
  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  bool cancel_allowed_ = true;
};

// One window of a kind at a time: while slot holds an open window, AlreadyOpen brings it to the
// front and says so; TSingleWindow holds the slot for a window's life.
bool AlreadyOpen(QWidget* slot);
class TSingleWindow {
 public:
  TSingleWindow(QWidget*& slot, QWidget* window) : slot_(slot) { slot_ = window; }
  ~TSingleWindow() { slot_ = nullptr; }

 private:
  QWidget*& slot_;
};

}  // namespace quillora::app
