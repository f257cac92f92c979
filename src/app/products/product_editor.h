// The product editor ("Product editor"): program information, files and sizes, descriptions per
// language with their length limits, web addresses, permissions and this program's own fields.
#pragma once

#include <QStringList>
#include <string>
#include <utility>
#include <vector>

#include "app/products/record_editor.h"

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QTableWidget;

namespace quillora::app {

class THtmlEditorPage;

class TfrmProductEditor : public TRecordEditor {
  Q_OBJECT
 public:
  explicit TfrmProductEditor(QWidget* parent = nullptr);
  ~TfrmProductEditor() override;

  QComboBox* DescriptionLanguages() const { return desc_language_; }
  QLabel* CharactersLeft() const { return chars_left_; }
  const TRecordFields& DescriptionFields() const { return desc_fields_; }
  // Adds a language to the description language box (what "+" does once a name is chosen).
  void AddDescriptionLanguage(const QString& language);
  // "-": the English descriptions stay; others go from the box after a question.
  void RemoveDescriptionLanguage();

  // tool123.zip gives tool.zip: the digits, spaces, "-" and "." before the extension go.
  static QString GenericFileName(const QString& name);
  // The file buttons: names (versioned, previous, generic) and sizes from a chosen file.
  void FillFromVersionedFile(const std::string& path);
  void FillSizes(const std::string& path);
  QListWidget* Categories() const { return categories_; }
  // The pages made from the page files of the data folder, in page order.
  const std::vector<THtmlEditorPage*>& HtmlPages() const { return html_pages_; }

  // The description fields' limits: Char_Desc_45 ... Char_Desc_2000.
  static constexpr int kDescriptionLimits[5] = {45, 80, 250, 450, 2000};

 protected:
  std::unique_ptr<TRecord> NewCopy() const override;
  void LoadFields() override;
  void StoreFields() override;
  std::string HelpTopic() const override;
  std::string SettingsPrefix() const override { return "Product_Editor"; }
  int ImportXmlInto(TRecord& copy, const std::string& path) override;
  int ExportXmlFrom(TRecord& copy, const std::string& path) override;
  std::string ProposedExportFile() const override;
  void PageEntered(int index) override;
  void PageLeft(int index) override;
  void CollectForValidation(TOptionsList& values) const override;
  void MarkProblems(const std::vector<TPadProblem>& problems) override;

 private:
  void BuildProgramInfo1();
  void BuildProgramInfo2();
  void BuildDescriptions();
  void BuildWebInfo();
  void BuildPermissions();
  void BuildSimtel();
  void BuildUserDefined();
  // A key of the record that no PAD field or description names: the "User Defined" page's.
  static bool IsUserDefinedKey(const std::string& key);
  void BuildCategories(QWidget* page, QFormLayout* form);
  void AddCategory();
  void RemoveCategory();
  void MoveCategory(int step);
  QString CategoriesText() const;
  void BuildVcl();
  void BuildOwnFields();
  void BuildHtmlPages();
  // The six description fields of a language between the copy and the fields.
  void LoadDescriptions(const QString& language);
  void StoreDescriptions(const QString& language);
  void DescriptionLanguageChanged();
  void UpdateCharactersLeft();
  // Recomputes the other two sizes from the one the user is typing in.
  void SizeEdited(int which);
  void ProgramNameEdited(const QString& name);

  TRecordFields desc_fields_;
  QComboBox* desc_language_ = nullptr;
  QString shown_language_;
  QLabel* chars_left_ = nullptr;
  std::vector<QWidget*> desc_widgets_;  // the five descriptions, 45 to 2000
  QListWidget* languages_ = nullptr;
  QListWidget* categories_ = nullptr;
  QTableWidget* user_defined_ = nullptr;
  QComboBox* category_choice_ = nullptr;
  QLineEdit* sizes_[3] = {};  // bytes, K, MB
  QLineEdit* search_string_ = nullptr;
  bool loading_descriptions_ = false;
  // The VCL page's "Supported" boxes: "TRUE" / "FALSE".
  std::vector<std::pair<std::string, QCheckBox*>> vcl_supported_;
  std::vector<THtmlEditorPage*> html_pages_;
};

}  // namespace quillora::app
