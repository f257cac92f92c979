#include "app/site_editor/editor_dialog.h"

#include <QCloseEvent>
#include <QKeyEvent>

#include "foundation/ui_port.h"

namespace quillora::app {

TEditorDialog::TEditorDialog(QWidget* parent) : QDialog(parent) {}

void TEditorDialog::reject() {
  if (cancel_allowed_) QDialog::reject();
}

void TEditorDialog::closeEvent(QCloseEvent* event) {
  event->ignore();
  if (AskYesNo("Save changes?")) {
    accept();
  } else if (cancel_allowed_) {
    QDialog::reject();
  }
}

void TEditorDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1) {
    ShowError("No help for this topic");
    return;
  }
  QDialog::keyPressEvent(event);
}

bool AlreadyOpen(QWidget* slot) {
  if (!slot) return false;
  slot->raise();
  slot->activateWindow();
  return true;
}

}  // namespace quillora::app
