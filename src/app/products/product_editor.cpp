#include "app/products/product_editor.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <fstream>

#include "app/products/html_editor_page.h"
#include "app/qt_text.h"
#include "app/variables_menu.h"
#include "foundation/app_state.h"
#include "foundation/files.h"
#include "foundation/ui_port.h"
#include "pad/pad_records.h"
#include "pad/profile.h"

namespace quillora::app {

namespace {

const char* const kDescriptionKeys[6] = {"Keywords",      "Char_Desc_45",  "Char_Desc_80",
                                         "Char_Desc_250", "Char_Desc_450", "Char_Desc_2000"};
const std::string kDescriptionPrefix = "Program_Descriptions/";
// The description fields are bound under this prefix and moved to the shown language's keys.
const std::string kShownDescription = "Shown_Description/";

const char* const kCurrencies[] = {
    "USD", "AED", "AFA", "ALL", "AMD", "ANG", "AOR", "ARS", "AUD",  "AWG", "AZM", "BAK", "BBD",
    "BDT", "BGN", "BHD", "BIF", "BMD", "BND", "BOB", "BRL", "BSD",  "BTN", "BWP", "BYR", "BZD",
    "CAD", "CDF", "CHF", "CLP", "CNY", "COP", "CRC", "CSD", "CZK",  "CUP", "CVE", "CYP", "DJF",
    "DKK", "DOP", "DZD", "EEK", "EGP", "ERN", "ETB", "EUR", "FJD",  "FKP", "GBP", "GEL", "GHC",
    "GIP", "GMD", "GNF", "GTQ", "GYD", "HKD", "HNL", "HRK", "HTG",  "HUF", "IDR", "ILS", "INR",
    "IQD", "IRR", "ISK", "JMD", "JOD", "JPY", "KES", "KGS", "KHR",  "KMF", "KPW", "KRW", "KWD",
    "KYD", "KZT", "LAK", "LBP", "LKR", "LRD", "LSL", "LTL", "LVL",  "LYD", "MAD", "MDL", "MGA",
    "MGF", "MKD", "MMK", "MNT", "MOP", "MRO", "MTL", "MUR", "MVR",  "MWK", "MXN", "MYR", "MZM",
    "NAD", "NGN", "NIO", "NOK", "NPR", "NZD", "OMR", "PAB", "PEN ", "PGK", "PHP", "PKR", "PLN",
    "PYG", "QAR", "ROL", "RUB", "RWF", "SAR", "SBD", "SCR", "SDD",  "SEK", "SGD", "SHP", "SIT",
    "SKK", "SLL", "SOS", "SRD", "STD", "SVC", "SYP", "SZL", "THB",  "TJS", "TMM", "TND", "TOP",
    "TRL", "TTD", "TWD", "TZS", "UAH", "UGX", "UYU", "UZS", "VEB",  "VND", "VUV", "WST", "XAF",
    "XCD", "XOF", "XPF", "YER", "ZAR", "ZMK", "ZWD"};

// Codes that were retired and the ones that replaced them.
const char* const kOldCurrencies[][2] = {
    {"AON", "AOR"}, {"ARP", "ARS"}, {"AWF", "AWG"}, {"BGL", "BGN"}, {"BTR", "BTN"}, {"PLZ", "PLN"},
    {"RUR", "RUB"}, {"SBL", "SBD"}, {"SRG", "SRD"}, {"TJR", "TJS"}, {"XAG", "XAF"}};

QStringList ToList(const std::vector<std::string>& items) {
  QStringList list;
  for (const std::string& item : items) list << ToQString(item);
  return list;
}

QStringList FileLines(const std::string& path) {
  QStringList lines;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines << ToQString(line);
  }
  return lines;
}

QComboBox* Choice(QWidget* parent, const char* name, const QStringList& entries) {
  auto* box = new QComboBox(parent);
  box->setObjectName(name);
  box->addItems(entries);
  box->setCurrentIndex(-1);
  return box;
}

QListWidget* CheckList(QWidget* parent, const char* name, const QStringList& entries) {
  auto* list = new QListWidget(parent);
  list->setObjectName(name);
  for (const QString& entry : entries) {
    auto* item = new QListWidgetItem(entry, list);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
  }
  list->setMinimumHeight(120);
  return list;
}

QString TwoDecimals(double value) {
  return QString::number(value, 'f', 2);
}

}  // namespace

TfrmProductEditor::TfrmProductEditor(QWidget* parent) : TRecordEditor("Product editor", parent) {
  setObjectName("frmProductEditor");
  BuildProgramInfo1();
  BuildProgramInfo2();
  BuildDescriptions();
  BuildWebInfo();
  BuildPermissions();
  BuildSimtel();
  BuildVcl();
  {
    auto* page = AddPage("PAD Ring");
    auto* layout = new QVBoxLayout(page);
    auto* ring = new QPlainTextEdit(page);
    ring->setObjectName("memPADRing");
    layout->addWidget(ring);
    fields_.AddMemo("PADRING", ring);
  }
  BuildHtmlPages();
  BuildOwnFields();
  BuildUserDefined();
  AddSitePage("Passwords", "Login", true,
              [](TRecord& r) { return std::make_pair(&r.SiteLogins, &r.SitePasswords); });
  const std::pair<const char*, TOptionsList TProduct::*> lists[] = {
      {"Version Listed", &TProduct::VersionListed},
      {"Version Submitted", &TProduct::VersionSubmitted},
      {"Date Submitted", &TProduct::DateSubmitted},
      {"Search Results", &TProduct::SearchResultsShort},
      {"Search Flag", &TProduct::SearchFlag},
      {"Category", &TProduct::ProgramCategory}};
  for (const auto& [caption, member] : lists)
    AddSitePage(caption, caption, false, [member](TRecord& r) {
      return std::make_pair(&(static_cast<TProduct&>(r).*member),
                            static_cast<TOptionsList*>(nullptr));
    });
  Finish();
  desc_fields_.OnChange(this, [this] {
    UpdateCharactersLeft();
    if (!loading_descriptions_) Validate();
  });
  connect(qApp, &QApplication::focusChanged, this, [this] { UpdateCharactersLeft(); });
  AttachVariablesMenuToTextBoxes(this);
}

TfrmProductEditor::~TfrmProductEditor() {
  // The fields go before QObject's end: focus moves while they do.
  disconnect(qApp, nullptr, this, nullptr);
}

void TfrmProductEditor::BuildProgramInfo1() {
  QFormLayout* form = nullptr;
  QWidget* page = AddPage("Program Info I", &form);
  auto text = [&](const char* label, const char* name, const std::string& key) {
    return AddTextRow(form, label, name, key);
  };
  uin_ = text("UIN:", "edtUIN", "Quillora/Product_UIN");
  uin_->setToolTip("Product UIN");
  uin_->setReadOnly(true);
  auto* name = text("Program Name:", "edtProgramName", "Program_Info/Program_Name");
  connect(name, &QLineEdit::textEdited, this, [this](const QString& t) { ProgramNameEdited(t); });
  text("Version:", "edtVersion", "Program_Info/Program_Version");
  {
    auto* row = new QWidget(page);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    const char* keys[3] = {"Program_Info/Program_Release_Month", "Program_Info/Program_Release_Day",
                           "Program_Info/Program_Release_Year"};
    const char* names[3] = {"edtReleaseMonth", "edtReleaseDay", "edtReleaseYear"};
    const char* labels[3] = {"Month", "Day", "Year"};
    for (int i = 0; i < 3; ++i) {
      auto* edit = new QLineEdit(row);
      edit->setObjectName(names[i]);
      edit->setPlaceholderText(labels[i]);
      edit->setMaximumWidth(i == 2 ? 70 : 50);
      h->addWidget(edit);
      fields_.AddText(keys[i], edit);
    }
    h->addStretch();
    form->addRow("Release Date (mm dd yyyy):", row);
  }
  {
    auto* box = Choice(page, "cbProgramType",
                       {"Shareware", "Freeware", "Adware", "Demo", "Commercial", "Data only"});
    form->addRow("Program Type:", box);
    fields_.AddChoice("Program_Info/Program_Type", box, "Shareware");
  }
  {
    auto* box =
        Choice(page, "cbReleaseStatus",
               {"Major Update", "Minor Update", "New Release", "Beta", "Alpha", "Media Only"});
    form->addRow("Release Status:", box);
    fields_.AddChoice("Program_Info/Program_Release_Status", box);
  }
  {
    auto* box =
        Choice(page, "cbInstallSupport",
               {"Install and Uninstall", "Install Only", "No Install Support", "Uninstall Only"});
    form->addRow("Install Support:", box);
    fields_.AddChoice("Program_Info/Program_Install_Support", box);
  }
  text("Cost (USD):", "edtCostDollars", "Program_Info/Program_Cost_Dollars");
  {
    auto* row = new QWidget(page);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    QStringList codes;
    for (const char* code : kCurrencies) codes << code;
    auto* code = Choice(row, "cbCurrency", codes);
    auto* cost = new QLineEdit(row);
    cost->setObjectName("edtCostOther");
    h->addWidget(code);
    h->addWidget(cost, 1);
    form->addRow("Cost (other currency):", row);
    fields_.AddChoice("Program_Info/Program_Cost_Other_Code", code);
    fields_.AddText("Program_Info/Program_Cost_Other", cost);
  }
  {
    auto* box = Choice(page, "cbSpecificCategory",
                       {"Audio", "Business", "Development Tools", "Education", "Games", "Graphics",
                        "Home/Hobby", "Internet", "Miscellaneous", "Screen Savers", "Utilities"});
    form->addRow("Specific Category:", box);
    fields_.AddChoice("Program_Info/Program_Specific_Category", box);
  }
  {
    QStringList classes;
    if (ApplicationDataReady()) classes = FileLines(Folders().data + "pad/category-classes.txt");
    auto* box = Choice(page, "cbCategoryClass", classes);
    form->addRow("Category Class:", box);
    fields_.AddChoice("Program_Info/Program_Category_Class", box);
  }
  BuildCategories(page, form);
  auto* changes = new QPlainTextEdit(page);
  changes->setObjectName("memChangeInfo");
  changes->setMaximumHeight(70);
  form->addRow("Change Info:", changes);
  fields_.AddMemo("Program_Info/Program_Change_Info", changes);
  text("Author First Name:", "edtAuthorFirstName", "Company_Info/Contact_Info/Author_First_Name");
  text("Author Last Name:", "edtAuthorLastName", "Company_Info/Contact_Info/Author_Last_Name");
  text("Author E-mail:", "edtAuthorEmail", "Company_Info/Contact_Info/Author_Email");
}

void TfrmProductEditor::BuildProgramInfo2() {
  QFormLayout* form = nullptr;
  QWidget* page = AddPage("Program Info II", &form);
  auto text = [&](const char* label, const char* name, const std::string& key) {
    return AddTextRow(form, label, name, key);
  };
  {
    auto* row = new QWidget(page);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    auto* os = CheckList(row, "clbOS", ToList(ShippedOperatingSystems()));
    languages_ = CheckList(row, "clbLanguages", ToList(ShippedLanguages()));
    auto* add = new QPushButton("+", row);
    add->setObjectName("btnAddLanguage");
    add->setMaximumWidth(28);
    add->setToolTip("Add a language");
    h->addWidget(os, 1);
    h->addWidget(languages_, 1);
    h->addWidget(add, 0, Qt::AlignTop);
    form->addRow("OS / Languages:", row);
    fields_.AddCheckList("Program_Info/Program_OS_Support", os);
    fields_.AddCheckList("Program_Info/Program_Language", languages_, true, "English");
    connect(add, &QPushButton::clicked, this, [this] {
      std::string answer;
      if (!UI().InputText("New language", "New language", answer) || answer.empty()) return;
      const QString name = ToQString(answer);
      auto found = languages_->findItems(name, Qt::MatchExactly);
      QListWidgetItem* item = found.isEmpty() ? nullptr : found.front();
      if (!item) {
        item = new QListWidgetItem(name, languages_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setData(Qt::UserRole, true);
      }
      item->setCheckState(Qt::Checked);
      languages_->setCurrentItem(item);
    });
  }
  {
    auto* row = new QWidget(page);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    auto* edit = new QLineEdit(row);
    edit->setObjectName("edtFilenameVersioned");
    auto* choose = new QPushButton("Choose...", row);
    choose->setObjectName("btnVersionedFile");
    choose->setToolTip("Fill the file names and sizes from the file");
    h->addWidget(edit, 1);
    h->addWidget(choose);
    form->addRow("Versioned Filename:", row);
    fields_.AddText("Program_Info/File_Info/Filename_Versioned", edit);
    connect(choose, &QPushButton::clicked, this, [this] {
      std::string path;
      if (UI().OpenFileDialog("Versioned Filename", "All files|*.*", path))
        FillFromVersionedFile(path);
    });
  }
  text("Previous Filename:", "edtFilenamePrevious", "Program_Info/File_Info/Filename_Previous");
  text("Generic Filename:", "edtFilenameGeneric", "Program_Info/File_Info/Filename_Generic");
  text("Long Filename:", "edtFilenameLong", "Program_Info/File_Info/Filename_Long");
  {
    auto* row = new QWidget(page);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    const char* keys[3] = {"Program_Info/File_Info/File_Size_Bytes",
                           "Program_Info/File_Info/File_Size_K",
                           "Program_Info/File_Info/File_Size_MB"};
    const char* names[3] = {"edtSizeBytes", "edtSizeK", "edtSizeMB"};
    const char* units[3] = {"bytes", "K", "MB"};
    for (int i = 0; i < 3; ++i) {
      sizes_[i] = new QLineEdit(row);
      sizes_[i]->setObjectName(names[i]);
      h->addWidget(sizes_[i], i == 0 ? 2 : 1);
      h->addWidget(new QLabel(units[i], row));
      fields_.AddText(keys[i], sizes_[i]);
      // textEdited: only what the user types, never what the other two fields set.
      connect(sizes_[i], &QLineEdit::textEdited, this, [this, i] { SizeEdited(i); });
    }
    auto* choose = new QPushButton("Choose...", row);
    choose->setObjectName("btnSizeFromFile");
    choose->setToolTip("Take the sizes from a file");
    h->addWidget(choose);
    connect(choose, &QPushButton::clicked, this, [this] {
      std::string path;
      if (UI().OpenFileDialog("Size (bytes)", "All files|*.*", path)) FillSizes(path);
    });
    form->addRow("Size:", row);
  }
  {
    auto* expires = new QCheckBox("Has expire info", page);
    expires->setObjectName("cbHasExpireInfo");
    form->addRow("", expires);
    fields_.AddYesNo("Program_Info/Expire_Info/Has_Expire_Info", expires);
    text("Expire Count:", "edtExpireCount", "Program_Info/Expire_Info/Expire_Count");
    auto* based = Choice(page, "cbExpireBasedOn", {"Days", "Uses", "Either/Or"});
    based->setPlaceholderText(" Expire Based On ");
    form->addRow("Expire Based On:", based);
    fields_.AddChoice("Program_Info/Expire_Info/Expire_Based_On", based);
    text("Expire Other Info:", "edtExpireOtherInfo", "Program_Info/Expire_Info/Expire_Other_Info");
    auto* row = new QWidget(page);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    const char* keys[3] = {"Program_Info/Expire_Info/Expire_Month",
                           "Program_Info/Expire_Info/Expire_Day",
                           "Program_Info/Expire_Info/Expire_Year"};
    const char* names[3] = {"edtExpireMonth", "edtExpireDay", "edtExpireYear"};
    for (int i = 0; i < 3; ++i) {
      auto* edit = new QLineEdit(row);
      edit->setObjectName(names[i]);
      edit->setMaximumWidth(i == 2 ? 70 : 50);
      h->addWidget(edit);
      fields_.AddText(keys[i], edit);
    }
    h->addStretch();
    form->addRow("Expire Date (mm dd yyyy):", row);
  }
  {
    auto* row = new QWidget(page);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    const std::pair<const char*, const char*> boxes[3] = {
        {"Includes Java VM", "Program_Info/Includes_JAVA_VM"},
        {"Includes VB Runtime", "Program_Info/Includes_VB_Runtime"},
        {"Includes DirectX", "Program_Info/Includes_DirectX"}};
    for (const auto& [label, key] : boxes) {
      auto* box = new QCheckBox(label, row);
      box->setObjectName(QString("cb") + QString(label).remove(' '));
      h->addWidget(box);
      fields_.AddYesNo(key, box);
    }
    h->addStretch();
    form->addRow("", row);
  }
  text("System Requirements:", "edtSystemRequirements", "Program_Info/Program_System_Requirements");
  text("Limitations:", "edtLimitations", "Program_Info/Limitations");
  text("Awards:", "edtAwards", "Program_Info/Awards");
}

void TfrmProductEditor::BuildDescriptions() {
  QWidget* page = AddPage("Descriptions");
  auto* layout = new QVBoxLayout(page);
  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel("Language:", page));
  desc_language_ = new QComboBox(page);
  desc_language_->setObjectName("cbDescriptionLanguage");
  desc_language_->setMinimumWidth(160);
  top->addWidget(desc_language_);
  auto* add = new QPushButton("+", page);
  add->setObjectName("btnAddDescriptionLanguage");
  add->setMaximumWidth(28);
  auto* remove = new QPushButton("-", page);
  remove->setObjectName("btnDeleteDescriptionLanguage");
  remove->setMaximumWidth(28);
  auto* clear = new QPushButton("Clear descriptions", page);
  clear->setObjectName("btnClearDescriptions");
  top->addWidget(add);
  top->addWidget(remove);
  top->addStretch();
  chars_left_ = new QLabel(page);
  chars_left_->setObjectName("lblCharactersLeft");
  chars_left_->hide();
  top->addWidget(chars_left_);
  top->addWidget(clear);
  layout->addLayout(top);

  auto* form = new QFormLayout;
  form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  auto* keywords = new QLineEdit(page);
  keywords->setObjectName("edtKeywords");
  form->addRow("Keywords:", keywords);
  desc_fields_.AddText(kShownDescription + "Keywords", keywords, true);
  const char* labels[5] = {"45 chars:", "80 chars:", "250 chars:", "450 chars:", "2000 chars:"};
  const char* names[5] = {"edtDesc45", "edtDesc80", "memDesc250", "memDesc450", "memDesc2000"};
  const int heights[5] = {0, 0, 60, 90, 180};
  for (int i = 0; i < 5; ++i) {
    const std::string key = kShownDescription + kDescriptionKeys[i + 1];
    QWidget* widget;
    // No hard limit: a longer text (imported, pasted) must stay whole for the user to shorten;
    // the count and the validator's mark say it is too long.
    if (heights[i] == 0) {
      auto* edit = new QLineEdit(page);
      desc_fields_.AddText(key, edit, true);
      widget = edit;
    } else {
      auto* memo = new QPlainTextEdit(page);
      memo->setMinimumHeight(heights[i]);
      desc_fields_.AddMemo(key, memo, true);
      widget = memo;
    }
    widget->setObjectName(names[i]);
    widget->setToolTip(QString("At most %1 characters").arg(kDescriptionLimits[i]));
    form->addRow(labels[i], widget);
    desc_widgets_.push_back(widget);
  }
  layout->addLayout(form, 1);

  connect(desc_language_, &QComboBox::currentIndexChanged, this,
          [this] { DescriptionLanguageChanged(); });
  connect(add, &QPushButton::clicked, this, [this] {
    QDialog dialog(this);
    dialog.setWindowTitle("Add language");
    auto* v = new QVBoxLayout(&dialog);
    auto* box = new QComboBox(&dialog);
    box->setObjectName("cbNewLanguage");
    box->setEditable(true);
    box->addItems({"Russian", "German"});
    v->addWidget(box);
    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->addButton("Ok", QDialogButtonBox::AcceptRole);
    buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    v->addWidget(buttons);
    if (dialog.exec() == QDialog::Accepted && !box->currentText().trimmed().isEmpty())
      AddDescriptionLanguage(box->currentText().trimmed());
  });
  connect(remove, &QPushButton::clicked, this, [this] { RemoveDescriptionLanguage(); });
  connect(clear, &QPushButton::clicked, this, [this] {
    TOptionsList empty;
    desc_fields_.Load(empty);
  });
}

void TfrmProductEditor::BuildCategories(QWidget* page, QFormLayout* form) {
  auto* box = new QWidget(page);
  auto* grid = new QGridLayout(box);
  grid->setContentsMargins(0, 0, 0, 0);
  category_choice_ = new QComboBox(box);
  category_choice_->setObjectName("cbCategories");
  category_choice_->setEditable(true);
  category_choice_->setInsertPolicy(QComboBox::NoInsert);
  if (ApplicationDataReady())
    category_choice_->addItems(FileLines(Folders().data + "categories.dat"));
  category_choice_->setCurrentIndex(-1);
  categories_ = new QListWidget(box);
  categories_->setObjectName("lstCategories");
  categories_->setMaximumHeight(90);
  grid->addWidget(category_choice_, 0, 0);
  grid->addWidget(categories_, 1, 0, 4, 1);
  const std::pair<const char*, const char*> buttons[] = {{"+", "btnCategoryAdd"},
                                                         {"-", "btnCategoryDelete"},
                                                         {"Up", "btnCategoryUp"},
                                                         {"Down", "btnCategoryDown"}};
  for (int i = 0; i < 4; ++i) {
    auto* button = new QPushButton(buttons[i].first, box);
    button->setObjectName(buttons[i].second);
    button->setMaximumWidth(56);
    grid->addWidget(button, i == 0 ? 0 : i, 1);
    connect(button, &QPushButton::clicked, this, [this, i] {
      if (i == 0) AddCategory();
      if (i == 1) RemoveCategory();
      if (i >= 2) MoveCategory(i == 2 ? -1 : +1);
    });
  }
  connect(categories_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { category_choice_->setCurrentText(item->text()); });
  form->addRow("Categories:", box);
}

void TfrmProductEditor::AddCategory() {
  const QString text = category_choice_->currentText().trimmed();
  if (text.isEmpty()) {
    ShowError("Please, select a category");
    return;
  }
  if (categories_->findItems(text, Qt::MatchExactly).isEmpty()) categories_->addItem(text);
  Validate();
}

void TfrmProductEditor::RemoveCategory() {
  const int row = categories_->currentRow();
  if (row < 0) {
    ShowError("Please, select a category");
    return;
  }
  delete categories_->takeItem(row);
  Validate();
}

void TfrmProductEditor::MoveCategory(int step) {
  const int row = categories_->currentRow();
  const int to = row + step;
  if (row < 0 || to < 0 || to >= categories_->count()) return;
  categories_->insertItem(to, categories_->takeItem(row));
  categories_->setCurrentRow(to);
}

QString TfrmProductEditor::CategoriesText() const {
  QStringList parts;
  for (int i = 0; i < categories_->count(); ++i) parts << categories_->item(i)->text();
  return parts.join(',');
}

QString TfrmProductEditor::GenericFileName(const QString& name) {
  const int dot = name.lastIndexOf('.');
  const int end = dot < 0 ? static_cast<int>(name.size()) : dot;
  int start = end;
  while (start > 0) {
    const QChar c = name.at(start - 1);
    if (!c.isDigit() && c != ' ' && c != '-' && c != '.') break;
    --start;
  }
  return name.left(start) + name.mid(end);
}

void TfrmProductEditor::FillFromVersionedFile(const std::string& path) {
  const QString name = ToQString(ExtractFileName(path));
  findChild<QLineEdit*>("edtFilenamePrevious")
      ->setText(ToQString(Copy()->GetString("Program_Info/File_Info/Filename_Versioned")));
  findChild<QLineEdit*>("edtFilenameVersioned")->setText(name);
  findChild<QLineEdit*>("edtFilenameGeneric")->setText(GenericFileName(name));
  FillSizes(path);
}

void TfrmProductEditor::FillSizes(const std::string& path) {
  const int64_t bytes = FileSizeOf(path);
  if (bytes < 0) return;
  sizes_[0]->setText(QString::number(bytes));
  sizes_[1]->setText(QString::number(bytes / 1024));
  sizes_[2]->setText(TwoDecimals(static_cast<double>(bytes) / 1048576.0));
}

void TfrmProductEditor::BuildUserDefined() {
  QWidget* page = AddPage("User Defined");
  auto* layout = new QVBoxLayout(page);
  user_defined_ = new QTableWidget(0, 2, page);
  user_defined_->setObjectName("grdUserDefined");
  user_defined_->setHorizontalHeaderLabels({"Key", "Value"});
  user_defined_->horizontalHeader()->setStretchLastSection(true);
  user_defined_->horizontalHeader()->resizeSection(0, 260);
  user_defined_->verticalHeader()->hide();
  layout->addWidget(user_defined_);
  // A row to type a new key into whenever the last one is in use.
  connect(user_defined_, &QTableWidget::cellClicked, this, [this] {
    const int rows = user_defined_->rowCount();
    const QTableWidgetItem* last = rows ? user_defined_->item(rows - 1, 0) : nullptr;
    if (rows == 0 || (last && !last->text().trimmed().isEmpty())) user_defined_->insertRow(rows);
  });
}

bool TfrmProductEditor::IsUserDefinedKey(const std::string& key) {
  if (key.rfind(kDescriptionPrefix, 0) == 0) return false;
  if (!ApplicationDataReady()) return true;
  const TOptionsList& known = Tables().name_space_flat;
  if (known.IndexOfName(key) >= 0) return false;
  for (const std::string& line : known.Lines())
    if (line == key) return false;
  return true;
}

void TfrmProductEditor::PageEntered(int index) {
  TRecordEditor::PageEntered(index);
  if (Pages()->tabText(index) != "User Defined" || !Copy()) return;
  user_defined_->setRowCount(0);
  const TRecord& copy = *Copy();
  for (int i = 0; i < copy.Count(); ++i) {
    const std::string key = copy.NameAt(i);
    if (key.empty() || !IsUserDefinedKey(key)) continue;
    const int row = user_defined_->rowCount();
    user_defined_->insertRow(row);
    user_defined_->setItem(row, 0, new QTableWidgetItem(ToQString(key)));
    user_defined_->setItem(row, 1, new QTableWidgetItem(ToQString(copy.GetValueAt(i))));
  }
  if (user_defined_->rowCount() == 0) user_defined_->insertRow(0);
}

void TfrmProductEditor::PageLeft(int index) {
  TRecordEditor::PageLeft(index);
  if (Pages()->tabText(index) != "User Defined" || !Copy()) return;
  TRecord& copy = *Copy();
  std::vector<std::pair<std::string, std::string>> rows;
  for (int r = 0; r < user_defined_->rowCount(); ++r) {
    const QTableWidgetItem* key = user_defined_->item(r, 0);
    const QTableWidgetItem* value = user_defined_->item(r, 1);
    const std::string k = key ? FromQString(key->text().trimmed()) : std::string();
    if (!k.empty()) rows.emplace_back(k, value ? FromQString(value->text()) : std::string());
  }
  for (int i = copy.Count() - 1; i >= 0; --i) {
    const std::string key = copy.NameAt(i);
    if (key.empty() || !IsUserDefinedKey(key)) continue;
    if (std::none_of(rows.begin(), rows.end(), [&](const auto& r) { return r.first == key; }))
      copy.DeleteLine(i);
  }
  for (const auto& [key, value] : rows) copy.SetString(key, value);
}

void TfrmProductEditor::BuildSimtel() {
  QFormLayout* form = nullptr;
  QWidget* page = AddPage("Simtel", &form);
  auto* platform = Choice(
      page, "cbSimtelPlatform",
      {"Select - Other Platform (blank)", "win3 - Windows 3.x 16-bit", "win95 - Win95/Win98/WinME",
       "winnt - Windows NT / Windows 2000", "winxp - Windows XP",
       "handheld - Handheld Computing (Palm OS, Pocket PC, Windows CE, etc.)"});
  form->addRow("Platform:", platform);
  fields_.AddChoice("Simtel/Simtel_Platform", platform);
  QStringList categories = {"Select - Category (blank)"};
  if (ApplicationDataReady()) categories << FileLines(Folders().data + "pad/simtel-categories.txt");
  auto* category = Choice(page, "cbSimtelCategory", categories);
  // The catalogue grows: a stored category it does not list is still shown and kept.
  category->setEditable(true);
  category->setInsertPolicy(QComboBox::NoInsert);
  form->addRow("Category:", category);
  fields_.AddChoice("Simtel/Simtel_Category", category);
}

void TfrmProductEditor::BuildVcl() {
  QWidget* page = AddPage("VCL");
  auto* layout = new QVBoxLayout(page);
  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel("<b>Version</b>", page), 0, 0);
  grid->addWidget(new QLabel("<b>Supported</b>", page), 0, 1);
  grid->addWidget(new QLabel("<b>Address</b>", page), 0, 2);
  const char* const versions[] = {"D1",   "D2",   "D3",   "D4",   "D5", "D6", "D7", "BCB1",
                                  "BCB3", "BCB4", "BCB5", "BCB6", "K1", "K2", "K3"};
  int row = 1;
  for (const char* version : versions) {
    const std::string key = std::string("Delphi/") + version;
    grid->addWidget(new QLabel(version, page), row, 0);
    // K2 and K3 have an address only.
    if (std::string(version) != "K2" && std::string(version) != "K3") {
      auto* supported = new QCheckBox("Supported", page);
      supported->setObjectName(QString("cbDelphi") + version);
      grid->addWidget(supported, row, 1);
      vcl_supported_.push_back({key, supported});
    }
    auto* url = new QLineEdit(page);
    url->setObjectName(QString("edtDelphi") + version + "URL");
    grid->addWidget(url, row, 2);
    fields_.AddText(key + "_URL", url);
    ++row;
  }
  grid->setColumnStretch(2, 1);
  layout->addLayout(grid);
  auto* form = new QFormLayout;
  form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  auto* type = Choice(page, "cbDelphiType", {"Freeware", "Shareware", "Commercial"});
  form->addRow("Type:", type);
  fields_.AddChoice("Delphi/Type", type);
  auto* source = Choice(page, "cbDelphiSource",
                        {"Included", "After purchase/registration", "On request", "None", "N/A"});
  form->addRow("Source:", source);
  fields_.AddChoice("Delphi/Source", source);
  auto* location =
      Choice(page, "cbDelphiFileLocation",
             {"Uploaded or will be soon", "Please, download it", "Link (no download count)",
              "Sent/Sending via e-mail", "Just additional info"});
  form->addRow("File Location:", location);
  fields_.AddChoice("Delphi/File_Location", location);
  const std::pair<const char*, const char*> texts[] = {{"Price:", "Price"},
                                                       {"Link URL:", "Link_URL"},
                                                       {"Download URL:", "Download_URL"},
                                                       {"Version:", "Version"},
                                                       {"Notes:", "Notes"}};
  for (const auto& [label, name] : texts) {
    auto* edit = new QLineEdit(page);
    edit->setObjectName(QString("edtDelphi") + name);
    form->addRow(label, edit);
    fields_.AddText(std::string("Delphi/") + name, edit);
  }
  layout->addLayout(form);
  layout->addStretch();
}

void TfrmProductEditor::BuildWebInfo() {
  QFormLayout* form = nullptr;
  QWidget* page = AddPage("Web Info", &form);
  const std::pair<const char*, const char*> urls[] = {
      {"Info URL:", "Web_Info/Application_URLs/Application_Info_URL"},
      {"Order URL:", "Web_Info/Application_URLs/Application_Order_URL"},
      {"Screenshot URL:", "Web_Info/Application_URLs/Application_Screenshot_URL"},
      {"Icon URL:", "Web_Info/Application_URLs/Application_Icon_URL"},
      {"PAD File URL:", "Web_Info/Application_URLs/Application_XML_File_URL"},
      {"Primary Download URL:", "Web_Info/Download_URLs/Primary_Download_URL"},
      {"Secondary Download URL:", "Web_Info/Download_URLs/Secondary_Download_URL"},
      {"Additional Download URL 1:", "Web_Info/Download_URLs/Additional_Download_URL_1"},
      {"Additional Download URL 2:", "Web_Info/Download_URLs/Additional_Download_URL_2"}};
  for (const auto& [label, key] : urls) {
    auto* row = new QWidget(page);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    auto* edit = new QLineEdit(row);
    const std::string k = key;
    edit->setObjectName("edt" + QString::fromStdString(k.substr(k.rfind('/') + 1)));
    auto* open = new QPushButton("Open", row);
    open->setToolTip("Open the address in the browser");
    h->addWidget(edit, 1);
    h->addWidget(open);
    form->addRow(label, row);
    fields_.AddText(key, edit);
    connect(open, &QPushButton::clicked, this, [edit] {
      if (!edit->text().isEmpty()) UI().OpenDocument(FromQString(edit->text()));
    });
  }
}

void TfrmProductEditor::BuildPermissions() {
  QWidget* page = AddPage("Permissions");
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(new QLabel("Distribution Permissions:", page));
  auto* permissions = new QPlainTextEdit(page);
  permissions->setObjectName("memDistributionPermissions");
  layout->addWidget(permissions);
  layout->addWidget(new QLabel("EULA:", page));
  auto* eula = new QPlainTextEdit(page);
  eula->setObjectName("memEULA");
  layout->addWidget(eula);
  fields_.AddMemo("Permissions/Distribution_Permissions", permissions);
  fields_.AddMemo("Permissions/EULA", eula);
}

void TfrmProductEditor::BuildOwnFields() {
  QFormLayout* form = nullptr;
  QWidget* page = AddPage("Quillora", &form);
  search_string_ = new QLineEdit(page);
  search_string_->setObjectName("edtSearchString");
  search_string_->setToolTip("Enter a search string for the product.");
  form->addRow("Search String:", search_string_);
  fields_.AddText("Quillora/Search_String", search_string_);
  auto* comments = new QPlainTextEdit(page);
  comments->setObjectName("memCommentsForReviewer");
  form->addRow("Comments for Reviewer:", comments);
  fields_.AddMemo("Quillora/Comments_For_Reviewer", comments);
}

void TfrmProductEditor::BuildHtmlPages() {
  // The page files live in the data folder: the program's own folder is no place a user can
  // write to once installed, and the data folder is where the shipped pages go.
  if (!ApplicationDataReady()) return;
  const QDir folder(PathToQString(Folders().data));
  for (const char* pattern : {"*.htm", "*.html"})
    for (const QString& name :
         folder.entryList({pattern}, QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
      auto* page = new THtmlEditorPage(folder.filePath(name), Pages());
      Pages()->addTab(page, page->Caption());
      html_pages_.push_back(page);
      connect(page, &THtmlEditorPage::captionChanged, this, [this, page](const QString& caption) {
        const int index = Pages()->indexOf(page);
        if (index < 0) return;
        Pages()->setTabText(index, caption);
        // The page's visibility is kept under its caption, known only now.
        std::vector<TEditorPage> states = {{FromQString(caption), Pages()->isTabVisible(index)}};
        if (!ApplicationDataReady()) return;
        RestoreEditorPages(Settings(), SettingsPrefix(), states);
        Pages()->setTabVisible(index, states.front().visible);
      });
    }
}

std::unique_ptr<TRecord> TfrmProductEditor::NewCopy() const {
  return std::make_unique<TProduct>();
}

void TfrmProductEditor::LoadFields() {
  TRecord& copy = *Copy();
  const std::string code = copy.GetString("Program_Info/Program_Cost_Other_Code");
  for (const auto& [old_code, new_code] : kOldCurrencies)
    if (code == old_code) copy.SetString("Program_Info/Program_Cost_Other_Code", new_code);
  TRecordEditor::LoadFields();
  for (const auto& [key, box] : vcl_supported_) box->setChecked(copy.GetString(key) == "TRUE");
  categories_->clear();
  for (QString part : ToQString(copy.GetString("Program_Info/Program_Categories"))
                          .split(QRegularExpression("[\\r\\n,;]"))) {
    part = part.trimmed();
    if (!part.isEmpty()) categories_->addItem(part);
  }
  category_choice_->setCurrentIndex(-1);

  loading_descriptions_ = true;
  desc_language_->blockSignals(true);
  desc_language_->clear();
  desc_language_->addItem("English");
  for (int i = 0; i < copy.Count(); ++i) {
    const std::string key = copy.NameAt(i);
    if (key.rfind(kDescriptionPrefix, 0) != 0) continue;
    const size_t slash = key.find('/', kDescriptionPrefix.size());
    if (slash == std::string::npos) continue;
    const QString language =
        ToQString(key.substr(kDescriptionPrefix.size(), slash - kDescriptionPrefix.size()));
    if (desc_language_->findText(language, Qt::MatchFixedString | Qt::MatchCaseSensitive) < 0)
      desc_language_->addItem(language);
  }
  desc_language_->setCurrentIndex(0);
  desc_language_->blockSignals(false);
  shown_language_ = "English";
  LoadDescriptions(shown_language_);
  loading_descriptions_ = false;
  UpdateCharactersLeft();
  for (THtmlEditorPage* page : html_pages_) page->Load(copy);
}

void TfrmProductEditor::LoadDescriptions(const QString& language) {
  const std::string prefix = kDescriptionPrefix + FromQString(language) + "/";
  TOptionsList shown;
  for (const char* key : kDescriptionKeys)
    shown.SetString(kShownDescription + key, Copy()->GetString(prefix + key));
  const bool was = loading_descriptions_;
  loading_descriptions_ = true;
  desc_fields_.Load(shown);
  loading_descriptions_ = was;
}

void TfrmProductEditor::StoreDescriptions(const QString& language) {
  if (language.isEmpty()) return;
  const std::string prefix = kDescriptionPrefix + FromQString(language) + "/";
  TOptionsList shown;
  desc_fields_.Store(shown);
  for (const char* key : kDescriptionKeys)
    Copy()->SetString(prefix + key, shown.GetString(kShownDescription + key));
}

void TfrmProductEditor::DescriptionLanguageChanged() {
  if (!Copy()) return;
  StoreDescriptions(shown_language_);
  shown_language_ = desc_language_->currentText();
  if (!shown_language_.isEmpty()) LoadDescriptions(shown_language_);
  Validate();
}

void TfrmProductEditor::AddDescriptionLanguage(const QString& language) {
  desc_language_->addItem(language);
}

void TfrmProductEditor::RemoveDescriptionLanguage() {
  const int index = desc_language_->currentIndex();
  if (index <= 0) {
    ShowError("English description cannot be deleted");
    return;
  }
  if (!AskYesNo("Delete this language from list?")) return;
  // The removed language's texts stay stored: they go back under it before it leaves the box.
  StoreDescriptions(shown_language_);
  shown_language_.clear();
  desc_language_->removeItem(index);
  desc_language_->setCurrentIndex(std::min(index, desc_language_->count() - 1));
  DescriptionLanguageChanged();
}

void TfrmProductEditor::StoreFields() {
  TRecord& copy = *Copy();
  if (Fields().Text("Program_Info/Program_Version") !=
          ToQString(copy.GetString("Program_Info/Program_Version")) &&
      !(ApplicationDataReady() && Settings().GetString("DO_NOT_DROP_OVERRIDE") == "TRUE"))
    static_cast<TProduct&>(copy).StatusOverride.Clear();
  TRecordEditor::StoreFields();
  for (const auto& [key, box] : vcl_supported_) copy.SetBool(key, box->isChecked());
  copy.SetString("Program_Info/Program_Categories", FromQString(CategoriesText()));
  // The first entry of the Simtel choices means none.
  for (const char* key : {"Simtel/Simtel_Platform", "Simtel/Simtel_Category"})
    if (copy.GetString(key).rfind("Select - ", 0) == 0) copy.SetString(key, "");
  copy.SetString("Simtel/Simtel_FORM", "Y");
  copy.SetString("Simtel/SIMTEL_FORM_VER", "1.6 11/26/2002");
  StoreDescriptions(shown_language_);
  if (copy.GetString("Quillora/Search_String").empty())
    copy.SetString("Quillora/Search_String", copy.GetString("Program_Info/Program_Name"));
  for (THtmlEditorPage* page : html_pages_) {
    // A page whose fields could not be read must not pass for saved.
    if (page->Shown() && !page->Store(copy))
      ShowError("The fields of the page \"" + FromQString(page->Caption()) +
                "\" could not be read; they were not saved.");
  }
}

void TfrmProductEditor::ProgramNameEdited(const QString& name) {
  const TRecord* copy = Copy();
  if (!copy) return;
  const std::string stored = copy->GetString("Quillora/Search_String");
  // A search string the user set apart from the name is left alone.
  if (!stored.empty() && stored != copy->GetString("Program_Info/Program_Name")) return;
  search_string_->setText(name);
}

void TfrmProductEditor::SizeEdited(int which) {
  bool ok = false;
  const QString text = sizes_[which]->text().trimmed();
  QString values[3];
  if (which == 0) {
    const qlonglong bytes = text.toLongLong(&ok);
    if (ok) {
      values[1] = QString::number(bytes / 1024);
      values[2] = TwoDecimals(static_cast<double>(bytes) / 1048576.0);
    }
  } else if (which == 1) {
    const double k = text.toDouble(&ok);
    if (ok) {
      values[0] = QString::number(std::llround(k * 1024));
      values[2] = TwoDecimals(k / 1024.0);
    }
  } else {
    const double mb = text.toDouble(&ok);
    if (ok) {
      values[0] = QString::number(std::llround(mb * 1048576));
      values[1] = QString::number(std::llround(mb * 1024));
    }
  }
  for (int i = 0; i < 3; ++i)
    if (i != which) sizes_[i]->setText(values[i]);
}

void TfrmProductEditor::UpdateCharactersLeft() {
  // The editor's own focus field: the same whether or not the window is the active one.
  QWidget* focus = focusWidget();
  for (size_t i = 0; i < desc_widgets_.size(); ++i) {
    if (desc_widgets_[i] != focus) continue;
    const std::string key = kShownDescription + kDescriptionKeys[i + 1];
    const int left = kDescriptionLimits[i] - static_cast<int>(desc_fields_.Text(key).size());
    chars_left_->setText(QString("Characters Left: %1").arg(left));
    chars_left_->setStyleSheet(left < 0 ? "color: #c00000;" : QString());
    chars_left_->show();
    return;
  }
  chars_left_->hide();
}

void TfrmProductEditor::CollectForValidation(TOptionsList& values) const {
  TRecordEditor::CollectForValidation(values);
  values.SetString("Program_Info/Program_Categories", CategoriesText().toStdString());
  // Every language's descriptions count: the stored ones, with the shown language's as typed.
  const TRecord* copy = Copy();
  for (int i = 0; i < copy->Count(); ++i) {
    const std::string key = copy->NameAt(i);
    if (key.rfind(kDescriptionPrefix, 0) == 0) values.SetString(key, copy->GetValueAt(i));
  }
  TOptionsList shown;
  desc_fields_.Collect(shown);
  const std::string prefix = kDescriptionPrefix + FromQString(shown_language_) + "/";
  for (const char* key : kDescriptionKeys)
    values.SetString(prefix + key, shown.GetString(kShownDescription + key));
}

void TfrmProductEditor::MarkProblems(const std::vector<TPadProblem>& problems) {
  TRecordEditor::MarkProblems(problems);
  desc_fields_.Mark(problems, kDescriptionPrefix + FromQString(shown_language_) + "/",
                    kShownDescription);
}

int TfrmProductEditor::ImportXmlInto(TRecord& copy, const std::string& path) {
  return ImportProductXml(static_cast<TProduct&>(copy), path, nullptr);
}

int TfrmProductEditor::ExportXmlFrom(TRecord& copy, const std::string& path) {
  return ExportProductXml(static_cast<TProduct&>(copy), path);
}

std::string TfrmProductEditor::ProposedExportFile() const {
  // The record's own file, lower-cased, as a PAD file.
  std::string file = SourceFile();
  if (file.empty()) return {};
  for (char& c : file) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const std::string ext = ExtractFileExt(file);
  return file.substr(0, file.size() - ext.size()) + ".xml";
}

std::string TfrmProductEditor::HelpTopic() const {
  static const char* const topics[] = {
      "ProdEd_ProgInf1.html",  "ProdEd_ProgInf2.html", "ProdEd_Descripts.html", "PrEd_WebInfo.html",
      "PrEd_Permissions.html", "PrEd_Simtel.html",     "PrEd_VCL.html"};
  const QString caption = Pages()->tabText(Pages()->currentIndex());
  if (caption == "Quillora") return "PrEd_Quillora.html";
  const int index = Pages()->currentIndex();
  return index >= 0 && index < 7 ? topics[index] : "PrEd_SearchResults.html";
}

}  // namespace quillora::app
