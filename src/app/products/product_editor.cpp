#include "app/products/product_editor.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "app/qt_text.h"
#include "foundation/app_state.h"
#include "foundation/text_utils.h"
#include "foundation/ui_port.h"
#include "pad/product_data.h"
#include "pad/profile.h"
#include "pad/records.h"

namespace quillora::app {

int DescriptionLimit(const std::string& key) {
  const size_t at = key.rfind("/Char_Desc_");
  if (at == std::string::npos) return 0;
  int limit = 0;
  return TryStrToInt(key.substr(at + 11), limit) ? limit : 0;
}

namespace {

// The page of a key: its first path element ("Program_Info", "Web_Info", ...).
QString PageOf(const std::string& key) {
  const size_t slash = key.find('/');
  return ToQString(slash == std::string::npos ? key : key.substr(0, slash)).replace('_', ' ');
}

// The caption of a key: its path below the page, blanks for underscores.
QString CaptionOf(const std::string& key) {
  const size_t slash = key.find('/');
  return ToQString(slash == std::string::npos ? key : key.substr(slash + 1))
             .replace('_', ' ')
             .replace('/', QString::fromUtf8(" \u203a ")) +
         ":";
}

// Stored texts break lines with CR LF; the boxes use LF.
QString ToBox(const std::string& text) {
  return ToQString(text).replace("\r\n", "\n");
}

}  // namespace

TfrmProductEditor::TfrmProductEditor(TProduct& product, QWidget* parent)
    : QDialog(parent), product_(product) {
  setObjectName("frmProductEditor");
  setWindowTitle("Product editor");
  auto* layout = new QVBoxLayout(this);
  auto* pages = new QTabWidget(this);
  pages->setObjectName("pcPages");
  layout->addWidget(pages, 1);

  std::map<QString, QFormLayout*> forms;
  const TOptionsList* keys = Tables().name_space.FindSection("Product");
  for (int i = 0; keys && i < keys->Count(); ++i) {
    const std::string key = Trim(keys->NameAt(i));
    if (key.empty()) continue;
    const QString page = PageOf(key);
    QFormLayout*& form = forms[page];
    if (!form) {
      auto* scroll = new QScrollArea(pages);
      scroll->setWidgetResizable(true);
      auto* inner = new QWidget(scroll);
      form = new QFormLayout(inner);
      scroll->setWidget(inner);
      pages->addTab(scroll, page);
    }
    QWidget* inner = form->parentWidget();
    const std::string value = product.GetString(key);
    if (const int limit = DescriptionLimit(key); limit > 0) {
      auto* box = new QPlainTextEdit(ToBox(value), inner);
      box->setObjectName(ToQString(key));
      box->setMaximumHeight(limit <= 80 ? 48 : limit <= 450 ? 90 : 160);
      auto* counter = new QLabel(inner);
      auto* cell = new QWidget(inner);
      auto* cell_layout = new QVBoxLayout(cell);
      cell_layout->setContentsMargins(0, 0, 0, 0);
      cell_layout->addWidget(box);
      cell_layout->addWidget(counter);
      form->addRow(CaptionOf(key), cell);
      texts_[key] = box;
      counters_[key] = counter;
      connect(box, &QPlainTextEdit::textChanged, this, [this, key] { Edited(key); });
    } else {
      auto* edit = new QLineEdit(ToQString(value), inner);
      edit->setObjectName(ToQString(key));
      form->addRow(CaptionOf(key), edit);
      lines_[key] = edit;
      connect(edit, &QLineEdit::textChanged, this, [this, key] { Edited(key); });
    }
  }
  // The UIN is the record's identity: shown, not edited here.
  if (auto it = lines_.find("Quillora/Product_UIN"); it != lines_.end())
    it->second->setReadOnly(true);

  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton("Save", QDialogButtonBox::AcceptRole)->setDefault(true);
  buttons->addButton(QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);

  validate_timer_ = new QTimer(this);
  validate_timer_->setSingleShot(true);
  validate_timer_->setInterval(300);
  connect(validate_timer_, &QTimer::timeout, this, &TfrmProductEditor::Validate);
  try {
    rules_.Load(Folders().data + "pad/");
    rules_loaded_ = true;
  } catch (const std::exception&) {
    // Without the rule files the editor still edits; nothing is marked.
  }
  for (const auto& [key, box] : texts_) Edited(key);
  Validate();
  resize(760, 620);
}

std::string TfrmProductEditor::Value(const std::string& key) const {
  if (auto it = lines_.find(key); it != lines_.end()) return FromQString(it->second->text());
  if (auto it = texts_.find(key); it != texts_.end()) {
    QString text = it->second->toPlainText();
    return FromQString(text.replace("\n", "\r\n"));
  }
  return product_.GetString(key);
}

void TfrmProductEditor::SetValue(const std::string& key, const std::string& value) {
  if (auto it = lines_.find(key); it != lines_.end()) it->second->setText(ToQString(value));
  if (auto it = texts_.find(key); it != texts_.end()) it->second->setPlainText(ToBox(value));
}

void TfrmProductEditor::Edited(const std::string& key) {
  if (auto it = counters_.find(key); it != counters_.end()) {
    const int limit = DescriptionLimit(key);
    const qsizetype used = texts_[key]->toPlainText().size();
    it->second->setText(QString("%1 of %2 characters").arg(used).arg(limit));
    it->second->setStyleSheet(used > limit ? "color: #B00000" : "");
  }
  validate_timer_->start();
}

void TfrmProductEditor::Validate() {
  problems_.clear();
  if (rules_loaded_) {
    TOptionsList values;
    for (const auto& [key, edit] : lines_) values.SetString(key, Value(key));
    for (const auto& [key, box] : texts_) values.SetString(key, Value(key));
    for (const TPadProblem& p : ValidatePad(values, PadVersionOf(values), rules_))
      if (lines_.count(p.path) || texts_.count(p.path)) problems_[p.path] = p.rule;
  }
  auto mark = [&](QWidget* field, const std::string& key) {
    const auto it = problems_.find(key);
    field->setStyleSheet(it == problems_.end() ? "" : "background: #FDE6E6");
    field->setToolTip(it == problems_.end()
                          ? QString()
                          : "A download site would reject this value: " + ToQString(it->second));
  };
  for (const auto& [key, edit] : lines_) mark(edit, key);
  for (const auto& [key, box] : texts_) mark(box, key);
}

void TfrmProductEditor::accept() {
  for (const auto& [key, edit] : lines_) product_.SetString(key, Value(key));
  for (const auto& [key, box] : texts_) product_.SetString(key, Value(key));
  if (!product_.SaveRecordFile()) {
    ShowError("Cannot save the product");
    return;
  }
  // The active profile reads the record: it follows at once.
  if (product_.Uin() == ActiveProfile().ActiveProductUin) ActiveProfile().Activate();
  QDialog::accept();
}

}  // namespace quillora::app
