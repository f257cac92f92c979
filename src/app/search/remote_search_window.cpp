#include "app/search/remote_search_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <thread>

#include "app/qt_text.h"
#include "app/search/search_window_parts.h"
#include "foundation/app_state.h"
#include "foundation/text_utils.h"
#include "foundation/ui_port.h"
#include "pad/product_data.h"
#include "pad/profile.h"
#include "pad/records.h"
#include "search/auto_search.h"
#include "search/search_request.h"
#include "sites/site.h"
#include "sites/site_list.h"

namespace quillora::app {

TfrmAutoSearch2::TfrmAutoSearch2(QWidget* parent) : QDialog(parent) {
  setObjectName("frmAutoSearch2");
  setWindowTitle("AutoSearch");
  setModal(true);
  resize(640, 520);

  TRemoteSearchSettings settings = TRemoteSearchSettings::FromProgram();
  server_mode_ = Settings().GetBool("External_Search") && !settings.url.empty();
  remote_ =
      std::make_unique<TRemoteSearch>(settings, ActiveProfile().GetString("Quillora/Product_UIN"),
                                      [this](const std::string& line) { LogLine(line); });

  const TAutoSearchSettings s = TAutoSearchSettings::FromSettings();
  threads_ = Spin(this, "seThreads", 1, 100, s.threads);
  timeout_ = Spin(this, "seTimeout", 1, 600, s.timeout);
  attempts_ = Spin(this, "seAttempts", 1, 100, s.attempts);
  threads_label_ = new QLabel("Number of threads:", this);
  attempts_label_ = new QLabel("Attempts per site:", this);
  auto* form = new QFormLayout;
  form->addRow(threads_label_, threads_);
  form->addRow("Time-out (seconds):", timeout_);
  form->addRow(attempts_label_, attempts_);
  auto* top = new QHBoxLayout;
  top->addLayout(form);
  top->addStretch();
  admin_ = new QCheckBox("Adimin mode", this);
  admin_->setObjectName("cbAdminMode");
  top->addWidget(admin_, 0, Qt::AlignTop);

  status_ = LogView(this, "memStatus");
  status_->setMaximumHeight(110);
  log_ = LogView(this, "memLog");
  label_ = new QLabel(this);
  label_->setObjectName("lblProgress");
  bar_ = new QProgressBar(this);
  bar_->setObjectName("pbProgress");
  bar_->setRange(0, 1);
  bar_->setValue(0);

  parse_panel_ = new QWidget(this);
  parse_panel_->setObjectName("pnlParse");
  auto* panel_layout = new QHBoxLayout(parse_panel_);
  panel_layout->setContentsMargins(0, 0, 0, 0);
  parse_ = new QPushButton("Parse...", parse_panel_);
  parse_->setObjectName("btnParse");
  panel_layout->addWidget(parse_);
  panel_layout->addStretch();

  auto* buttons = new QDialogButtonBox(this);
  start_ = buttons->addButton("Start...", QDialogButtonBox::ActionRole);
  start_->setObjectName("btnStart");
  stop_ = buttons->addButton("Stop", QDialogButtonBox::ActionRole);
  stop_->setObjectName("btnStop");
  close_ = buttons->addButton("Close", QDialogButtonBox::RejectRole);
  close_->setObjectName("btnClose");
  auto* help = buttons->addButton("Help", QDialogButtonBox::HelpRole);
  help->setObjectName("btnHelp");

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(status_);
  layout->addWidget(log_, 1);
  layout->addWidget(label_);
  layout->addWidget(bar_);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(parse_panel_);
  bottom->addWidget(buttons, 1);
  layout->addLayout(bottom);

  connect(start_, &QPushButton::clicked, this, [this] { Start(); });
  connect(stop_, &QPushButton::clicked, this, [this] { Stop(); });
  connect(parse_, &QPushButton::clicked, this, [this] { Parse(); });
  connect(close_, &QPushButton::clicked, this, [this] { close(); });
  connect(help, &QPushButton::clicked, this, [] { OpenHelp("autosearch.html"); });

  timer_ = new QTimer(this);
  connect(timer_, &QTimer::timeout, this, [this] { Tick(); });
  download_timer_ = new QTimer(this);
  download_timer_->setInterval(200);
  connect(download_timer_, &QTimer::timeout, this, [this] { PollDownload(); });

  parse_panel_->setVisible(Settings().GetBool("Enable_Hidden_Options"));
  if (server_mode_) {
    for (QWidget* w :
         {static_cast<QWidget*>(threads_), static_cast<QWidget*>(attempts_),
          static_cast<QWidget*>(threads_label_), static_cast<QWidget*>(attempts_label_)})
      w->setVisible(false);
    admin_->setVisible(Settings().GetBool("Enable_Hidden_Options"));
    const bool downloading = remote_->Download() != nullptr;
    start_->setEnabled(!downloading);
    parse_->setEnabled(!downloading);
    timer_->setInterval(timeout_->value() * 1000);
    // The first status is asked once the window is up, so that it shows while it waits.
    QTimer::singleShot(0, this, [this] {
      RefreshStatus();
      timer_->start();
    });
  } else {
    admin_->setVisible(false);
    stop_->setEnabled(false);
    timer_->setInterval(1000);
  }
}

TfrmAutoSearch2::~TfrmAutoSearch2() {
  if (fetch_thread_.joinable()) fetch_thread_.join();
  timer_->stop();
  download_timer_->stop();
}

void TfrmAutoSearch2::LogLine(const std::string& line) {
  // The local fetch reports from its own thread.
  if (QThread::currentThread() != thread()) {
    QMetaObject::invokeMethod(
        this, [this, line] { LogLine(line); }, Qt::QueuedConnection);
    return;
  }
  QString text = ToQString(line);
  if (text.endsWith("\r\n")) text.chop(2);
  text.replace("\r\n", "\n");
  log_->appendPlainText(text);
}

void TfrmAutoSearch2::StoreSpins() {
  TAutoSearchSettings{threads_->value(), timeout_->value(), attempts_->value()}.Store();
}

void TfrmAutoSearch2::EnableIdle() {
  start_->setEnabled(true);
  parse_->setEnabled(true);
  close_->setEnabled(true);
  if (!server_mode_) stop_->setEnabled(false);
}

std::string TfrmAutoSearch2::LastState() const {
  return status_lines_.empty() ? std::string() : JobStateWord(status_lines_.back());
}

void TfrmAutoSearch2::Start() {
  stop_requested_ = false;
  if (!server_mode_) {
    StartLocal();
    return;
  }
  const int state = status_lines_.empty() ? -1 : JobStateIndex(LastState());
  switch (state) {
    case -1:
    case 0:
      log_->clear();
      SubmitJob();
      break;
    case 2:
      log_->clear();
      StartProcessing();
      break;
    case 4:
      log_->clear();
      FetchArchive();
      break;
    case 6:
      status_->setPlainText("No response from server");
      break;
    default:
      break;
  }
}

void TfrmAutoSearch2::StartLocal() {
  status_->clear();
  log_->clear();
  if (!remote_->PrepareFolder([](const std::string& q) { return AskYesNo(q); })) return;
  TSiteList& list = SiteList();
  int eligible = 0;
  for (int i = 0; i < list.Count(); ++i)
    if (list.SiteAt(i)->Visible && list.SiteAt(i)->AutoSearchEnabled()) ++eligible;
  if (eligible == 0) return;
  bar_->setRange(0, eligible);
  bar_->setValue(0);
  start_->setEnabled(false);
  parse_->setEnabled(false);
  close_->setEnabled(false);
  stop_->setEnabled(true);
  StoreSpins();
  TRemoteSearchSettings& run = remote_->RunSettings();
  run.threads = threads_->value();
  run.timeout_seconds = timeout_->value();
  run.attempts = attempts_->value();
  remote_->on_fetched = [this](int done, int total) {
    QMetaObject::invokeMethod(
        this,
        [this, done, total] {
          if (stop_requested_) return;
          bar_->setRange(0, std::max(total, 1));
          bar_->setValue(done);
          label_->setText(ToQString(TAutoSearch::ProgressText(done, total)));
        },
        Qt::QueuedConnection);
  };
  label_->setText("Starting Threads...");
  fetching_ = true;
  // The pool of workers blocks until every page is in: it runs beside the window, which stays
  // responsive. The window is modal, so nothing else changes the site list meanwhile.
  if (fetch_thread_.joinable()) fetch_thread_.join();
  fetch_thread_ = std::thread([this] {
    try {
      remote_->FetchLocally(SiteList());
    } catch (const std::exception& e) {
      LogLine(std::string("ERROR: ") + e.what());
    }
    QMetaObject::invokeMethod(
        this, [this] { LocalFetchDone(); }, Qt::QueuedConnection);
  });
}

void TfrmAutoSearch2::LocalFetchDone() {
  fetching_ = false;
  bar_->setRange(0, 1);
  bar_->setValue(0);
  results_changed_ = true;
  stop_requested_ = false;
  Parse();
  LogLine("\r\n-= PROCESS COMPLETE =-\r\n");
  stop_->setEnabled(false);
  EnableIdle();
}

void TfrmAutoSearch2::Parse() {
  start_->setEnabled(false);
  parse_->setEnabled(false);
  stop_->setEnabled(true);
  parsing_ = true;
  label_->setText("Parsing...");
  QApplication::setOverrideCursor(Qt::WaitCursor);
  remote_->Parse(SiteList(), ActiveProfile());
  QApplication::restoreOverrideCursor();
  label_->clear();
  bar_->setValue(0);
  parsing_ = false;
  start_->setEnabled(true);
  parse_->setEnabled(true);
  if (!server_mode_) stop_->setEnabled(false);
  results_changed_ = true;
}

void TfrmAutoSearch2::SubmitJob() {
  start_->setEnabled(false);
  parse_->setEnabled(false);
  label_->setText("Preparing sites list...");
  TSiteList& list = SiteList();
  const auto inputs = TSearchInputs::FromProgram();
  std::vector<std::string> lines;
  bar_->setRange(0, std::max(list.Count(), 1));
  for (int i = 0; i < list.Count(); ++i) {
    if (list.SiteAt(i)->Visible) lines.push_back(JobLine(*list.SiteAt(i), *inputs));
    bar_->setValue(i + 1);
  }
  label_->setText("Sending a request...");
  sending_ = true;
  const bool ok = remote_->SubmitJob(lines);
  sending_ = false;
  bar_->setValue(0);
  label_->clear();
  if (ok) StartProcessing();
  start_->setEnabled(true);
  parse_->setEnabled(true);
}

void TfrmAutoSearch2::StartProcessing() {
  label_->setText("Starting process...");
  start_->setEnabled(false);
  parse_->setEnabled(false);
  sending_ = true;
  remote_->StartProcessing();
  sending_ = false;
  label_->clear();
  start_->setEnabled(true);
  parse_->setEnabled(true);
  RefreshStatus();
}

void TfrmAutoSearch2::FetchArchive() {
  if (remote_->Download()) {
    LogLine("ERROR: This product is already downloading");
    return;
  }
  if (!remote_->PrepareFolder([](const std::string& q) { return AskYesNo(q); })) return;
  if (!remote_->StartDownload()) return;
  label_->setText("Downloading search results...");
  start_->setEnabled(false);
  parse_->setEnabled(false);
  download_timer_->start();
}

void TfrmAutoSearch2::PollDownload() {
  TScriptDownload* d = remote_->Download();
  if (!d) {
    download_timer_->stop();
    return;
  }
  remote_->PollDownload();
  if (d->Total() > 0) {
    bar_->setRange(0, static_cast<int>(d->Total() / 1024) + 1);
    bar_->setValue(static_cast<int>(d->Received() / 1024));
    label_->setText(
        QString("%1 of %2 kilobytes downloaded").arg(d->Received() / 1024).arg(d->Total() / 1024));
  }
  if (!d->Finished()) return;
  download_timer_->stop();
  bar_->setRange(0, 1);
  bar_->setValue(0);
  label_->clear();
  if (remote_->UnpackArchive() > 0 && !admin_->isChecked()) {
    Parse();
    LogLine("\r\n-= PROCESS COMPLETE =-\r\n");
  }
  start_->setEnabled(true);
  parse_->setEnabled(true);
}

void TfrmAutoSearch2::RefreshStatus() {
  std::vector<std::string> lines;
  if (!remote_->RequestStatus(lines)) return;
  status_lines_ = lines;
  const std::string text = StatusViewText(
      status_lines_,
      [](const std::string& uin) {
        const TProduct* product = RecordListsReady() ? ProductList().FindByUin(uin) : nullptr;
        return product ? product->GetString("Program_Info/Program_Name") : std::string();
      },
      [this](const std::string& uin) {
        TDownloadProgress p;
        if (uin != ActiveProfile().GetString("Quillora/Product_UIN")) return p;
        if (TScriptDownload* d = remote_->Download()) p = {true, d->Received(), d->Total()};
        return p;
      });
  QString shown = ToQString(text);
  shown.replace("\r\n", "\n");
  status_->setPlainText(shown);
  // The bar follows the job of this product while the service processes it.
  const TStatusReply reply = ParseStatusReply(status_lines_);
  if (!reply.valid || status_lines_.empty()) return;
  const std::string state = JobStateWord(reply.current);
  if (state == "Processing") {
    std::vector<std::string> fields;
    size_t from = 0;
    for (size_t at; (at = reply.current.find('|', from)) != std::string::npos; from = at + 1)
      fields.push_back(reply.current.substr(from, at - from));
    fields.push_back(reply.current.substr(from));
    int done = 0, total = 0;
    if (fields.size() > 2 && TryStrToInt(fields[1], done) && TryStrToInt(fields[2], total)) {
      bar_->setRange(0, std::max(total, 1));
      bar_->setValue(done);
    }
    label_->setText(ToQString(DescribeStatusLine(reply.current)));
  } else if ((state == "Ready to download" || state == "Downloading") && !remote_->Download()) {
    bar_->setRange(0, 1);
    bar_->setValue(0);
    label_->clear();
  }
}

void TfrmAutoSearch2::Tick() {
  timer_->stop();
  RefreshStatus();
  timer_->setInterval(timeout_->value() * 1000);
  timer_->start();
}

void TfrmAutoSearch2::Stop() {
  stop_requested_ = true;
  if (parsing_) return;
  if (!server_mode_) {
    // The workers take no further site; the pages fetched so far are still judged.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    remote_->RequestStop();
    QApplication::restoreOverrideCursor();
    return;
  }
  if (remote_->Download()) {
    download_timer_->stop();
    remote_->StopDownload();
    bar_->setRange(0, 1);
    bar_->setValue(0);
    label_->clear();
    start_->setEnabled(true);
    parse_->setEnabled(true);
  } else if (LastState() == "Processing") {
    if (remote_->StopProcessing()) {
      bar_->setValue(0);
      label_->clear();
    }
  }
}

bool TfrmAutoSearch2::CanClose() {
  if (admin_->isChecked()) return true;
  if (parsing_) {
    LogLine("ERROR: Unable to close window when parsing the pages");
    return false;
  }
  if (sending_) {
    LogLine("ERROR: Unable to close window when sending command to script");
    return false;
  }
  return close_->isEnabled() && !fetching_;
}

void TfrmAutoSearch2::closeEvent(QCloseEvent* event) {
  if (!CanClose()) {
    event->ignore();
    return;
  }
  StoreSpins();
  timer_->stop();
  QDialog::closeEvent(event);
}

void TfrmAutoSearch2::reject() {
  if (!CanClose()) return;
  StoreSpins();
  timer_->stop();
  QDialog::reject();
}

void TfrmAutoSearch2::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1) {
    OpenHelp("autosearch.html");
    return;
  }
  if (server_mode_) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const QString typed = event->text();
    if (enter) {
      if (phrase_.Key('\r')) {
        parse_panel_->setVisible(!parse_panel_->isVisible());
        admin_->setVisible(!admin_->isVisible());
      }
      return;  // Enter is swallowed
    }
    if (typed.size() == 1 && typed[0].unicode() < 128) phrase_.Key(typed[0].toLatin1());
  }
  QDialog::keyPressEvent(event);
}

void TfrmAutoSearch2::changeEvent(QEvent* event) {
  if (event->type() == QEvent::WindowStateChange && isMinimized() && parentWidget())
    parentWidget()->window()->showMinimized();
  QDialog::changeEvent(event);
}

}  // namespace quillora::app
