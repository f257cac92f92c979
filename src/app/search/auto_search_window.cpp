#include "app/search/auto_search_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "app/qt_text.h"
#include "app/search/remote_search_window.h"
#include "app/search/search_window_parts.h"
#include "foundation/app_state.h"
#include "foundation/ui_port.h"
#include "pad/product_data.h"
#include "pad/profile.h"
#include "search/auto_search.h"
#include "search/search_results.h"
#include "search/search_single.h"
#include "sites/site.h"
#include "sites/site_list.h"

namespace quillora::app {

namespace {

void SetStatusLine(QListWidget* view, int slot, const std::string& line) {
  while (view->count() <= slot) view->addItem(QString());
  view->item(slot)->setText(ToQString(line));
}

}  // namespace

TfrmAutoSearch::TfrmAutoSearch(QWidget* parent) : QDialog(parent) {
  setObjectName("frmAutoSearch");
  setWindowTitle("AutoSearch");
  setModal(true);
  resize(640, 480);
  search_ = std::make_unique<TAutoSearch>(SiteList(), ActiveProfile());

  const TAutoSearchSettings s = TAutoSearchSettings::FromSettings();
  threads_ = Spin(this, "seThreads", 1, 100, s.threads);
  timeout_ = Spin(this, "seTimeout", 1, 600, s.timeout);
  attempts_ = Spin(this, "seAttempts", 1, 100, s.attempts);
  auto* numbers = new QHBoxLayout;
  auto* form = new QFormLayout;
  form->addRow("Number of threads:", threads_);
  form->addRow("Time-out (seconds):", timeout_);
  form->addRow("Attempts per site:", attempts_);
  numbers->addLayout(form);
  numbers->addStretch();

  status_ = new QListWidget(this);
  status_->setObjectName("lbStatus");
  status_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  status_->setMaximumHeight(120);
  log_ = LogView(this, "memLog");
  label_ = new QLabel(this);
  label_->setObjectName("lblProgress");
  bar_ = new QProgressBar(this);
  bar_->setObjectName("pbProgress");
  bar_->setRange(0, 1);
  bar_->setValue(0);

  auto* buttons = new QDialogButtonBox(this);
  start_ = buttons->addButton("Start", QDialogButtonBox::ActionRole);
  start_->setObjectName("btnStart");
  stop_ = buttons->addButton("Stop", QDialogButtonBox::ActionRole);
  stop_->setObjectName("btnStop");
  stop_->setEnabled(false);
  close_ = buttons->addButton("Close", QDialogButtonBox::RejectRole);
  close_->setObjectName("btnClose");
  auto* help = buttons->addButton("Help", QDialogButtonBox::HelpRole);
  help->setObjectName("btnHelp");

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(numbers);
  layout->addWidget(status_);
  layout->addWidget(log_, 1);
  layout->addWidget(label_);
  layout->addWidget(bar_);
  layout->addWidget(buttons);

  timer_ = new QTimer(this);
  timer_->setInterval(1000);
  connect(timer_, &QTimer::timeout, this, [this] { search_->Tick(); });
  connect(start_, &QPushButton::clicked, this, [this] { Start(); });
  connect(stop_, &QPushButton::clicked, this, [this] { Stop(); });
  connect(close_, &QPushButton::clicked, this, [this] { close(); });
  connect(help, &QPushButton::clicked, this, [] { OpenHelp("autosearch.html"); });

  search_->on_clear = [this] {
    status_->clear();
    log_->clear();
  };
  search_->on_status_line = [this](int slot, const std::string& line) {
    SetStatusLine(status_, slot, line);
  };
  search_->on_log = [this](const std::string& line) { log_->appendPlainText(ToQString(line)); };
  search_->on_label = [this](const std::string& text) { label_->setText(ToQString(text)); };
  search_->on_progress = [this](int position, int total) {
    bar_->setRange(0, std::max(total, 1));
    bar_->setValue(position);
  };
  search_->on_complete = [this] { Finish(); };
}

TfrmAutoSearch::~TfrmAutoSearch() {
  timer_->stop();
  // The controller's workers report through its callbacks until it is gone.
  search_.reset();
}

void TfrmAutoSearch::StoreSpins() {
  search_->settings = {threads_->value(), timeout_->value(), attempts_->value()};
  search_->settings.Store();
}

void TfrmAutoSearch::Start() {
  if (search_->Running()) return;
  search_->settings = {threads_->value(), timeout_->value(), attempts_->value()};
  started_ = true;
  if (!search_->Start()) return;
  start_->setEnabled(false);
  close_->setEnabled(false);
  stop_->setEnabled(true);
  timer_->start();
}

void TfrmAutoSearch::Stop() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  search_->RequestStop();
  QApplication::restoreOverrideCursor();
}

void TfrmAutoSearch::Finish() {
  timer_->stop();
  close_->setEnabled(true);
  stop_->setEnabled(false);
  start_->setEnabled(true);
}

void TfrmAutoSearch::closeEvent(QCloseEvent* event) {
  if (!close_->isEnabled()) {
    event->ignore();
    return;
  }
  StoreSpins();
  QDialog::closeEvent(event);
}

void TfrmAutoSearch::reject() {
  // Escape and the title bar's button close only when "Close" could.
  if (!close_->isEnabled()) return;
  StoreSpins();
  QDialog::reject();
}

void TfrmAutoSearch::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1) {
    OpenHelp("autosearch.html");
    return;
  }
  QDialog::keyPressEvent(event);
}

void TfrmAutoSearch::changeEvent(QEvent* event) {
  // Minimising the window takes the whole program down with it.
  if (event->type() == QEvent::WindowStateChange && isMinimized() && parentWidget())
    parentWidget()->window()->showMinimized();
  QDialog::changeEvent(event);
}

TfrmSearchSingle::TfrmSearchSingle(TWebSite& site, QWidget* parent) : QDialog(parent) {
  setObjectName("frmSearchSingle");
  setWindowTitle("AutoSearch");
  setModal(true);
  resize(600, 400);
  search_ = std::make_unique<TSearchSingle>(site, ActiveProfile());

  label_ = new QLabel(this);
  label_->setObjectName("lblSite");
  status_ = LogView(this, "memStatus");
  status_->setMaximumHeight(60);
  log_ = LogView(this, "memLog");
  auto* buttons = new QDialogButtonBox(this);
  button_ = buttons->addButton("Start", QDialogButtonBox::ActionRole);
  button_->setObjectName("btnStart");
  results_ = buttons->addButton("Results", QDialogButtonBox::ActionRole);
  results_->setObjectName("btnResults");
  results_->setEnabled(false);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label_);
  layout->addWidget(status_);
  layout->addWidget(log_, 1);
  layout->addWidget(buttons);

  connect(button_, &QPushButton::clicked, this, [this] { Press(); });
  connect(results_, &QPushButton::clicked, this,
          [] { UI().OpenDocument(TSearchSingle::ResultsFile()); });
  search_->on_clear = [this] {
    status_->clear();
    log_->clear();
  };
  search_->on_label = [this](const std::string& text) { label_->setText(ToQString(text)); };
  search_->on_status_line = [this](int, const std::string& line) {
    status_->setPlainText(ToQString(line));
  };
  search_->on_log = [this](const std::string& line) { log_->appendPlainText(ToQString(line)); };
  search_->on_state = [this] { UpdateState(); };
}

TfrmSearchSingle::~TfrmSearchSingle() {
  search_.reset();
}

void TfrmSearchSingle::Press() {
  if (search_->Press()) accept();
}

void TfrmSearchSingle::UpdateState() {
  button_->setText(ToQString(search_->ButtonCaption()));
  results_->setEnabled(search_->ResultsEnabled());
}

void TfrmSearchSingle::reject() {
  // A running test is stopped first, as its button would.
  if (search_->ButtonCaption() == "Stop") search_->Press();
  QDialog::reject();
}

void RunSingleSearchWindow(QWidget* parent, TWebSite* site) {
  if (!site || !ActiveProfileValues()) return;
  {
    TfrmSearchSingle window(*site, parent);
    window.exec();
  }
  StoreSearchResults(ActiveProfile());
}

bool RunBatchSearchWindow(QWidget* parent) {
  if (!ActiveProfileValues()) return false;
  bool changed = false;
  if (Settings().GetBool("New_Autosearch")) {
    TfrmAutoSearch2 window(parent);
    window.exec();
    changed = window.ResultsChanged();
  } else {
    TfrmAutoSearch window(parent);
    window.exec();
    changed = window.Started();
  }
  if (changed) StoreSearchResults(ActiveProfile());
  return changed;
}

}  // namespace quillora::app
