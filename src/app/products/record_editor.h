// What the company and product editors share: a modal window over a private copy of one record
// that reaches the record only when the user saves, its pages, the Save / Cancel / Help buttons,
// the close box's question and the PAD validator's live marks.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/products/record_fields.h"
#include "foundation/window_state.h"
#include "pad/pad_validator.h"
#include "pad/records.h"

class QFormLayout;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace quillora::app {

class TSiteValuesPage;

class TRecordEditor : public QDialog {
  Q_OBJECT
 public:
  // Shows the editor modally with a copy of record; true when the user saved, and only then is
  // the record changed. An editor already showing is brought to the front and answers false.
  bool Edit(TRecord& record);

  QTabWidget* Pages() const { return pages_; }
  const TRecordFields& Fields() const { return fields_; }
  // The editing copy (valid while the editor shows).
  TRecord* Copy() const { return copy_.get(); }
  // Runs the validator over the fields as they are now and marks them.
  virtual void Validate();
  bool ValidatorLoaded() const { return rules_loaded_; }

  // Which pages show, in page order: what the preferences list and the settings keep under
  // SettingsPrefix() + " Tab " + caption. The first page always shows; entries beyond the pages
  // are ignored.
  std::vector<TEditorPage> PageStates() const;
  void ApplyPageStates(const std::vector<TEditorPage>& pages);
  // "Company_Editor" or "Product_Editor".
  virtual std::string SettingsPrefix() const = 0;
  void RestorePages(const TOptionsList& settings);
  void SavePages(TOptionsList& settings) const;

  QPushButton* ImportButton() const { return import_pad_; }
  QPushButton* AppendButton() const { return append_; }
  // The per-site page of that caption, or nullptr.
  TSiteValuesPage* SitePage(const QString& caption) const;
  QPushButton* ExportButton() const { return export_pad_; }
  // "Import from PAD" and "Export to PAD" (admin mode) on the editing copy; false after the
  // failure message.
  bool ImportPadInto(const std::string& path);
  bool ExportPadTo(const std::string& path);

 protected:
  TRecordEditor(const QString& caption, QWidget* parent);

  // Pages and their fields; the subclass builds them in its constructor and then calls Finish.
  QWidget* AddPage(const QString& caption, QFormLayout** form = nullptr);
  // A labelled line of a page's form bound to the record key.
  QLineEdit* AddTextRow(QFormLayout* form, const char* label, const char* name,
                        const std::string& key);
  // A page that is not built yet: present, disabled.
  void AddPendingPage(const QString& caption);
  void Finish();

  virtual std::unique_ptr<TRecord> NewCopy() const = 0;
  virtual void LoadFields();
  virtual void StoreFields();
  // The help topic of the current page.
  virtual std::string HelpTopic() const = 0;
  // Builds the values the validator reads; the subclass adds what the field list leaves out.
  virtual void CollectForValidation(TOptionsList& values) const;
  virtual void MarkProblems(const std::vector<TPadProblem>& problems);
  // The record-level PAD reading and writing of this editor's record kind.
  virtual int ImportXmlInto(TRecord& copy, const std::string& path) = 0;
  virtual int ExportXmlFrom(TRecord& copy, const std::string& path) = 0;
  // The export's proposed file; empty for none.
  virtual std::string ProposedExportFile() const { return {}; }
  // Pages that fill on entering and write back on leaving (the per-site pages here).
  virtual void PageEntered(int index);
  virtual void PageLeft(int index);
  // A per-site page over the copy's lists (the second only for logins: the passwords).
  using TSiteListsOf = std::function<std::pair<TOptionsList*, TOptionsList*>(TRecord&)>;
  TSiteValuesPage* AddSitePage(const QString& caption, const QString& value_caption, bool logins,
                               TSiteListsOf lists);
  const std::string& SourceFile() const { return source_file_; }

  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

  TRecordFields fields_;
  QLineEdit* uin_ = nullptr;

 private:
  void Save();
  void ApplyAdminMode();

  QTabWidget* pages_ = nullptr;
  QPushButton* save_ = nullptr;
  QPushButton* import_pad_ = nullptr;
  QPushButton* export_pad_ = nullptr;
  QPushButton* append_ = nullptr;
  int current_page_ = -1;
  std::string source_file_;
  struct SitePageBinding {
    TSiteValuesPage* page;
    TSiteListsOf lists;
  };
  std::vector<SitePageBinding> site_pages_;
  const SitePageBinding* SitePageAt(int index) const;
  std::unique_ptr<TRecord> copy_;
  TPadRules rules_;
  bool rules_loaded_ = false;
  bool saved_ = false;
  bool loading_ = false;
};

}  // namespace quillora::app
