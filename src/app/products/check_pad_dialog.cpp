#include "app/products/check_pad_dialog.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

#include "app/qt_text.h"
#include "foundation/app_state.h"
#include "foundation/files.h"
#include "foundation/ui_port.h"
#include "net/transfer_result.h"
#include "net/transfers.h"
#include "pad/product_data.h"
#include "pad/profile.h"

namespace quillora::app {

namespace {

// Fetches on this thread; the dialog keeps painting while the transfer runs.
std::string Fetch(const std::string& url, const std::string& file) {
  std::string address = url;
  const TTransferResult result =
      DownloadToFile(address, file, nullptr, {}, false, [](int64_t, int64_t, TProgressStage) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
      });
  return result == trNoError ? std::string() : TransferResultText(result);
}

}  // namespace

TdlgCheckPAD::TdlgCheckPAD(QWidget* parent) : QDialog(parent) {
  setObjectName("dlgCheckPAD");
  setWindowTitle("Check PAD");
  setModal(true);
  resize(720, 480);
  auto* layout = new QVBoxLayout(this);
  auto* body = new QHBoxLayout;
  log_ = new QTextEdit(this);
  log_->setObjectName("memLog");
  log_->setReadOnly(true);
  log_->setLineWrapMode(QTextEdit::NoWrap);
  body->addWidget(log_, 1);
  picture_ = new QLabel(this);
  picture_->setObjectName("imgPicture");
  picture_->setFrameShape(QFrame::StyledPanel);
  picture_->setAlignment(Qt::AlignCenter);
  picture_->setFixedSize(200, 160);
  body->addWidget(picture_, 0, Qt::AlignTop);
  layout->addLayout(body, 1);
  auto* buttons = new QDialogButtonBox(this);
  start_ = buttons->addButton("Start", QDialogButtonBox::ActionRole);
  start_->setObjectName("btnStart");
  start_->setDefault(true);
  QPushButton* close = buttons->addButton("Close", QDialogButtonBox::RejectRole);
  close->setObjectName("btnClose");
  layout->addWidget(buttons);
  connect(start_, &QPushButton::clicked, this, [this] { Start(); });
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

void TdlgCheckPAD::Start() {
  if (running_ || !ApplicationDataReady() || !RecordListsReady()) return;
  running_ = true;
  start_->setEnabled(false);
  log_->clear();
  lines_.clear();
  TPadCheckHooks hooks;
  hooks.temp_folder = Folders().temp;
  ForceDirectories(hooks.temp_folder);
  hooks.download = Fetch;
  hooks.show_picture = [this](const std::string& file) { ShowPicture(file); };
  hooks.on_line = [this](const TPadLogLine& line) { AddLine(line); };
  try {
    RunPadCheck(ActiveProfile(), Tables().name_space, hooks);
  } catch (const std::exception& e) {
    ShowError(e.what());
  }
  start_->setEnabled(true);
  running_ = false;
}

void TdlgCheckPAD::AddLine(const TPadLogLine& line) {
  lines_.push_back(line);
  const QColor color = line.color == TPadLogColor::Error    ? QColor(Qt::red)
                       : line.color == TPadLogColor::Notice ? QColor(Qt::blue)
                                                            : palette().color(QPalette::Text);
  log_->setTextColor(color);
  log_->append(ToQString(line.text));
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TdlgCheckPAD::ShowPicture(const std::string& file) {
  QPixmap picture(ToQString(file));
  if (picture.isNull()) return;
  if (picture.width() > picture_->width() || picture.height() > picture_->height())
    picture = picture.scaled(picture_->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
  picture_->setPixmap(picture);
}

}  // namespace quillora::app
