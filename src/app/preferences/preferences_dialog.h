// The preferences dialog ("Preferences"): the sites grid's columns and font, the filter panel's
// Apply button, the automatic backup and the repository address; the e-mail method; the status
// colours; the submitter's options; which editor pages are shown. It is also where the admin
// pass phrase is typed.
#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QPointer>
#include <string>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QTabWidget;
class QTableView;
class QToolButton;

namespace quillora::app {

class TRecordEditor;

class TdlgOptions : public QDialog {
  Q_OBJECT
 public:
  enum Page { kSiteList = 0, kEMail = 1, kColors = 2, kSubmitter = 3, kPadEditors = 4 };
  static constexpr int kColorCount = 5;
  // "Default", "Found", "Not found", "Not supported", "Error" and their settings' suffixes.
  static const char* const kColorCaptions[kColorCount];
  static const char* const kColorKeys[kColorCount];

  explicit TdlgOptions(QWidget* parent = nullptr);
  ~TdlgOptions() override;

  // What the dialog edits besides the settings: the sites grid (columns, font) and the editors
  // (their pages). Either may be missing; its part of the dialog then lists nothing.
  void SetSitesGrid(QTableView* grid) { grid_ = grid; }
  void SetEditors(TRecordEditor* company, TRecordEditor* product) {
    company_editor_ = company;
    product_editor_ = product;
  }

  // Loads the controls and runs the dialog on the page (the first shown page when that one is
  // hidden). True when the user saved. A dialog already showing is only brought to the front.
  bool Show(int page);
  // Stores every control into the settings and applies the settings to the grid and editors.
  void Save();

  QTabWidget* Pages() const { return pages_; }
  QListWidget* Columns() const { return columns_; }
  QListWidget* CompanyPages() const { return company_pages_; }
  QListWidget* ProductPages() const { return product_pages_; }
  QFont SampleFont() const { return font_; }
  void SetSampleFont(const QFont& font);
  QColor TextColor(int i) const { return text_colors_[i]; }
  QColor BackgroundColor(int i) const { return backgrounds_[i]; }
  void SetColors(int i, const QColor& text, const QColor& background);
  // Moves the selected column entry up (-1) or down (+1).
  void MoveColumn(int step);

  // The admin pass phrase, compared character by character with case.
  static constexpr const char* kPassPhrase = "Lift the red flap";

 protected:
  void closeEvent(QCloseEvent* event) override;
  void done(int result) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildSiteListPage();
  void BuildEMailPage();
  void BuildColorsPage();
  void BuildSubmitterPage();
  void BuildEditorsPage();
  void Load();
  void ShowFont();
  void ShowColor(int i);
  void ChooseFont();
  void ChooseFontColor();
  void ChooseColor(int i, bool background);
  void UpdateMoveButtons();
  void PassPhraseCharacter(QChar c);
  static void FillPages(QListWidget* list, const TRecordEditor* editor);
  static void ApplyPages(const QListWidget* list, TRecordEditor* editor);

  QTabWidget* pages_ = nullptr;
  // Site List
  QListWidget* columns_ = nullptr;
  QToolButton* up_ = nullptr;
  QToolButton* down_ = nullptr;
  QCheckBox* show_apply_ = nullptr;
  QCheckBox* auto_backup_ = nullptr;
  QLineEdit* repository_ = nullptr;
  QLabel* font_sample_ = nullptr;
  QFont font_;
  QColor font_color_;
  std::string font_charset_;
  // E-Mail
  QRadioButton* use_mapi_ = nullptr;
  QRadioButton* use_eml_ = nullptr;
  // Colors
  QLabel* color_samples_[kColorCount] = {};
  QColor text_colors_[kColorCount];
  QColor backgrounds_[kColorCount];
  // Submitter
  QCheckBox* skip_images_ = nullptr;
  QComboBox* open_site_for_ = nullptr;
  QCheckBox* open_menu_ = nullptr;
  QCheckBox* keep_overrides_ = nullptr;
  // PAD Editors
  QListWidget* company_pages_ = nullptr;
  QListWidget* product_pages_ = nullptr;

  QTableView* grid_ = nullptr;
  TRecordEditor* company_editor_ = nullptr;
  TRecordEditor* product_editor_ = nullptr;
  int phrase_position_ = 1;
  const QEvent* last_key_event_ = nullptr;
  QPointer<QWidget> last_key_widget_;
  bool saved_ = false;
  bool decided_ = false;
};

}  // namespace quillora::app
