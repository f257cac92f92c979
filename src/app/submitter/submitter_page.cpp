#include "app/submitter/submitter_page.h"

#include <QAction>
#include <QComboBox>
#include <QDesktopServices>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QSplitter>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineScript>
#include <memory>

#include "app/browser/browser_document.h"
#include "app/browser/web_browser.h"
#include "app/qt_text.h"
#include "app/site_editor/form_editor.h"
#include "app/site_editor/site_editor.h"
#include "app/status/product_status_dialog.h"
#include "app/submitter/url_record_dialog.h"
#include "foundation/app_state.h"
#include "foundation/codepage.h"
#include "foundation/dates.h"
#include "foundation/encoding.h"
#include "foundation/files.h"
#include "foundation/text_utils.h"
#include "foundation/ui_port.h"
#include "net/headless_submit.h"
#include "net/send_mail.h"
#include "pad/product_data.h"
#include "pad/profile.h"
#include "search/search_page.h"
#include "search/search_results.h"
#include "sites/site.h"
#include "sites/site_list.h"
#include "sites/sites_state.h"
#include "sites/sites_view.h"
#include "submit/form_filler.h"
#include "submit/login_capture.h"
#include "submit/status_records.h"

namespace quillora::app {

namespace {

QString Q(const std::u16string& s) {
  return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}

bool HasProduct() {
  return RecordListsReady() && ActiveProfileValues() != nullptr;
}

std::vector<int> ViewOrder() {
  int sort = 0;
  TryStrToInt(Settings().GetString("Sites List Sort"), sort);
  return SortedSitePositions(SiteList(), TSitesSort::FromSetting(sort));
}

// The page through the translation service's "tr" page, or "" with the reason in message.
std::string TranslationAddress(const std::string& language, const std::string& page,
                               const std::string& service, std::string& message) {
  static const std::pair<const char*, const char*> kPairs[] = {
      {"chinese", "zh_en"},    {"french", "fr_en"},   {"german", "de_en"},
      {"italian", "it_en"},    {"japanese", "ja_en"}, {"korean", "ko_en"},
      {"portuguese", "pt_en"}, {"russian", "ru_en"},  {"spanish", "es_en"}};
  if (SameText(language, "english") || language.empty()) {
    message = "Please, use this feature for non-English sites only.";
    return "";
  }
  for (const auto& [name, pair] : kPairs) {
    if (!SameText(language, name)) continue;
    if (service.empty()) {
      message =
          "No translation service is set: put its address into the setting "
          "\"Translation Service\".";
      return "";
    }
    std::string base = service;
    if (base.back() != '/') base += '/';
    return base + "tr?url=" + UrlEncodeValue(page) + "&lp=" + pair;
  }
  message = "Sorry, cannot translate from this language.";
  return "";
}

}  // namespace

TfraSubmitter::TfraSubmitter(QWidget* parent) : QWidget(parent) {
  setObjectName("fraSubmitter");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* bar = new QToolBar(this);
  bar->setObjectName("tbSubmitter");
  layout->addWidget(bar);

  auto* address_row = new QHBoxLayout;
  address_ = new QLineEdit(this);
  address_->setObjectName("edAddress");
  address_row->addWidget(address_, 1);
  listed_ = new QLabel(this);
  listed_->setObjectName("lblListed");
  submitted_ = new QLabel(this);
  submitted_->setObjectName("lblSubmitted");
  override_ = new QComboBox(this);
  override_->setObjectName("cbStatusOverride");
  for (const std::string& item : OverrideItems()) override_->addItem(ToQString(item));
  address_row->addWidget(listed_);
  address_row->addWidget(submitted_);
  address_row->addWidget(override_);
  layout->addLayout(address_row);

  auto* split = new QSplitter(this);
  browser_ = new TWebBrowser(split);
  side_ = new QTabWidget(split);
  side_->setObjectName("pcSidePanel");
  queue_ = new QListWidget(side_);
  queue_->setObjectName("lvSites");
  side_->addTab(queue_, "Sites");
  auto* notes_page = new QWidget(side_);
  auto* notes_layout = new QVBoxLayout(notes_page);
  notes_layout->addWidget(new QLabel(" Messages from contributors", notes_page));
  messages_ = new QPlainTextEdit(notes_page);
  messages_->setObjectName("memMessages");
  messages_->setReadOnly(true);
  notes_layout->addWidget(messages_);
  notes_layout->addWidget(new QLabel(" Notes", notes_page));
  notes_ = new QPlainTextEdit(notes_page);
  notes_->setObjectName("memNotes");
  notes_->setEnabled(false);
  notes_layout->addWidget(notes_);
  side_->addTab(notes_page, "Messages / Notes");
  split->setStretchFactor(0, 1);
  layout->addWidget(split, 1);

  auto* status_row = new QHBoxLayout;
  status_ = new QLabel(this);
  status_->setObjectName("lblStatus");
  progress_ = new QProgressBar(this);
  progress_->setObjectName("pbLoad");
  progress_->setMaximumWidth(160);
  processed_label_ = new QLabel(this);
  processed_label_->setObjectName("lblProcessed");
  gauge_ = new QProgressBar(this);
  gauge_->setObjectName("pbSubmissions");
  gauge_->setMaximumWidth(160);
  gauge_->setFormat("%v / %m");
  status_row->addWidget(status_, 1);
  status_row->addWidget(processed_label_);
  status_row->addWidget(gauge_);
  status_row->addWidget(progress_);
  layout->addLayout(status_row);

  BuildActions(bar);

  connect(address_, &QLineEdit::returnPressed, this,
          [this] { browser_->Navigate(QUrl::fromUserInput(address_->text())); });
  connect(browser_, &TWebBrowser::loadStarted, this, [this] {
    page_filled_ = false;
    if (back_counter_ > 0) ++back_counter_;
  });
  connect(browser_, &TWebBrowser::loadProgress, progress_, &QProgressBar::setValue);
  connect(browser_, &TWebBrowser::statusTextChanged, status_, &QLabel::setText);
  connect(browser_, &TWebBrowser::urlChanged, this, [this](const QUrl& url) {
    if (!address_->hasFocus()) address_->setText(url.toString());
  });
  connect(browser_, &TWebBrowser::loadFinished, this, [this](bool ok) { PageFinished(ok); });
  connect(browser_->Page(), &TBrowserPage::formSubmitted, this, &TfraSubmitter::FormSubmitted);
  connect(queue_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    if (!HasProduct()) {
      ShowInfo("Please, select a product first");
      return;
    }
    OpenSite(SiteList().FindByUIN(item->data(Qt::UserRole).toString().toStdString()), "Submit");
  });
  connect(override_, &QComboBox::activated, this, [this](int) {
    TWebSite* site = CurrentSite();
    if (!site || updating_panel_ || !HasProduct()) return;
    try {
      SetStatusOverride(ActiveProfile(), site->UIN(), override_->currentText().toStdString());
      CommitStatusChange(ActiveProfile());
      site->UpdateVersionHandled(ActiveProfile().GetString("Program_Info/Program_Version"));
    } catch (const std::exception& e) {
      ShowError(e.what());
    }
    RefreshStatusPanel();
  });
  RefreshActions();
}

TfraSubmitter::~TfraSubmitter() = default;

QAction* TfraSubmitter::AddAction(QToolBar* bar, const char* name, const QString& text,
                                  bool enabled) {
  auto* action = new QAction(text, this);
  action->setObjectName(name);
  action->setEnabled(enabled);
  bar->addAction(action);
  return action;
}

void TfraSubmitter::BuildActions(QToolBar* bar) {
  for (const char* page : {"Home", "Search", "Submit", "Update"}) {
    const std::string name = std::string("actGo") + page;
    connect(AddAction(bar, name.c_str(), page, true), &QAction::triggered, this,
            [this, page] { OpenPage(page); });
  }
  QAction* next = AddAction(bar, "actNextSite", "Next", true);
  next->setShortcut(QKeySequence(Qt::Key_F7));
  next->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  connect(next, &QAction::triggered, this, [this] { NextSite(); });
  bar->addSeparator();
  connect(AddAction(bar, "actFillAll", "Fill All", true), &QAction::triggered, this,
          [this] { FillAll(false); });
  connect(AddAction(bar, "actFillThisForm", "Fill This", true), &QAction::triggered, this,
          [this] { FillThis(); });
  // Present but not built yet on this page.
  connect(AddAction(bar, "actCaptureForm", "Capture", true), &QAction::triggered, this,
          [this] { CaptureSearch(); });
  connect(AddAction(bar, "actEditTemplate", "Edit Tml", true), &QAction::triggered, this,
          [this] { EditTemplate(); });
  QAction* edit_site = AddAction(bar, "actEditSite", "Edit Site", true);
  edit_site->setShortcut(QKeySequence(Qt::Key_F4));
  edit_site->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  connect(edit_site, &QAction::triggered, this, [this] {
    TWebSite* site = CurrentSite();
    if (!site || !EditSite(this, *site)) return;
    RefreshStatusPanel();
    emit siteChanged(ToQString(site->UIN()));
  });
  connect(AddAction(bar, "actSaveTemplate", "Save Tml", true), &QAction::triggered, this,
          [this] { SaveTemplate(); });
  connect(AddAction(bar, "actSiteInfo", "Status", true), &QAction::triggered, this, [this] {
    TWebSite* site = CurrentSite();
    if (!site || !HasProduct()) return;
    SaveNotes();
    if (ShowProductStatus(*site, ActiveProfile(), false, this)) {
      // The dialog may have changed the notes shown beside the page.
      const std::string notes = ReadProductStatus(ActiveProfile(), site->UIN()).product_notes;
      notes_->setPlainText(ToMemoText(notes));
      notes_->document()->setModified(false);
      RefreshStatusPanel();
    }
  });
  bar->addSeparator();
  connect(AddAction(bar, "actBack", "Back", true), &QAction::triggered, this, [this] {
    back_counter_ = 1;
    browser_->GoBack();
  });
  connect(AddAction(bar, "actStop", "Stop", true), &QAction::triggered, browser_,
          &TWebBrowser::Stop);
  connect(AddAction(bar, "actRefresh", "Refresh", true), &QAction::triggered, browser_,
          &TWebBrowser::Refresh);
  connect(AddAction(bar, "actSetVersionListed", "Set Version Listed", true), &QAction::triggered,
          this, [this] {
            if (TWebSite* site = CurrentSite(); site && HasProduct()) {
              SetVersionListed(ActiveProfile(), site->UIN());
              CommitStatusChange(ActiveProfile());
              RefreshStatusPanel();
            }
          });
  connect(AddAction(bar, "actSetListedAsSubmitted", "Set Listed As Submitted", true),
          &QAction::triggered, this, [this] {
            if (TWebSite* site = CurrentSite(); site && HasProduct()) {
              SetListedAsSubmitted(ActiveProfile(), site->UIN());
              CommitStatusChange(ActiveProfile());
              RefreshStatusPanel();
            }
          });
  BuildMoreMenu(bar);
}

void TfraSubmitter::BuildMoreMenu(QToolBar* bar) {
  auto* more = new QToolButton(bar);
  more->setObjectName("btnMore");
  more->setText("More");
  more->setPopupMode(QToolButton::InstantPopup);
  auto* menu = new QMenu(more);
  auto add = [&](const char* name, const char* text, auto&& run) {
    auto* action = menu->addAction(text);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, run);
  };
  add("actSaveURL", "Save URL", [this] {
    TWebSite* site = CurrentSite();
    if (!site || !HasProduct()) return;
    TProfile& profile = ActiveProfile();
    if (TOptionsList* list = profile.SiteList(TSiteValueKind::ProductListings))
      list->SetString(site->UIN(), FromQString(browser_->LocationURL().toString()));
    if (!CommitStatusChange(profile)) ShowError("The product could not be saved");
  });
  add("actGotoURL", "Goto URL", [this] {
    TWebSite* site = CurrentSite();
    if (!site || !HasProduct()) return;
    const std::string url = ActiveProfile().SiteValue(TSiteValueKind::ProductListings, site->UIN());
    if (url.empty())
      ShowInfo("No listing page is stored for this site: open it and use Save URL.");
    else
      browser_->Navigate(QUrl(ToQString(url)));
  });
  menu->addSeparator();
  add("actTestAutosearch", "Test Autosearch", [this] {
    if (!CurrentSite() || !HasProduct()) return;
    const std::string uin = site_uin_;
    browser_->Page()->toHtml([this, uin](const QString& html) {
      TWebSite* site = CurrentSite();
      if (!site || site_uin_ != uin) return;
      const TSearchVerdict verdict = AnalyseSearchPage(*site, FromQString(html));
      ShowInfo(std::string(verdict.listed ? kSearchFound : kSearchNotFound) + "\r\n" +
               verdict.details);
    });
  });
  add("actTranslate", "Translate to English", [this] {
    TWebSite* site = CurrentSite();
    if (!site) return;
    std::string message;
    const std::string address =
        TranslationAddress(site->Info.Value("Common info", "Language"),
                           FromQString(browser_->LocationURL().toString()),
                           Settings().GetString("Translation Service"), message);
    if (address.empty())
      ShowInfo(message);
    else
      browser_->Navigate(QUrl(ToQString(address)));
  });
  menu->addSeparator();
  add("actReloadAliases", "RA (reload aliases)", [] {
    const std::string file = Folders().data + "aliases.dat";
    try {
      TMultiOptions fresh;
      fresh.LoadFromTextFile(file);
      Tables().aliases.SetText(fresh.Text());
    } catch (const std::exception&) {
      ShowError("Cannot load " + file);
    }
  });
  add("actEditAliases", "EA (edit aliases)", [] {
    QDesktopServices::openUrl(QUrl::fromLocalFile(ToQString(Folders().data + "aliases.dat")));
  });
  more->setMenu(menu);
  bar->addWidget(more);
}

void TfraSubmitter::Initialize() {
  RebuildQueue();
  browser_->SetImagesEnabled(!Settings().GetBool("Skip Images"));
  side_->setVisible(Settings().GetBool("Show Side Panel"));
  const std::string start = Folders().data + "submitter.html";
  if (FileExists(start)) browser_->Navigate(QUrl::fromLocalFile(ToQString(start)));
}

void TfraSubmitter::ToggleSidePanel() {
  side_->setVisible(!side_->isVisible());
}

void TfraSubmitter::Run(const char* action) {
  if (auto* a = findChild<QAction*>(action); a && a->isEnabled()) a->trigger();
}

TWebSite* TfraSubmitter::CurrentSite() const {
  if (site_uin_.empty() || !SiteListReady()) return nullptr;
  return SiteList().FindByUIN(site_uin_);
}

void TfraSubmitter::RebuildQueue() {
  queue_->clear();
  if (!SiteListReady()) return;
  for (int position : ViewOrder()) {
    const TWebSite* site = SiteList().SiteAt(position);
    if (!site || !site->Visible) continue;
    auto* item = new QListWidgetItem(ToQString(site->Name()), queue_);
    item->setData(Qt::UserRole, ToQString(site->UIN()));
  }
}

void TfraSubmitter::RefreshActions() {
  const bool has_site = CurrentSite() != nullptr;
  for (const char* name : {"actGoHome", "actGoSearch", "actGoSubmit", "actGoUpdate",
                           "actSetVersionListed", "actSetListedAsSubmitted"})
    if (auto* a = findChild<QAction*>(name)) a->setEnabled(has_site);
  override_->setEnabled(has_site && HasProduct());
}

void TfraSubmitter::RefreshCounters() {
  if (!SiteListReady()) return;
  int visible = 0;
  for (int i = 0; i < SiteList().Count(); ++i) visible += SiteList().SiteAt(i)->Visible ? 1 : 0;
  processed_label_->setText(QString("Processed %1 of %2 sites").arg(processed_).arg(visible));
  const TSubmissionCounters counters =
      CountSubmissions(SiteList(), HasProduct() ? &ActiveProfile() : nullptr);
  gauge_->setMaximum(std::max(1, counters.to_do));
  gauge_->setValue(std::min(counters.done, std::max(1, counters.to_do)));
}

void TfraSubmitter::RefreshStatusPanel() {
  RefreshCounters();
  updating_panel_ = true;
  TWebSite* site = CurrentSite();
  if (site && HasProduct()) {
    const TProfile& profile = ActiveProfile();
    listed_->setText(ToQString(PanelListedText(profile, site->UIN())));
    submitted_->setText(ToQString(PanelSubmittedText(profile, site->UIN(), "dd.mm.yyyy")));
    const std::string state = ReadProductStatus(profile, site->UIN()).status_override;
    const int index = override_->findText(state.empty() ? "Auto" : ToQString(state));
    override_->setCurrentIndex(index < 0 ? 0 : index);
  } else {
    listed_->clear();
    submitted_->clear();
    override_->setCurrentIndex(0);
  }
  updating_panel_ = false;
  RefreshActions();
}

void TfraSubmitter::SaveNotes() {
  TWebSite* site = CurrentSite();
  if (!site || !HasProduct() || !notes_->document()->isModified()) return;
  TProductStatusFields fields = ReadProductStatus(ActiveProfile(), site->UIN());
  fields.product_notes = FromMemoText(notes_->toPlainText());
  if (WriteProductStatus(ActiveProfile(), site->UIN(), fields, Now()))
    CommitStatusChange(ActiveProfile());
  notes_->document()->setModified(false);
}

void TfraSubmitter::OpenSite(TWebSite* site, const std::string& page) {
  if (!site) return;
  SaveNotes();
  site_uin_ = site->UIN();
  for (int i = 0; i < queue_->count(); ++i) {
    if (queue_->item(i)->data(Qt::UserRole).toString().toStdString() == site_uin_) {
      queue_->setCurrentRow(i);
      break;
    }
  }
  RefreshStatusPanel();
  OpenPage(page);
}

void TfraSubmitter::OpenSiteAtAddress(TWebSite* site, const QString& url) {
  if (!site) return;
  SaveNotes();
  site_uin_ = site->UIN();
  for (int i = 0; i < queue_->count(); ++i) {
    if (queue_->item(i)->data(Qt::UserRole).toString().toStdString() == site_uin_) {
      queue_->setCurrentRow(i);
      break;
    }
  }
  RefreshStatusPanel();
  browser_->Stop();
  address_->setText(url);
  browser_->Navigate(QUrl(url));
}

void TfraSubmitter::ShowMessages(const std::string& page) {
  TWebSite* site = CurrentSite();
  // Stored notes end with a line break of their own; one break between the parts is enough.
  auto trimmed = [](std::string t) {
    while (!t.empty() && (t.back() == '\n' || t.back() == '\r')) t.pop_back();
    return t;
  };
  std::string text = trimmed(site->Info.Value("Popup messages", page));
  const std::string comments = trimmed(site->Info.Value("Common info", "Comments"));
  if (!comments.empty()) text = comments + (text.empty() ? "" : "\r\n---\r\n" + text);
  if (!text.empty())
    text += "\r\nComment by " + site->Info.Value("Common info", "Contributor Name");
  std::string remarks;
  if (HasProduct()) {
    const TProductStatusFields fields = ReadProductStatus(ActiveProfile(), site->UIN());
    remarks = fields.company_notes;
    notes_->setPlainText(ToMemoText(fields.product_notes));
  }
  if (!remarks.empty()) text += "\r\n---\r\n" + remarks;
  notes_->document()->setModified(false);
  notes_->setEnabled(HasProduct());
  // Stored texts break lines with CR LF; the box would show each CR as a line of its own.
  messages_->setPlainText(ToMemoText(text));
  if (!text.empty()) {
    side_->setVisible(true);
    side_->setCurrentIndex(1);
  } else if (!Settings().GetBool("Show Side Panel")) {
    side_->setVisible(false);
  }
}

void TfraSubmitter::OpenPage(const std::string& page) {
  TWebSite* site = CurrentSite();
  if (!site || !HasProduct()) return;
  try {
    browser_->SetScriptsEnabled(
        !site->Info.Value("AdvancedOptions", "Disable scripts").empty()
            ? !SameText(site->Info.Value("AdvancedOptions", "Disable scripts"), "TRUE")
            : true);
    browser_->SetImagesEnabled(!Settings().GetBool("Skip Images"));
    int mode = 0;
    TryStrToInt(site->Info.Value("AdvancedOptions", "New window processing"), mode);
    browser_->SetNewWindowMode(mode);
    TProfile& profile = ActiveProfile();
    const bool update = page == "Update";
    profile.SetBool("Runtime/IsNew", !update);
    profile.SetBool("Runtime/IsUpdate", update);
    const TURLInfo& record = site->Info.URLs.Record(page);
    // An e-mail address shows its page message in a message box before sending; other pages
    // show it in the side panel.
    if (record.Kind() == TURLKind::MAIL) {
      const bool handled = site->VersionHandled;
      const TMailSubmission sent = SubmitByMail(*site, profile, page);
      if (sent == TMailSubmission::NotSaved) ShowError("The product could not be saved");
      if (sent == TMailSubmission::Recorded || sent == TMailSubmission::NotSaved) {
        if (!handled) ++processed_;
        RefreshStatusPanel();
        emit submissionRecorded(ToQString(site->UIN()));
      }
      return;
    }
    ShowMessages(page);
    browser_->Navigate(SitePageRequest(*site, page, profile));
  } catch (const std::exception& e) {
    ShowError(e.what());
  }
}

void TfraSubmitter::NextSite() {
  if (!SiteListReady() || !HasProduct()) return;
  const std::string uin =
      NextSiteUIN(SiteList(), ViewOrder(), CurrentSite(), forward_, shown_elsewhere_);
  TWebSite* next = uin.empty() ? nullptr : SiteList().FindByUIN(uin);
  if (!next) {
    ShowInfo(forward_ ? "Last site." : "First site.");
    return;
  }
  OpenSiteForWork(next);
}

void TfraSubmitter::OpenSiteForWork(TWebSite* site) {
  if (!site) return;
  if (!HasProduct()) {
    ShowInfo("Please, select a product first");
    return;
  }
  std::string page;
  if (Settings().GetBool("Open site for submit")) {
    page = ReadProductStatus(ActiveProfile(), site->UIN()).version_listed.empty() ? "Submit"
                                                                                  : "Update";
  } else {
    page = site->Info.URLs.AddressOf("Search").empty() ? "Home" : "Search";
  }
  OpenSite(site, page);
}

void TfraSubmitter::PageFinished(bool ok) {
  if (back_counter_ > 0) --back_counter_;
  if (!ok || page_filled_) return;
  page_filled_ = true;
  if (back_counter_ > 0) {
    if (back_counter_ == 1) back_counter_ = 0;
    return;
  }
  if (Settings().GetBool("AutoFill_Enabled") && CurrentSite()) FillAll(true);
}

void TfraSubmitter::FillAll(bool only_known) {
  if (!CurrentSite() || !HasProduct()) return;
  const std::string uin = site_uin_;
  browser_->Snapshot([this, uin, only_known](const QByteArray& json) {
    TWebSite* site = CurrentSite();
    if (!site || site_uin_ != uin || json.isEmpty()) return;
    int forms = 0;
    try {
      TBrowserDocument document(json);
      FillDocument(document.Top(), site, only_known,
                   [&forms](TDomForm*, TFillMode, TFormPurpose) { ++forms; });
      const QString url = Q(document.Top()->URL());
      browser_->Apply(document.ChangesJson(),
                      [this, forms, url](bool) { emit filled(forms, url); });
    } catch (const std::exception& e) {
      // A page that cannot be read is left as it is.
      status_->setText(ToQString(e.what()));
    }
  });
}

void TfraSubmitter::CaptureSearch() {
  if (!CurrentSite()) return;
  // The form holding the focus (inside same-origin frames too) is sent in this page; its
  // navigation is cancelled and its request becomes the site's search entry point.
  browser_->Page()->CancelNextFormNavigation();
  capturing_ = true;
  browser_->Page()->runJavaScript(
      "(function () { let d = document, e = d.activeElement;"
      " while (e && e.tagName === 'IFRAME' && e.contentDocument) {"
      "   d = e.contentDocument; e = d.activeElement; }"
      " const f = e && e.form; if (!f) return 0;"
      " f.target = '_self'; f.requestSubmit(); return 1; })()",
      QWebEngineScript::ApplicationWorld, [this](const QVariant& sent) {
        if (sent.toInt() == 1) return;
        capturing_ = false;
        browser_->Page()->CancelNextFormNavigation(false);
        ShowInfo("Please, put the cursor into a form first");
      });
}

void TfraSubmitter::CapturedSearch(const TSubmissionReport& report, const QUrl& target) {
  capturing_ = false;
  TWebSite* site = CurrentSite();
  if (!site) return;
  const bool post = report.method == "post";
  TURLInfo record;
  record.SetCapturedSearch(
      post, FromQString(post ? target.toString(QUrl::RemoveQuery) : target.toString()),
      post ? report.EncodedPairs() : std::string(),
      post ? "Content-Type: application/x-www-form-urlencoded\r\n" : std::string());
  TdlgUrlRecord editor("Search entry point", record, this);
  if (editor.exec() != QDialog::Accepted) return;
  site = CurrentSite();
  if (!site) return;
  site->Info.URLs.Search().SetText(editor.Record().Text());
  if (!site->SaveSiteFile("", false)) ShowError("The site could not be saved");
}

void TfraSubmitter::WithFocusedForm(
    std::function<void(TWebSite* site, TBrowserDocument& document, TDomForm* form)> work) {
  const std::string uin = site_uin_;
  browser_->Snapshot([this, uin, work = std::move(work)](const QByteArray& json) {
    TWebSite* site = CurrentSite();
    // The page may have moved on to another site while the snapshot was taken.
    if (!site || site_uin_ != uin || json.isEmpty()) return;
    try {
      TBrowserDocument document(json);
      TDomForm* form = FocusedForm(document.Top());
      if (!form) {
        ShowInfo("Please, put the cursor into a form first");
        return;
      }
      work(site, document, form);
    } catch (const std::exception& e) {
      // A page that cannot be read is left as it is.
      status_->setText(ToQString(e.what()));
    }
  });
}

void TfraSubmitter::SaveTemplate() {
  if (!CurrentSite() || !HasProduct()) return;
  // Templates are learnt from the sample profile's values typed into the form.
  if (!Settings().GetBool("DISABLE_ABD_ERROR") &&
      ActiveProfile().GetString("Company_Info/Company_Name") != "Sample Company") {
    ShowInfo("You should use the sample profile\r\nto create templates.");
    return;
  }
  WithFocusedForm([this](TWebSite* site, TBrowserDocument&, TDomForm* live) {
    const std::string old_print = LiveOldFingerprint(live), print = LiveFingerprint(live);
    TWebForm* existing = site->Forms().FindByFingerprint(old_print, print);
    if (existing && !AskYesNo("Template for this form already exists. Overwrite it?")) return;
    auto form = std::make_unique<TWebForm>();
    CaptureLiveForm(live, *form);
    if (form->HasHiddenFields() &&
        !AskYesNo("This form contains hidden fields\r\nDo you wish to save them as well?"))
      form->ClearHiddenValues();
    AssignTemplates(*form, true);
    AdjustTemplatesToSize(*form, false);
    form->UpdateFingerprint();
    // A form saved from the Submitter is one to submit, unless the user says otherwise.
    form->Purpose = fpSubmit;
    if (!EditForm(this, *form)) return;
    // The page may have moved on while the dialog was open: look everything up again.
    site = CurrentSite();
    if (!site) return;
    TFormsList& forms = site->Forms();
    if (TWebForm* old = forms.FindByFingerprint(old_print, print)) forms.Delete(forms.IndexOf(old));
    forms.AddForm().Assign(*form);
    if (!site->SaveSiteFile("", false)) ShowError("The site could not be saved");
  });
}

void TfraSubmitter::EditTemplate() {
  if (!CurrentSite()) return;
  WithFocusedForm([this](TWebSite* site, TBrowserDocument&, TDomForm* live) {
    const std::string old_print = LiveOldFingerprint(live), print = LiveFingerprint(live);
    const TWebForm* stored = site->Forms().FindByFingerprint(old_print, print);
    if (!stored) {
      ShowInfo("Template not found");
      return;
    }
    // The editor works on a copy; the stored form changes only when the user saves.
    TWebForm copy;
    copy.Assign(*stored);
    if (!EditForm(this, copy)) return;
    site = CurrentSite();
    if (!site) return;
    TWebForm* again = site->Forms().FindByFingerprint(old_print, print);
    if (!again) return;
    again->Assign(copy);
    if (!site->SaveSiteFile("", false)) ShowError("The site could not be saved");
  });
}

void TfraSubmitter::FillThis() {
  if (!CurrentSite() || !HasProduct()) return;
  WithFocusedForm([this](TWebSite* site, TBrowserDocument& document, TDomForm* form) {
    TFormBinding binding;
    FillFormElement(form, site, binding);
    const QString url = Q(document.Top()->URL());
    browser_->Apply(document.ChangesJson(), [this, url](bool) { emit filled(1, url); });
  });
}

void TfraSubmitter::FormSubmitted(const TSubmissionReport& report, const QUrl& target) {
  if (capturing_) {
    CapturedSearch(report, target);
    return;
  }
  TWebSite* site = CurrentSite();
  if (!site || !HasProduct()) return;
  const bool post = report.method == "post";
  const bool multipart = post && report.encoding.startsWith("multipart/", Qt::CaseInsensitive);
  const std::string body = post ? report.EncodedPairs() : std::string();
  const std::string headers =
      post ? std::string("Content-Type: ") +
                 (multipart ? "multipart/form-data" : "application/x-www-form-urlencoded") + "\r\n"
           : std::string();
  TWebForm* form = FindSubmittedForm(site, report.page_url.toStdString(),
                                     target.toString().toStdString(), 1.0, body, headers);
  if (!form || (form->Purpose != fpSubmit && form->Purpose != fpLogin)) return;
  if (form->Purpose == fpSubmit) RecordSubmittedForm(*site, *form, report);
  KeepTypedLogin(*site, *form, report);
  site->RefreshSummary();
}

void TfraSubmitter::RecordSubmittedForm(TWebSite& site_ref, const TWebForm& submitted,
                                        const TSubmissionReport& report) {
  TWebSite* site = &site_ref;
  const TWebForm* form = &submitted;
  // The category the user chose on the site's form: a text field's value or a list's option
  // texts, as they were posted.
  std::optional<std::string> category;
  for (int i = 0; i < form->FieldCount(); ++i) {
    const TFormField& field = form->FieldAt(i);
    if (field.FillWith().find("Program_Category") == std::string::npos) continue;
    const QString name = ToQString(field.FieldName());
    if (field.FieldType() == ftList) {
      for (const auto& [list, texts] : report.lists)
        if (list == name) category = FromQString(texts.join(","));
    } else {
      for (const auto& [posted, value] : report.pairs)
        if (posted == name) category = FromQString(value);
    }
  }
  const bool handled = site->VersionHandled;
  TProfile& profile = ActiveProfile();
  RecordSubmission(profile, site->UIN(), Now(), category);
  if (!CommitStatusChange(profile)) ShowError("The product could not be saved");
  if (!handled) ++processed_;
  site->UpdateVersionHandled(profile.GetString("Program_Info/Program_Version"));
  site->RefreshSummary();
  RefreshStatusPanel();
  emit submissionRecorded(ToQString(site->UIN()));
}

void TfraSubmitter::KeepTypedLogin(TWebSite& site, const TWebForm& form,
                                   const TSubmissionReport& report) {
  const TCapturedLogin login =
      CaptureLogin(form, [&report](const std::string& name) -> std::optional<std::string> {
        for (const auto& [posted, value] : report.pairs)
          if (posted == ToQString(name)) return FromQString(value);
        return std::nullopt;
      });
  TProfile& profile = ActiveProfile();
  if (!LoginChanged(profile, site.UIN(), login)) return;
  QMessageBox box(QMessageBox::Question, "Login/password was changed",
                  "New login info entered.\n\nDo you wish to save it for", QMessageBox::NoButton,
                  this);
  const QString company = ToQString(profile.GetString("Company_Info/Company_Name"));
  const QString product = ToQString(profile.GetString("Program_Info/Program_Name"));
  auto* for_company = new QRadioButton("the company \"" + company + "\"", &box);
  auto* for_product = new QRadioButton("the product \"" + product + "\"", &box);
  (login.owner == TCapturedLogin::TOwner::Product ? for_product : for_company)->setChecked(true);
  auto* choice = new QWidget(&box);
  auto* layout = new QVBoxLayout(choice);
  layout->addWidget(for_company);
  layout->addWidget(for_product);
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
    grid->addWidget(choice, grid->rowCount(), 0, 1, grid->columnCount());
  box.addButton(QMessageBox::Yes);
  box.addButton(QMessageBox::No);
  if (box.exec() != QMessageBox::Yes) return;
  StoreLogin(profile, site.UIN(), login, for_product->isChecked());
  if (!CommitStatusChange(profile)) ShowError("The product could not be saved");
}

}  // namespace quillora::app
