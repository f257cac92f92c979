// The site editor: every option of one site on its pages (general, search and advanced options,
// stored forms, categories, comments, messages, contributor), its cover, and for contributors
// the upload to the site repository and the control panel. Edits go to a working copy; "Save"
// copies it back and saves the site file.
#pragma once

#include <memory>
#include <string>

#include "app/site_editor/editor_dialog.h"
#include "sites/site.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTreeWidget;
class QVBoxLayout;
class QWebEngineView;

namespace quillora::app {

class TdlgSiteEditor : public TEditorDialog {
  Q_OBJECT
 public:
  // known: the languages and categories the choices offer; without, they are gathered from the
  // site list.
  TdlgSiteEditor(TWebSite& site, const TSiteChoiceLists* known, QWidget* parent = nullptr);
  ~TdlgSiteEditor() override;

  // Every field into the working copy.
  void StoreFields();
  // Save: the working copy into the edited site, the new cover, the site file.
  void SaveSite();
  TWebSite& Working() { return *working_; }

  void EditChosenForm();
  void DeleteChosenForm();
  void UpdateScreenshot();
  void OpenControlPanel();
  // Sends the working copy to the site repository (or asks it to delete the site there).
  void Upload();
  // Fills the forms list, keeping the chosen row when it is still there.
  void RefreshForms();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildGeneral(QTabWidget* tabs);
  void BuildSearch(QTabWidget* tabs);
  void BuildAdvanced(QTabWidget* tabs);
  void BuildTemplates(QTabWidget* tabs);
  void BuildCategories(QTabWidget* tabs);
  void BuildComments(QTabWidget* tabs);
  void BuildMessages(QTabWidget* tabs);
  void BuildContributor(QTabWidget* tabs);
  void LoadFields();
  void ShowCover();
  void EditAddressOf(int purpose);
  bool AskPassword();

  TWebSite& site_;
  std::unique_ptr<TWebSite> working_;
  std::string file_name_;  // the edited site's file name without its folder
  bool image_changed_ = false;
  std::string password_;
  TSiteChoiceLists known_;

  QTabWidget* tabs_ = nullptr;
  QLineEdit* name_ = nullptr;
  QLineEdit* uin_ = nullptr;
  QLineEdit* addresses_[4] = {};
  QComboBox* language_ = nullptr;
  QComboBox* method_ = nullptr;
  QSpinBox* rating_ = nullptr;
  QCheckBox* protected_ = nullptr;
  QCheckBox* disabled_ = nullptr;
  QLabel* cover_ = nullptr;
  QCheckBox* auto_search_ = nullptr;
  QLineEdit* subst_space_ = nullptr;
  QLineEdit* custom_not_found_ = nullptr;
  QSpinBox* min_match_ = nullptr;
  QSpinBox* min_match_pos_ = nullptr;
  QCheckBox* disable_not_found_ = nullptr;
  QCheckBox* do_not_encode_ = nullptr;
  QCheckBox* disable_scripts_ = nullptr;
  QComboBox* popups_ = nullptr;
  QTreeWidget* forms_ = nullptr;
  QPushButton* edit_form_ = nullptr;
  QPushButton* delete_form_ = nullptr;
  QComboBox* categories_[4] = {};
  QCheckBox* payment_ = nullptr;
  QCheckBox* control_panel_flag_ = nullptr;
  QPlainTextEdit* comments_ = nullptr;
  QPlainTextEdit* messages_[4] = {};
  QLineEdit* contributor_[4] = {};
  QWidget* upload_group_ = nullptr;
  QLineEdit* login_ = nullptr;
  QComboBox* upload_choice_ = nullptr;
  QPushButton* upload_ = nullptr;
  QWebEngineView* browser_ = nullptr;
  QVBoxLayout* contributor_layout_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

// Edits the site through a working copy; true when the user saved (the site and its file are
// updated). False at once while another site editor is open.
bool EditSite(QWidget* parent, TWebSite& site);
bool EditSite(QWidget* parent, TWebSite& site, const TSiteChoiceLists* known);

}  // namespace quillora::app
