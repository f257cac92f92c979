#include "app/qt_user_interface.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QMetaObject>
#include <QObject>
#include <QRegularExpression>
#include <exception>
#include <stdexcept>

#include "app/busy_dialog.h"
#include "app/check_list_dialog.h"
#include "app/qt_text.h"

namespace quillora::app {

namespace {

// Stored messages break lines with CR (or CR LF).
QString MessageText(const std::string& text) {
  QString s = ToQString(text);
  s.replace("\r\n", "\n");
  s.replace(u'\r', u'\n');
  return s;
}

QMessageBox::StandardButton Ask(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                const std::string& text, QMessageBox::StandardButtons buttons,
                                QMessageBox::StandardButton escape) {
  QMessageBox box(icon, caption, MessageText(text), buttons, parent);
  box.setObjectName("dlgMessage");
  box.setEscapeButton(escape);
  box.exec();
  auto* clicked = box.clickedButton();
  return clicked ? box.standardButton(clicked) : escape;
}

// The first pattern's extension ("*.uibk" gives "uibk"), for names typed without one.
QString DefaultSuffix(const std::string& filter) {
  static const QRegularExpression pattern(R"(\|\*\.([A-Za-z0-9_]+))");
  const QRegularExpressionMatch m = pattern.match(ToQString(filter));
  return m.hasMatch() ? m.captured(1) : QString();
}

}  // namespace

TQtUserInterface::TQtUserInterface() : invoker_(std::make_unique<QObject>()) {
  SetUI(this);
}

TQtUserInterface::~TQtUserInterface() {
  delete busy_.data();
  SetUI(nullptr);
}

TBusyDialog* TQtUserInterface::BusyDialog() const {
  return busy_depth_ > 0 ? busy_.data() : nullptr;
}

QWidget* TQtUserInterface::DialogParent() const {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  if (QWidget* active = QApplication::activeWindow()) return active;
  return main_window_.data();
}

void TQtUserInterface::DoShowMessage(TMessageKind kind, const std::string& text) {
  const auto icon = kind == TMessageKind::Error     ? QMessageBox::Critical
                    : kind == TMessageKind::Warning ? QMessageBox::Warning
                                                    : QMessageBox::Information;
  const QString caption = kind == TMessageKind::Error     ? "Error"
                          : kind == TMessageKind::Warning ? "Warning"
                                                          : "Information";
  Ask(DialogParent(), icon, caption, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool TQtUserInterface::DoAskYesNo(const std::string& text) {
  return Ask(DialogParent(), QMessageBox::Question, "Confirm", text,
             QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

bool TQtUserInterface::AskWarningYesNo(const std::string& text) {
  bool yes = false;
  Synchronize([&] {
    yes = Ask(DialogParent(), QMessageBox::Warning, "Warning", text,
              QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
  });
  return yes;
}

TYesNoCancel TQtUserInterface::DoAskYesNoCancel(const std::string& text) {
  switch (Ask(DialogParent(), QMessageBox::Question, "Confirm", text,
              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel)) {
    case QMessageBox::Yes:
      return TYesNoCancel::Yes;
    case QMessageBox::No:
      return TYesNoCancel::No;
    default:
      return TYesNoCancel::Cancel;
  }
}

TYesNoAll TQtUserInterface::DoAskYesNoAll(const std::string& text) {
  switch (Ask(DialogParent(), QMessageBox::Question, "Confirm", text,
              QMessageBox::Yes | QMessageBox::No | QMessageBox::YesToAll | QMessageBox::NoToAll,
              QMessageBox::No)) {
    case QMessageBox::Yes:
      return TYesNoAll::Yes;
    case QMessageBox::YesToAll:
      return TYesNoAll::YesToAll;
    case QMessageBox::NoToAll:
      return TYesNoAll::NoToAll;
    default:
      return TYesNoAll::No;
  }
}

bool TQtUserInterface::DoAskRetry(const std::string& text) {
  return Ask(DialogParent(), QMessageBox::Critical, "Error", text,
             QMessageBox::Abort | QMessageBox::Retry, QMessageBox::Abort) == QMessageBox::Retry;
}

bool TQtUserInterface::DoOpenFileDialog(const std::string& title, const std::string& filter,
                                        std::string& path) {
  QFileDialog dialog(DialogParent(), ToQString(title), PathToQString(path), DialogFilter(filter));
  dialog.setObjectName("dlgOpen");
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  path = PathFromQString(dialog.selectedFiles().first());
  return true;
}

bool TQtUserInterface::DoSaveFileDialog(const std::string& title, const std::string& filter,
                                        std::string& path) {
  QFileDialog dialog(DialogParent(), ToQString(title), PathToQString(path), DialogFilter(filter));
  dialog.setObjectName("dlgSave");
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(DefaultSuffix(filter));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  path = PathFromQString(dialog.selectedFiles().first());
  return true;
}

bool TQtUserInterface::DoSelectFolderDialog(const std::string& title, std::string& path) {
  QFileDialog dialog(DialogParent(), ToQString(title), PathToQString(path));
  dialog.setObjectName("dlgFolder");
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  path = PathFromQString(dialog.selectedFiles().first());
  if (!path.empty() && path.back() != '/') path += '/';
  return true;
}

bool TQtUserInterface::DoInputText(const std::string& title, const std::string& prompt,
                                   std::string& value) {
  QInputDialog dialog(DialogParent());
  dialog.setObjectName("dlgInput");
  dialog.setWindowTitle(ToQString(title));
  dialog.setLabelText(MessageText(prompt));
  dialog.setTextValue(ToQString(value));
  if (dialog.exec() != QDialog::Accepted) return false;
  value = FromQString(dialog.textValue());
  return true;
}

bool TQtUserInterface::DoCheckList(const std::string& title, const std::vector<std::string>& items,
                                   std::vector<bool>& checked) {
  TdlgCheckListBox dialog(ToQString(title), items, checked, DialogParent());
  if (dialog.exec() != QDialog::Accepted) return false;
  checked = dialog.Checked();
  return true;
}

void TQtUserInterface::DoBeginBusy(const std::string& caption) {
  if (busy_depth_++ > 0) {
    busy_->SetCaption(ToQString(caption));
    return;
  }
  if (!busy_) busy_ = new TBusyDialog(main_window_.data());
  busy_->ResetStop();
  busy_->SetCaption(ToQString(caption));
  busy_->SetProgress(0, 0);
  busy_->show();
  busy_->raise();
  QCoreApplication::processEvents();
}

bool TQtUserInterface::DoProgress(long long position, long long total) {
  if (busy_depth_ == 0) return true;
  busy_->SetProgress(position, total);
  // Work that runs on this thread gets its window painted and its Stop clicked only here.
  QCoreApplication::processEvents();
  return !busy_->StopRequested();
}

void TQtUserInterface::DoEndBusy() {
  if (busy_depth_ == 0 || --busy_depth_ > 0) return;
  busy_->hide();
}

bool TQtUserInterface::DoOpenDocument(const std::string& path_or_url) {
  const bool is_address =
      path_or_url.find("://") != std::string::npos || path_or_url.rfind("mailto:", 0) == 0;
  const QUrl url =
      is_address ? QUrl(ToQString(path_or_url)) : QUrl::fromLocalFile(PathToQString(path_or_url));
  return open_url ? open_url(url) : QDesktopServices::openUrl(url);
}

void TQtUserInterface::DoSetClipboardText(const std::string& text) {
  QGuiApplication::clipboard()->setText(ToQString(text));
}

std::string TQtUserInterface::DoClipboardText() {
  return FromQString(QGuiApplication::clipboard()->text());
}

void TQtUserInterface::HandOver(const std::function<void()>& fn) {
  std::exception_ptr error;
  const bool delivered = QMetaObject::invokeMethod(
      invoker_.get(),
      [&] {
        try {
          fn();
        } catch (...) {
          error = std::current_exception();
        }
      },
      Qt::BlockingQueuedConnection);
  if (!delivered) throw std::runtime_error("The user interface is no longer running");
  if (error) std::rethrow_exception(error);
}

void TQtUserInterface::DoProcessMessages() {
  QCoreApplication::processEvents();
}

void TQtUserInterface::WaitForMessages() {
  // Sleeps in the event dispatcher until something arrives: a hand-over, a wake-up (both are
  // posted events), input or a timer.
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void TQtUserInterface::DoWakeUp() {
  QMetaObject::invokeMethod(
      invoker_.get(), [] {}, Qt::QueuedConnection);
}

}  // namespace quillora::app
