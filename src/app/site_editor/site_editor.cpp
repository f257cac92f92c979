#include "app/site_editor/site_editor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include "app/qt_text.h"
#include "app/site_editor/address_editor.h"
#include "app/site_editor/form_editor.h"
#include "app/site_editor/screenshot_dialog.h"
#include "foundation/app_state.h"
#include "foundation/dates.h"
#include "foundation/stream.h"
#include "foundation/ui_port.h"
#include "net/site_upload.h"
#include "pad/record_cipher.h"
#include "sites/site_list.h"

namespace quillora::app {

namespace {

const char* const kPurposes[] = {"Home", "Search", "Submit", "Update"};
const char* const kMethods[] = {"Unknown", "Form", "PAD", "Mail"};
QWidget* window_slot = nullptr;

// A number field's stored text as the number it shows; a text that is no number is the lowest.
int NumberOf(const std::string& text, int empty_value, int low, int high) {
  if (text.empty()) return empty_value;
  bool ok = false;
  const int n = QString::fromStdString(text).trimmed().toInt(&ok);
  return ok ? std::clamp(n, low, high) : low;
}

QSpinBox* NumberField(QWidget* parent, const char* name, int low, int high) {
  auto* box = new QSpinBox(parent);
  box->setObjectName(name);
  box->setRange(low, high);
  box->setMinimumWidth(90);
  return box;
}

QCheckBox* Check(QWidget* parent, const char* name, const QString& text) {
  auto* box = new QCheckBox(text, parent);
  box->setObjectName(name);
  return box;
}

QLineEdit* Line(QWidget* parent, const char* name) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  return edit;
}

QComboBox* Choice(QWidget* parent, const char* name, const std::vector<std::string>& items) {
  auto* box = new QComboBox(parent);
  box->setObjectName(name);
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  for (const std::string& item : items) box->addItem(ToQString(item));
  return box;
}

// Copies a whole site, cover included, the way the file holds it.
void CopySite(const TWebSite& from, TWebSite& to) {
  TMemoryStream bytes;
  from.SaveToStream(bytes);
  bytes.SetPosition(0);
  to.LoadFromStream(bytes);
}

std::string FileNameOnly(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

TdlgSiteEditor::TdlgSiteEditor(TWebSite& site, const TSiteChoiceLists* known, QWidget* parent)
    : TEditorDialog(parent), site_(site), working_(std::make_unique<TWebSite>()) {
  setObjectName("dlgSiteEditor");
  setWindowTitle("Site Editor");
  resize(840, 520);
  if (known) {
    known_ = *known;
  } else if (SiteListReady()) {
    TSiteList& list = SiteList();
    for (int i = 0; i < list.Count(); ++i) known_.AddSite(*list.SiteAt(i));
  }
  CopySite(site_, *working_);
  file_name_ = FileNameOnly(site_.FileName);

  tabs_ = new QTabWidget(this);
  tabs_->setObjectName("pcPages");
  BuildGeneral(tabs_);
  BuildSearch(tabs_);
  BuildAdvanced(tabs_);
  BuildTemplates(tabs_);
  BuildCategories(tabs_);
  BuildComments(tabs_);
  BuildMessages(tabs_);
  BuildContributor(tabs_);

  auto* buttons = new QHBoxLayout;
  auto* help = new QPushButton("Help", this);
  help->setObjectName("btnHelp");
  connect(help, &QPushButton::clicked, this, [] { ShowError("No help for this topic"); });
  auto* save = new QPushButton("Save", this);
  save->setObjectName("btnSave");
  save->setDefault(true);
  connect(save, &QPushButton::clicked, this, &QDialog::accept);
  cancel_ = new QPushButton("Cancel", this);
  cancel_->setObjectName("btnCancel");
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  buttons->addWidget(help);
  buttons->addStretch();
  buttons->addWidget(save);
  buttons->addWidget(cancel_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addLayout(buttons);

  LoadFields();
  RefreshForms();
  ShowCover();
  tabs_->setCurrentIndex(0);
  addresses_[0]->setFocus();
}

TdlgSiteEditor::~TdlgSiteEditor() {
  // The page must go before the profile it lives in.
  delete browser_;
}

void TdlgSiteEditor::BuildGeneral(QTabWidget* tabs) {
  auto* page = new QWidget(tabs);
  auto* grid = new QGridLayout(page);
  int row = 0;
  name_ = Line(page, "edName");
  grid->addWidget(new QLabel("Site name", page), row, 0);
  grid->addWidget(name_, row++, 1, 1, 2);
  uin_ = Line(page, "edUIN");
  uin_->setEnabled(AdminMode());
  grid->addWidget(new QLabel("Site UIN:", page), row, 0);
  grid->addWidget(uin_, row++, 1, 1, 2);
  const char* captions[] = {"Home page URL", "Search page URL", "Submit page URL",
                            "Update page URL"};
  const char* names[] = {"edHomeURL", "edSearchURL", "edSubmitURL", "edUpdateURL"};
  for (int i = 0; i < 4; ++i) {
    addresses_[i] = Line(page, names[i]);
    auto* more = new QPushButton("...", page);
    more->setObjectName(QString("btn%1URL").arg(kPurposes[i]));
    more->setFixedWidth(32);
    connect(more, &QPushButton::clicked, this, [this, i] { EditAddressOf(i + 1); });
    grid->addWidget(new QLabel(captions[i], page), row, 0);
    grid->addWidget(addresses_[i], row, 1);
    grid->addWidget(more, row++, 2);
  }

  auto* lower = new QHBoxLayout;
  auto* fields = new QFormLayout;
  language_ = Choice(page, "cbLanguage", known_.languages);
  fields->addRow("Language", language_);
  method_ = new QComboBox(page);
  method_->setObjectName("cbMethod");
  for (const char* m : kMethods) method_->addItem(m);
  fields->addRow("Method:", method_);
  rating_ = NumberField(page, "seRating", 1, 100);
  fields->addRow("Rating", rating_);
  protected_ = Check(page, "cbProtected", "Protected");
  disabled_ = Check(page, "cbDisabled", "Disabled");
  fields->addRow(protected_);
  fields->addRow(disabled_);
  lower->addLayout(fields, 1);

  auto* picture = new QVBoxLayout;
  cover_ = new QLabel(page);
  cover_->setObjectName("imgCover");
  cover_->setFixedSize(kThumbnailWidth + 2, kThumbnailHeight + 2);
  cover_->setFrameShape(QFrame::Box);
  cover_->setAlignment(Qt::AlignCenter);
  auto* shot = new QPushButton("Update ScreenShot", page);
  shot->setObjectName("btnScreenshot");
  connect(shot, &QPushButton::clicked, this, &TdlgSiteEditor::UpdateScreenshot);
  picture->addWidget(cover_);
  picture->addWidget(shot);
  picture->addStretch();
  lower->addLayout(picture);
  grid->addLayout(lower, row++, 0, 1, 3);
  grid->setRowStretch(row, 1);
  grid->setColumnStretch(1, 1);
  tabs->addTab(page, "General");
}

void TdlgSiteEditor::BuildSearch(QTabWidget* tabs) {
  auto* page = new QWidget(tabs);
  auto* form = new QFormLayout(page);
  auto_search_ = Check(page, "cbAutoSearch", "AutoSearch");
  form->addRow(auto_search_);
  subst_space_ = Line(page, "edSubstSpace");
  form->addRow("Subst space with", subst_space_);
  custom_not_found_ = Line(page, "edCustomNotFound");
  form->addRow("Custom not found", custom_not_found_);
  min_match_ = NumberField(page, "seMinMatch", -1, 10);
  form->addRow("Min match", min_match_);
  min_match_pos_ = NumberField(page, "seMinMatchPos", -1, 100000);
  form->addRow("Min match pos", min_match_pos_);
  disable_not_found_ = Check(page, "cbDisableNotFound", "Disable notfound.dat");
  form->addRow(disable_not_found_);
  do_not_encode_ = Check(page, "cbDoNotEncode", "Do not encode post data");
  form->addRow(do_not_encode_);
  tabs->addTab(page, "Search Options");
}

void TdlgSiteEditor::BuildAdvanced(QTabWidget* tabs) {
  auto* page = new QWidget(tabs);
  auto* layout = new QVBoxLayout(page);
  disable_scripts_ = Check(page, "cbDisableScripts", "Disable Scripts");
  layout->addWidget(disable_scripts_);
  auto* group = new QGroupBox("  Pop-ups processing  ", page);
  auto* group_layout = new QVBoxLayout(group);
  popups_ = new QComboBox(group);
  popups_->setObjectName("cbPopups");
  popups_->addItems({"Enable", "Load in the same window", "Disable"});
  group_layout->addWidget(popups_);
  layout->addWidget(group);
  layout->addStretch();
  tabs->addTab(page, "Advanced Options");
}

void TdlgSiteEditor::BuildTemplates(QTabWidget* tabs) {
  auto* page = new QWidget(tabs);
  auto* layout = new QVBoxLayout(page);
  forms_ = new QTreeWidget(page);
  forms_->setObjectName("lvForms");
  forms_->setRootIsDecorated(false);
  forms_->setHeaderLabels({"Name", "Purpose", "URL", "Count", "LastUpdated", "Fingerprint"});
  const int widths[] = {90, 60, 210, 50, 140, 150};
  for (int i = 0; i < 6; ++i) forms_->setColumnWidth(i, widths[i]);
  connect(forms_, &QTreeWidget::itemDoubleClicked, this, &TdlgSiteEditor::EditChosenForm);
  connect(forms_, &QTreeWidget::currentItemChanged, this, [this] {
    const bool chosen = forms_->currentItem() != nullptr;
    edit_form_->setEnabled(chosen);
    delete_form_->setEnabled(chosen);
  });
  layout->addWidget(forms_);
  auto* buttons = new QHBoxLayout;
  edit_form_ = new QPushButton("Edit", page);
  edit_form_->setObjectName("btnEditForm");
  connect(edit_form_, &QPushButton::clicked, this, &TdlgSiteEditor::EditChosenForm);
  delete_form_ = new QPushButton("Delete", page);
  delete_form_->setObjectName("btnDeleteForm");
  connect(delete_form_, &QPushButton::clicked, this, &TdlgSiteEditor::DeleteChosenForm);
  buttons->addWidget(edit_form_);
  buttons->addWidget(delete_form_);
  buttons->addStretch();
  layout->addLayout(buttons);
  tabs->addTab(page, "Templates");
}

void TdlgSiteEditor::BuildCategories(QTabWidget* tabs) {
  auto* page = new QWidget(tabs);
  auto* layout = new QVBoxLayout(page);
  auto* form = new QFormLayout;
  for (int i = 0; i < 4; ++i) {
    categories_[i] =
        Choice(page, QString("cbCategory%1").arg(i + 1).toLatin1().constData(), known_.categories);
    form->addRow(QString("Category %1").arg(i + 1), categories_[i]);
  }
  layout->addLayout(form);
  auto* flags = new QGroupBox(" Flags ", page);
  auto* flag_layout = new QVBoxLayout(flags);
  payment_ = Check(flags, "cbPaymentRequired", "Payment Required");
  control_panel_flag_ = Check(flags, "cbControlPanel", "Control Panel for authors");
  flag_layout->addWidget(payment_);
  flag_layout->addWidget(control_panel_flag_);
  layout->addWidget(flags);
  layout->addStretch();
  tabs->addTab(page, "Categories");
}

void TdlgSiteEditor::BuildComments(QTabWidget* tabs) {
  comments_ = new QPlainTextEdit(tabs);
  comments_->setObjectName("memComments");
  tabs->addTab(comments_, "Comments");
}

void TdlgSiteEditor::BuildMessages(QTabWidget* tabs) {
  auto* page = new QWidget(tabs);
  auto* grid = new QGridLayout(page);
  for (int i = 0; i < 4; ++i) {
    messages_[i] = new QPlainTextEdit(page);
    messages_[i]->setObjectName(QString("memMessage%1").arg(kPurposes[i]));
    grid->addWidget(new QLabel(kPurposes[i], page), (i / 2) * 2, i % 2);
    grid->addWidget(messages_[i], (i / 2) * 2 + 1, i % 2);
  }
  tabs->addTab(page, "Messages");
}

void TdlgSiteEditor::BuildContributor(QTabWidget* tabs) {
  auto* page = new QWidget(tabs);
  auto* layout = new QVBoxLayout(page);
  auto* grid = new QGridLayout;
  const char* captions[] = {"Full Name:", "e-mail:", "Company:", "URL:"};
  const char* names[] = {"edContributorName", "edContributorEmail", "edContributorCompany",
                         "edContributorURL"};
  for (int i = 0; i < 4; ++i) {
    contributor_[i] = Line(page, names[i]);
    grid->addWidget(new QLabel(captions[i], page), i, 0);
    grid->addWidget(contributor_[i], i, 1);
  }
  auto* open = new QPushButton("...", page);
  open->setObjectName("btnOpenContributorURL");
  open->setFixedWidth(32);
  connect(open, &QPushButton::clicked, this, [this] {
    // The address comes from a shared site file: only web pages go to the system browser, never
    // a local file or program that the desktop would open.
    QString address = contributor_[3]->text().trimmed();
    if (address.isEmpty()) return;
    const QUrl url = QUrl::fromUserInput(address);
    if (url.scheme() != "http" && url.scheme() != "https") return;
    UI().OpenDocument(FromQString(url.toString()));
  });
  grid->addWidget(open, 3, 2);
  layout->addLayout(grid);

  auto* group = new QGroupBox(" Site upload ", page);
  group->setObjectName("gbUpload");
  upload_group_ = group;
  auto* row = new QHBoxLayout(group);
  row->addWidget(new QLabel("Login:", group));
  login_ = Line(group, "edLogin");
  row->addWidget(login_, 1);
  upload_choice_ = new QComboBox(group);
  upload_choice_->setObjectName("cbUploadChoice");
  upload_choice_->addItems({"Upload", "Delete"});
  row->addWidget(upload_choice_);
  upload_ = new QPushButton("Upload", group);
  upload_->setObjectName("btnUpload");
  connect(upload_, &QPushButton::clicked, this, &TdlgSiteEditor::Upload);
  row->addWidget(upload_);
  auto* panel = new QPushButton("Control Panel", group);
  panel->setObjectName("btnControlPanel");
  connect(panel, &QPushButton::clicked, this, &TdlgSiteEditor::OpenControlPanel);
  row->addWidget(panel);
  layout->addWidget(group);
  layout->addStretch();
  contributor_layout_ = layout;
  tabs->addTab(page, "Contributor");
}

void TdlgSiteEditor::LoadFields() {
  TSiteInfo& info = working_->Info;
  TOptionsList& common = info.CommonInfo();
  name_->setText(ToQString(common.GetString("Name")));
  uin_->setText(ToQString(common.GetString("UIN")));
  for (int i = 0; i < 4; ++i)
    addresses_[i]->setText(ToQString(info.URLs.Record(kPurposes[i]).Address()));
  language_->setCurrentText(ToQString(common.GetString("Language")));
  method_->setCurrentIndex(0);
  const QString method = ToQString(common.GetString("Submit Type"));
  for (int i = 0; i < 4; ++i)
    if (method.compare(kMethods[i], Qt::CaseInsensitive) == 0) method_->setCurrentIndex(i);
  rating_->setValue(NumberOf(common.GetString("Rating"), 1, 1, 100));
  protected_->setChecked(working_->Protected != 0);
  disabled_->setChecked(common.GetBool("Disabled"));

  TOptionsList& search = info.SearchOptions();
  auto_search_->setChecked(search.GetString("AutoSearch").empty() || search.GetBool("AutoSearch"));
  subst_space_->setText(ToQString(search.GetString("SubstSpaceWith")));
  custom_not_found_->setText(ToQString(search.GetString("CustomNotFound")));
  min_match_->setValue(NumberOf(search.GetString("MinMatch"), 0, -1, 10));
  min_match_pos_->setValue(NumberOf(search.GetString("MinMatchPos"), 0, -1, 100000));
  disable_not_found_->setChecked(search.GetBool("Disable Std NotFound"));
  do_not_encode_->setChecked(search.GetBool("Do not encode data"));

  TOptionsList& advanced = info.AdvancedOptions();
  disable_scripts_->setChecked(advanced.GetBool("Disable scripts"));
  const int popups = NumberOf(advanced.GetString("New window processing"), 0, -1, 1 << 20);
  popups_->setCurrentIndex(popups < 0 ? 0 : std::min(popups, 2));

  for (int i = 0; i < 4; ++i)
    categories_[i]->setCurrentText(
        ToQString(common.GetString("Category " + std::to_string(i + 1))));
  payment_->setChecked(common.GetBool("Payment Required"));
  control_panel_flag_->setChecked(common.GetBool("Control Panel for authors"));
  comments_->setPlainText(ToMemoText(common.GetString("Comments")));
  TOptionsList& popup = info.PopupMessages();
  for (int i = 0; i < 4; ++i) messages_[i]->setPlainText(ToMemoText(popup.GetString(kPurposes[i])));
  const char* contributor_keys[] = {"Contributor Name", "Contributor e-mail", "Contributor Company",
                                    "Contributor URL"};
  for (int i = 0; i < 4; ++i)
    contributor_[i]->setText(ToQString(common.GetString(contributor_keys[i])));

  const bool settings = ApplicationDataReady();
  upload_group_->setVisible(settings && Settings().GetBool("NEW_UPLOAD"));
  login_->setText(settings ? ToQString(Settings().GetString("Contributor Login")) : QString());
  upload_choice_->setCurrentIndex(0);
}

void TdlgSiteEditor::StoreFields() {
  TSiteInfo& info = working_->Info;
  TOptionsList& common = info.CommonInfo();
  common.SetString("Name", FromQString(name_->text()));
  common.SetString("UIN", FromQString(uin_->text()));
  for (int i = 0; i < 4; ++i)
    info.URLs.Record(kPurposes[i]).SetAddress(FromQString(addresses_[i]->text()));
  common.SetString("Language", FromQString(language_->currentText()));
  common.SetString("Submit Type", FromQString(method_->currentText()));
  common.SetString("Rating", std::to_string(rating_->value()));
  working_->Protected = protected_->isChecked() ? 1 : 0;
  common.SetBool("Disabled", disabled_->isChecked());

  TOptionsList& search = info.SearchOptions();
  search.SetBool("AutoSearch", auto_search_->isChecked());
  search.SetString("SubstSpaceWith", FromQString(subst_space_->text()));
  search.SetString("CustomNotFound", FromQString(custom_not_found_->text()));
  search.SetString("MinMatch", std::to_string(min_match_->value()));
  search.SetString("MinMatchPos", std::to_string(min_match_pos_->value()));
  search.SetBool("Disable Std NotFound", disable_not_found_->isChecked());
  search.SetBool("Do not encode data", do_not_encode_->isChecked());

  TOptionsList& advanced = info.AdvancedOptions();
  advanced.SetBool("Disable scripts", disable_scripts_->isChecked());
  advanced.SetString("New window processing", std::to_string(popups_->currentIndex()));

  for (int i = 0; i < 4; ++i)
    common.SetString("Category " + std::to_string(i + 1),
                     FromQString(categories_[i]->currentText()));
  common.SetBool("Payment Required", payment_->isChecked());
  common.SetBool("Control Panel for authors", control_panel_flag_->isChecked());
  common.SetString("Comments", FromMemoText(comments_->toPlainText()));
  TOptionsList& popup = info.PopupMessages();
  for (int i = 0; i < 4; ++i)
    popup.SetString(kPurposes[i], FromMemoText(messages_[i]->toPlainText()));
  const char* contributor_keys[] = {"Contributor Name", "Contributor e-mail", "Contributor Company",
                                    "Contributor URL"};
  for (int i = 0; i < 4; ++i)
    common.SetString(contributor_keys[i], FromQString(contributor_[i]->text()));
}

void TdlgSiteEditor::SaveSite() {
  StoreFields();
  const std::string old_uin = site_.UIN();
  CopySite(*working_, site_);
  if (old_uin != site_.UIN())
    if (auto* list = dynamic_cast<TSiteList*>(site_.SiteOwner())) list->InvalidateIndex();
  if (image_changed_) {
    try {
      site_.SetCoverPicture(working_->GetCoverPicture());
    } catch (const std::exception&) {
      ShowWarning("Unable to replace image.\r\nThe image will be replaced after restart");
    }
  }
  site_.SaveSiteFile("", false);
}

void TdlgSiteEditor::ShowCover() {
  try {
    cover_->setPixmap(QPixmap::fromImage(FromImage24(working_->GetCoverPicture())));
  } catch (const std::exception&) {
    cover_->setText("(no picture)");
  }
}

void TdlgSiteEditor::RefreshForms() {
  const int chosen = forms_->indexOfTopLevelItem(forms_->currentItem());
  forms_->clear();
  TFormsList& forms = working_->Forms();
  for (int i = 0; i < forms.Count(); ++i) {
    const TWebForm& form = *forms.FormAt(i);
    auto* item = new QTreeWidgetItem(forms_);
    item->setText(0, ToQString(form.FormName));
    item->setText(1, form.Purpose == fpSubmit  ? "Submit"
                     : form.Purpose == fpLogin ? "Login"
                                               : "None");
    item->setText(2, ToQString(form.URL));
    item->setText(3, QString::number(form.FieldCount()));
    item->setText(4, ToQString(DateTimeToStr(form.LastUpdated)));
    item->setText(5, ToQString(form.Fingerprint));
  }
  const int count = forms_->topLevelItemCount();
  if (count > 0)
    forms_->setCurrentItem(forms_->topLevelItem(chosen >= 0 && chosen < count ? chosen : 0));
  edit_form_->setEnabled(count > 0);
  delete_form_->setEnabled(count > 0);
}

void TdlgSiteEditor::EditChosenForm() {
  const int row = forms_->indexOfTopLevelItem(forms_->currentItem());
  if (row < 0) return;
  if (EditForm(this, *working_->Forms().FormAt(row))) RefreshForms();
}

void TdlgSiteEditor::DeleteChosenForm() {
  const int row = forms_->indexOfTopLevelItem(forms_->currentItem());
  if (row < 0 || !AskYesNo("Are you sure you wish to delete this template?")) return;
  working_->Forms().Delete(row);
  RefreshForms();
}

void TdlgSiteEditor::EditAddressOf(int purpose) {
  working_->Info.URLs.Record(kPurposes[purpose - 1])
      .SetAddress(FromQString(addresses_[purpose - 1]->text()));
  if (EditAddress(this, working_->Info.URLs, purpose))
    addresses_[purpose - 1]->setText(
        ToQString(working_->Info.URLs.Record(kPurposes[purpose - 1]).Address()));
}

void TdlgSiteEditor::UpdateScreenshot() {
  working_->Info.URLs.Home().SetAddress(FromQString(addresses_[0]->text()));
  const std::string name_before = working_->Name();
  if (!TakeScreenshot(this, *working_)) return;
  // The page's title may have named a site without one.
  if (working_->Name() != name_before && name_->text().isEmpty())
    name_->setText(ToQString(working_->Name()));
  ShowCover();
  image_changed_ = true;
}

void TdlgSiteEditor::Upload() {
  StoreFields();
  if (!AskPassword()) return;
  // A site never saved goes under the name its file would get.
  const std::string file_name =
      file_name_.empty() ? FileNameOnly(working_->MakeFileName()) : file_name_;
  const TSiteUpload upload{FromQString(login_->text()), password_,
                           upload_choice_->currentIndex() == 1};
  if (!UploadSite(*working_, file_name, upload)) return;
  // The site now carries the time of the uploaded copy: only "Save" may close the editor.
  SetCancelAllowed(false);
  cancel_->setEnabled(false);
}

bool TdlgSiteEditor::AskPassword() {
  std::string typed = password_;
  if (typed.empty() && ApplicationDataReady())
    typed = DecryptText(Settings().GetString("Contributor Password"));
  if (!UI().InputText("Password", "Password", typed) || typed.empty()) return false;
  password_ = typed;
  return true;
}

void TdlgSiteEditor::OpenControlPanel() {
  if (!AskPassword()) return;
  const QString login = login_->text();
  const QString password = ToQString(password_);
  auto fallback = [login, password] {
    std::string base = ApplicationDataReady() ? Settings().GetString("Sites Repository") : "";
    if (base.size() >= 6 && base.compare(base.size() - 6, 6, "sites/") == 0)
      base.resize(base.size() - 6);
    UI().OpenDocument(base + "db/contrib_view.php?Action=Login&Login=" + FromQString(login) +
                      "&Password=" + FromQString(password));
  };
  const std::string page = ApplicationDataReady() ? Folders().data + "TML/login.html" : "";
  if (page.empty()) {
    fallback();
    return;
  }
  if (!browser_) {
    // The panel opens below the upload group, in place of the empty space.
    browser_ = new QWebEngineView(this);
    browser_->setObjectName("wbControlPanel");
    browser_->setMinimumHeight(200);
    contributor_layout_->insertWidget(contributor_layout_->count() - 1, browser_, 1);
    // The local login page posts to the panel on the web.
    browser_->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
  }
  // JSON-quoted, so a login with quotes cannot break out of the script.
  auto quoted = [](const QString& s) {
    QString out = "\"";
    for (QChar c : s) {
      if (c == '"' || c == '\\')
        out += '\\', out += c;
      else if (c.unicode() < 0x20 || c.unicode() == 0x2028 || c.unicode() == 0x2029)
        out += QString("\\u%1").arg(c.unicode(), 4, 16, QChar('0'));
      else
        out += c;
    }
    return out + "\"";
  };
  const QString script =
      "(function () { try { const f = document.forms['frmLogin'];"
      " if (!f || !f.elements['Login'] || !f.elements['Password']) return 0;"
      " f.elements['Login'].value = " +
      quoted(login) + "; f.elements['Password'].value = " + quoted(password) +
      "; f.submit(); return 1; } catch (e) { return 0; } })()";
  // Two loads follow: the local page, then the panel the form posts to. A failure of either, or
  // a page without the form, sends the user to the panel through the system browser instead.
  QPointer<QWebEngineView> view = browser_;
  auto connection = std::make_shared<QMetaObject::Connection>();
  auto submitted = std::make_shared<bool>(false);
  *connection = connect(view, &QWebEngineView::loadFinished, this,
                        [view, script, fallback, connection, submitted](bool ok) {
                          if (*submitted || !ok) {
                            disconnect(*connection);
                            if (!ok) fallback();
                            return;
                          }
                          view->page()->runJavaScript(script, [view, fallback, connection,
                                                               submitted](const QVariant& done) {
                            if (!view) return;  // the editor was closed meanwhile
                            if (done.toInt() == 1) {
                              *submitted = true;
                              return;
                            }
                            disconnect(*connection);
                            fallback();
                          });
                        });
  browser_->load(QUrl::fromLocalFile(PathToQString(page)));
}

void TdlgSiteEditor::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F4 && forms_->isVisible()) {
    EditChosenForm();
    return;
  }
  if (event->key() == Qt::Key_Delete && forms_->hasFocus()) {
    DeleteChosenForm();
    return;
  }
  TEditorDialog::keyPressEvent(event);
}

bool EditSite(QWidget* parent, TWebSite& site) {
  return EditSite(parent, site, nullptr);
}

bool EditSite(QWidget* parent, TWebSite& site, const TSiteChoiceLists* known) {
  if (AlreadyOpen(window_slot)) return false;
  TdlgSiteEditor editor(site, known, parent);
  TSingleWindow single(window_slot, &editor);
  if (editor.exec() != QDialog::Accepted) return false;
  editor.SaveSite();
  return true;
}

}  // namespace quillora::app
