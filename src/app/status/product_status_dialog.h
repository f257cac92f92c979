// The product status dialog: everything recorded about the active product at one site
// (versions, date, override, notes, logins), edited and saved together.
#pragma once

#include <QDialog>
#include <string>

#include "submit/status_records.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QComboBox;

namespace quillora {
class TWebSite;
class TProfile;
}  // namespace quillora

namespace quillora::app {

class TdlgProductStatus : public QDialog {
  Q_OBJECT
 public:
  // admin_mode makes the date submitted editable.
  TdlgProductStatus(TWebSite& site, TProfile& profile, bool admin_mode, QWidget* parent = nullptr);

  // Whether an override state was chosen (the Sites view re-sorts when it sorts by status).
  bool StateChosen() const { return state_chosen_; }
  // The fields as the dialog shows them now.
  TProductStatusFields Fields() const;

  void accept() override;
  void reject() override;

 private:
  bool Modified() const;
  bool Save();

  TWebSite& site_;
  TProfile& profile_;
  TProductStatusFields loaded_;
  std::string override_;
  bool state_chosen_ = false;
  QLineEdit* version_listed_;
  QComboBox* search_flag_;
  QLineEdit* version_submitted_;
  QLineEdit* date_submitted_;
  QPushButton* override_button_;
  QPlainTextEdit* company_notes_;
  QPlainTextEdit* product_notes_;
  QLineEdit* company_login_;
  QLineEdit* company_password_;
  QLineEdit* product_login_;
  QLineEdit* product_password_;
};

// Opens the dialog for the site; true when the user saved. resort tells whether a state was
// chosen while the Sites view sorts by status ("Sites List Sort" 7 or -7).
bool ShowProductStatus(TWebSite& site, TProfile& profile, bool admin_mode, QWidget* parent,
                       bool* resort = nullptr);

}  // namespace quillora::app
