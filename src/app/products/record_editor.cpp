#include "app/products/record_editor.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/preferences/admin_mode.h"
#include "app/products/site_values_page.h"
#include "app/qt_text.h"
#include "foundation/app_state.h"
#include "foundation/files.h"
#include "foundation/ui_port.h"
#include "pad/pad_exchange.h"
#include "pad/pad_xml.h"

namespace quillora::app {

TRecordEditor::TRecordEditor(const QString& caption, QWidget* parent) : QDialog(parent) {
  setWindowTitle(caption);
  setModal(true);
  resize(760, 680);
  auto* layout = new QVBoxLayout(this);
  pages_ = new QTabWidget(this);
  pages_->setObjectName("PageControl");
  pages_->setUsesScrollButtons(true);
  layout->addWidget(pages_);
  auto* buttons = new QDialogButtonBox(this);
  save_ = buttons->addButton("Save", QDialogButtonBox::AcceptRole);
  save_->setObjectName("btnSave");
  save_->setDefault(true);
  auto* cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
  cancel->setObjectName("btnCancel");
  auto* help = buttons->addButton("Help", QDialogButtonBox::HelpRole);
  help->setObjectName("btnHelp");
  import_pad_ = buttons->addButton("Import from PAD", QDialogButtonBox::ActionRole);
  import_pad_->setObjectName("btnImportPAD");
  import_pad_->setVisible(false);
  export_pad_ = buttons->addButton("Export to PAD", QDialogButtonBox::ActionRole);
  export_pad_->setObjectName("btnExportPAD");
  export_pad_->setVisible(false);
  append_ = buttons->addButton("Append", QDialogButtonBox::ActionRole);
  append_->setObjectName("btnAppend");
  append_->setVisible(false);
  layout->addWidget(buttons);
  connect(append_, &QPushButton::clicked, this, [this] {
    if (const SitePageBinding* b = SitePageAt(pages_->currentIndex())) b->page->Append();
  });
  connect(import_pad_, &QPushButton::clicked, this, [this] {
    std::string path;
    if (UI().OpenFileDialog("Import", kPadFileFilter, path)) ImportPadInto(path);
  });
  connect(export_pad_, &QPushButton::clicked, this, [this] {
    std::string path = ProposedExportFile();
    if (UI().SaveFileDialog("Export", kPadFileFilter, path)) {
      if (ExtractFileExt(path).empty()) path += ".xml";
      ExportPadTo(path);
    }
  });
  connect(pages_, &QTabWidget::currentChanged, this, [this](int index) {
    if (!copy_ || current_page_ == index) return;
    if (current_page_ >= 0) PageLeft(current_page_);
    current_page_ = index;
    PageEntered(index);
  });
  connect(save_, &QPushButton::clicked, this, [this] { Save(); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(help, &QPushButton::clicked, this, [this] { OpenHelp(HelpTopic()); });

  if (ApplicationDataReady()) {
    try {
      rules_.Load(Folders().data + "pad/");
      rules_loaded_ = true;
    } catch (const std::exception&) {
      // Without its rule tables the editor still edits; it only cannot mark fields.
      rules_loaded_ = false;
    }
  }
}

QWidget* TRecordEditor::AddPage(const QString& caption, QFormLayout** form) {
  auto* scroll = new QScrollArea(pages_);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  auto* page = new QWidget(scroll);
  page->setObjectName("ts" + QString(caption).remove(' '));
  scroll->setWidget(page);
  pages_->addTab(scroll, caption);
  if (form) {
    *form = new QFormLayout(page);
    (*form)->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  }
  return page;
}

QLineEdit* TRecordEditor::AddTextRow(QFormLayout* form, const char* label, const char* name,
                                     const std::string& key) {
  auto* edit = new QLineEdit(form->parentWidget());
  edit->setObjectName(name);
  form->addRow(label, edit);
  fields_.AddText(key, edit);
  return edit;
}

void TRecordEditor::AddPendingPage(const QString& caption) {
  auto* page = new QWidget(pages_);
  page->setObjectName("ts" + QString(caption).remove(' '));
  const int index = pages_->addTab(page, caption);
  pages_->setTabEnabled(index, false);
}

void TRecordEditor::Finish() {
  fields_.OnChange(this, [this] {
    if (!loading_) Validate();
  });
}

bool TRecordEditor::Edit(TRecord& record) {
  if (isVisible()) {
    raise();
    activateWindow();
    return false;
  }
  copy_ = NewCopy();
  copy_->Assign(record);
  source_file_ = record.FileName;
  append_->setVisible(false);
  saved_ = false;
  ApplyAdminMode();
  loading_ = true;
  LoadFields();
  loading_ = false;
  Validate();
  pages_->blockSignals(true);
  pages_->setCurrentIndex(0);
  pages_->blockSignals(false);
  current_page_ = 0;
  PageEntered(0);
  exec();
  current_page_ = -1;
  if (saved_) record.Assign(*copy_);
  copy_.reset();
  return saved_;
}

void TRecordEditor::ApplyAdminMode() {
  const bool admin = AdminMode();
  if (uin_) uin_->setReadOnly(!admin);
  import_pad_->setVisible(admin);
  export_pad_->setVisible(admin);
}

bool TRecordEditor::ImportPadInto(const std::string& path) {
  if (!copy_) return false;
  if (ImportXmlInto(*copy_, path) != kXmlRead) {
    ShowError("Cannot import from " + path);
    return false;
  }
  loading_ = true;
  LoadFields();
  loading_ = false;
  if (current_page_ >= 0) PageEntered(current_page_);
  Validate();
  return true;
}

bool TRecordEditor::ExportPadTo(const std::string& path) {
  if (!copy_) return false;
  if (current_page_ >= 0) PageLeft(current_page_);
  StoreFields();
  if ((!FileExists(path) && !WritePadTemplate(path)) ||
      ExportXmlFrom(*copy_, path) != kXmlWritten) {
    ShowError("Cannot export to " + path);
    return false;
  }
  return true;
}

TSiteValuesPage* TRecordEditor::AddSitePage(const QString& caption, const QString& value_caption,
                                            bool logins, TSiteListsOf lists) {
  auto* page = new TSiteValuesPage(value_caption, logins, pages_);
  page->setObjectName("ts" + QString(caption).remove(' '));
  pages_->addTab(page, caption);
  site_pages_.push_back({page, std::move(lists)});
  return page;
}

const TRecordEditor::SitePageBinding* TRecordEditor::SitePageAt(int index) const {
  QWidget* widget = pages_->widget(index);
  for (const SitePageBinding& b : site_pages_)
    if (b.page == widget) return &b;
  return nullptr;
}

TSiteValuesPage* TRecordEditor::SitePage(const QString& caption) const {
  for (int i = 0; i < pages_->count(); ++i)
    if (pages_->tabText(i) == caption)
      if (const SitePageBinding* b = SitePageAt(i)) return b->page;
  return nullptr;
}

void TRecordEditor::PageEntered(int index) {
  const SitePageBinding* b = SitePageAt(index);
  append_->setVisible(b && b->page->Logins());
  if (!b || !copy_) return;
  auto [values, passwords] = b->lists(*copy_);
  if (values) b->page->Fill(*values, passwords);
}

void TRecordEditor::PageLeft(int index) {
  const SitePageBinding* b = SitePageAt(index);
  if (!b || !copy_) return;
  b->page->CommitPanel();
  auto [values, passwords] = b->lists(*copy_);
  if (values) b->page->WriteBack(*values, passwords);
}

std::vector<TEditorPage> TRecordEditor::PageStates() const {
  std::vector<TEditorPage> pages;
  for (int i = 0; i < pages_->count(); ++i)
    pages.push_back({FromQString(pages_->tabText(i)), i == 0 || pages_->isTabVisible(i)});
  return pages;
}

void TRecordEditor::ApplyPageStates(const std::vector<TEditorPage>& pages) {
  for (int i = 1; i < pages_->count() && i < static_cast<int>(pages.size()); ++i)
    pages_->setTabVisible(i, pages[static_cast<size_t>(i)].visible);
}

void TRecordEditor::RestorePages(const TOptionsList& settings) {
  std::vector<TEditorPage> pages = PageStates();
  RestoreEditorPages(settings, SettingsPrefix(), pages);
  ApplyPageStates(pages);
}

void TRecordEditor::SavePages(TOptionsList& settings) const {
  SaveEditorPages(settings, SettingsPrefix(), PageStates());
}

void TRecordEditor::LoadFields() {
  fields_.Load(*copy_);
}

void TRecordEditor::StoreFields() {
  fields_.Store(*copy_);
}

void TRecordEditor::Save() {
  // A field being edited commits when it loses the keyboard.
  save_->setFocus();
  if (!copy_) return;
  if (current_page_ >= 0) PageLeft(current_page_);
  StoreFields();
  saved_ = true;
  accept();
}

void TRecordEditor::CollectForValidation(TOptionsList& values) const {
  fields_.Collect(values);
}

void TRecordEditor::MarkProblems(const std::vector<TPadProblem>& problems) {
  fields_.Mark(problems);
}

void TRecordEditor::Validate() {
  if (!rules_loaded_ || !copy_) return;
  TOptionsList values;
  CollectForValidation(values);
  // Only what this editor shows can be marked; rules for other fields are the PAD check's.
  MarkProblems(ValidatePad(values, PadVersionOf(values), rules_));
}

void TRecordEditor::closeEvent(QCloseEvent* event) {
  // Save and Cancel have decided already; only the close box asks.
  if (result() == QDialog::Accepted || !isVisible() || saved_) {
    QDialog::closeEvent(event);
    return;
  }
  if (copy_ && AskYesNo("Save changes?")) {
    event->ignore();
    Save();
    return;
  }
  QDialog::closeEvent(event);
}

void TRecordEditor::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
    OpenHelp(HelpTopic());
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace quillora::app
