// The site-database update on the desktop: the update-manager and upgrade dialogs, the front end
// that shows them (and the server's pages in the Submitter page) with the transfer window, and
// the automatic check that runs once per run after the first site was opened.
#pragma once

#include <QDialog>
#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "net/site_update.h"

class QListWidget;
class QTimer;

namespace quillora::app {

// "Update sites": what the update will download and delete; "Ok" confirms.
class TdlgUpdateMan : public QDialog {
  Q_OBJECT
 public:
  TdlgUpdateMan(const TUpdateLists& lists, QWidget* parent = nullptr);
  QListWidget* Downloads() const { return downloads_; }
  QListWidget* Obsolete() const { return obsolete_; }

 private:
  QListWidget* downloads_;
  QListWidget* obsolete_;
};

// "Upgrade": the server's database was written by a newer build of the program.
class TdlgUpgradeQuery : public QDialog {
  Q_OBJECT
 public:
  TdlgUpgradeQuery(const std::string& server_build, const std::string& program_build,
                   QWidget* parent = nullptr);
  TUpgradeAnswer Answer() const { return answer_; }

 private:
  TUpgradeAnswer answer_ = TUpgradeAnswer::Cancel;
};

// The update's dialogs on Qt. A dialog asked for while one of its kind is shown brings that one
// to the front and answers "not confirmed" / Cancel.
class TQtUpdateFrontEnd : public TUpdateFrontEnd {
 public:
  explicit TQtUpdateFrontEnd(QWidget* parent);
  bool ConfirmUpdate(const TUpdateLists& lists) override;
  TUpgradeAnswer AskUpgrade(const std::string& server_build,
                            const std::string& program_build) override;
  void OpenUpgradePage(const std::string& address) override;
  void ShowServerPage(const std::string& final_address, const std::string& page) override;

  // Shows an address in the Submitter page; set by the main window. Without it the address goes
  // to the system's browser.
  static std::function<void(const std::string& address)>& SubmitterOpener();

 private:
  QWidget* parent_;
};

// "Update": the whole update with its dialogs and the transfer window; true when the sites
// changed (the sites view then refreshes).
bool RunSiteUpdate(QWidget* parent);

// The automatic check: scheduled the first time a site is opened (unless "DisableAutoUpdate"),
// it asks the server two minutes later, beside the user-interface thread, and runs the update
// when the server has a newer database. A manual update ends it.
class TAutoUpdateCheck : public QObject {
  Q_OBJECT
 public:
  // run_update runs the update and refreshes what shows the sites.
  TAutoUpdateCheck(std::function<void()> run_update, QObject* parent = nullptr);
  ~TAutoUpdateCheck() override;

  void SiteOpened();
  // A manual update: the pending check stops and is done.
  void Cancel();
  // The listing searches stop both timers while their window is open and give them back their
  // former state afterwards.
  void Pause();
  void Resume();
  bool Done() const { return done_; }
  bool Scheduled() const { return scheduled_; }
  // The delay before the check; tests shorten it.
  int delay_ms = 120000;

 private:
  void Check();
  void Poll();

  std::function<void()> run_update_;
  QTimer* delay_;
  QTimer* poll_;
  std::thread worker_;
  TTransferAbort abort_;
  std::atomic<bool> newer_{false};
  std::atomic<bool> finished_{false};
  bool done_ = false;
  bool scheduled_ = false;
  bool delay_was_active_ = false;
  bool poll_was_active_ = false;
};

}  // namespace quillora::app
