#include "app/update/site_update_dialogs.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include "app/qt_text.h"
#include "app/update/transfer_dialog.h"
#include "foundation/app_state.h"
#include "foundation/ui_port.h"
#include "sites/site_list.h"

namespace quillora::app {

namespace {

QPointer<QDialog> shown_update_man;
QPointer<QDialog> shown_upgrade;

QListWidget* LinesList(QWidget* parent, const char* name,
                       std::vector<std::string>::const_iterator from,
                       std::vector<std::string>::const_iterator to) {
  auto* list = new QListWidget(parent);
  list->setObjectName(name);
  for (auto it = from; it != to; ++it) list->addItem(ToQString(*it));
  return list;
}

}  // namespace

TdlgUpdateMan::TdlgUpdateMan(const TUpdateLists& lists, QWidget* parent) : QDialog(parent) {
  setObjectName("dlgUpdateMan");
  setWindowTitle("Update sites");
  // The lines come as: the total, the download heading and its entries, the obsolete heading
  // and its entries.
  const std::vector<std::string> lines = UpdateDialogLines(lists);
  const auto downloads_end = lines.begin() + 2 + static_cast<long>(lists.downloads.size());
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(ToQString(lines[0]), this));
  layout->addWidget(new QLabel(ToQString(lines[1]), this));
  downloads_ = LinesList(this, "lbDownload", lines.begin() + 2, downloads_end);
  layout->addWidget(downloads_, 2);
  layout->addWidget(new QLabel(ToQString(*downloads_end), this));
  obsolete_ = LinesList(this, "lbObsolete", downloads_end + 1, lines.end());
  layout->addWidget(obsolete_, 1);
  auto* buttons = new QDialogButtonBox(this);
  auto* ok = buttons->addButton("Ok", QDialogButtonBox::AcceptRole);
  ok->setObjectName("btnOk");
  auto* cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
  cancel->setObjectName("btnCancel");
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  resize(480, 420);
}

TdlgUpgradeQuery::TdlgUpgradeQuery(const std::string& server_build,
                                   const std::string& program_build, QWidget* parent)
    : QDialog(parent) {
  setObjectName("dlgUpgradeQuery");
  setWindowTitle("Upgrade");
  auto* layout = new QVBoxLayout(this);
  const std::vector<std::string> lines = UpgradeDialogLines(server_build, program_build);
  for (size_t i = 0; i < lines.size(); ++i) {
    auto* label = new QLabel(ToQString(lines[i]), this);
    label->setWordWrap(true);
    if (i == 0) {
      QFont bold = label->font();
      bold.setBold(true);
      label->setFont(bold);
    }
    layout->addWidget(label);
  }
  auto* buttons = new QDialogButtonBox(this);
  auto* upgrade = buttons->addButton("Upgrade", QDialogButtonBox::AcceptRole);
  upgrade->setObjectName("btnUpgrade");
  auto* go_on = buttons->addButton("Continue anyway", QDialogButtonBox::ActionRole);
  go_on->setObjectName("btnContinue");
  auto* cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
  cancel->setObjectName("btnCancel");
  layout->addWidget(buttons);
  connect(upgrade, &QPushButton::clicked, this, [this] {
    answer_ = TUpgradeAnswer::Upgrade;
    accept();
  });
  connect(go_on, &QPushButton::clicked, this, [this] {
    answer_ = TUpgradeAnswer::Continue;
    accept();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  setMinimumWidth(420);
}

TQtUpdateFrontEnd::TQtUpdateFrontEnd(QWidget* parent) : parent_(parent) {}

std::function<void(const std::string&)>& TQtUpdateFrontEnd::SubmitterOpener() {
  static std::function<void(const std::string&)> opener;
  return opener;
}

bool TQtUpdateFrontEnd::ConfirmUpdate(const TUpdateLists& lists) {
  if (shown_update_man) {
    shown_update_man->raise();
    shown_update_man->activateWindow();
    return false;
  }
  TdlgUpdateMan dialog(lists, parent_);
  shown_update_man = &dialog;
  return dialog.exec() == QDialog::Accepted;
}

TUpgradeAnswer TQtUpdateFrontEnd::AskUpgrade(const std::string& server_build,
                                             const std::string& program_build) {
  if (shown_upgrade) {
    shown_upgrade->raise();
    shown_upgrade->activateWindow();
    return TUpgradeAnswer::Cancel;
  }
  TdlgUpgradeQuery dialog(server_build, program_build, parent_);
  shown_upgrade = &dialog;
  dialog.exec();
  return dialog.Answer();
}

void TQtUpdateFrontEnd::OpenUpgradePage(const std::string& address) {
  if (SubmitterOpener())
    SubmitterOpener()(address);
  else
    UI().OpenDocument(address);
}

void TQtUpdateFrontEnd::ShowServerPage(const std::string& final_address, const std::string& page) {
  (void)page;  // the browser loads the address itself, the way the user will see it
  OpenUpgradePage(final_address);
}

bool RunSiteUpdate(QWidget* parent) {
  if (!SiteListReady()) return false;
  TQtUpdateFrontEnd front_end(parent);
  TfrmDownload window(parent);
  try {
    return UpdateFromServer(front_end, window.Model());
  } catch (const std::exception& e) {
    ShowError(e.what());
    return false;
  }
}

TAutoUpdateCheck::TAutoUpdateCheck(std::function<void()> run_update, QObject* parent)
    : QObject(parent), run_update_(std::move(run_update)) {
  delay_ = new QTimer(this);
  delay_->setSingleShot(true);
  connect(delay_, &QTimer::timeout, this, [this] { Check(); });
  poll_ = new QTimer(this);
  poll_->setInterval(100);
  connect(poll_, &QTimer::timeout, this, [this] { Poll(); });
}

TAutoUpdateCheck::~TAutoUpdateCheck() {
  abort_.Request();
  if (worker_.joinable()) worker_.join();
}

void TAutoUpdateCheck::SiteOpened() {
  if (done_ || scheduled_) return;
  if (Settings().GetBool("DisableAutoUpdate")) {
    done_ = true;
    return;
  }
  scheduled_ = true;
  delay_->start(delay_ms);
}

void TAutoUpdateCheck::Pause() {
  delay_was_active_ = delay_->isActive();
  poll_was_active_ = poll_->isActive();
  delay_->stop();
  poll_->stop();
}

void TAutoUpdateCheck::Resume() {
  if (delay_was_active_ && !done_) delay_->start();
  if (poll_was_active_) poll_->start();
  delay_was_active_ = poll_was_active_ = false;
}

void TAutoUpdateCheck::Cancel() {
  delay_->stop();
  done_ = true;
}

void TAutoUpdateCheck::Check() {
  if (done_ || !SiteListReady()) return;
  // Everything the check reads is copied here; the worker touches nothing shared.
  const TUpdateServer server = ReadUpdateServer(Settings());
  const std::string base = Settings().GetString("Server Base Exported");
  const std::string temp = SiteList().TempFolder;
  worker_ = std::thread([this, server, base, temp] {
    newer_ = CheckForUpdate(server, base, temp, &abort_);
    finished_ = true;
  });
  poll_->start();
}

void TAutoUpdateCheck::Poll() {
  if (!finished_) return;
  poll_->stop();
  if (worker_.joinable()) worker_.join();
  const bool run = newer_.exchange(false) && !done_;
  done_ = true;
  if (run && run_update_) run_update_();
}

}  // namespace quillora::app
