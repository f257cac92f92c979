#include "net/bug_report.h"

#include <exception>
#include <memory>

#include "foundation/app_state.h"
#include "foundation/dates.h"
#include "foundation/encoding.h"
#include "foundation/registry.h"
#include "foundation/stream.h"
#include "foundation/text_utils.h"
#include "foundation/ui_port.h"
#include "net/transfer_result.h"
#include "net/transfer_window.h"
#include "sites/site.h"
#include "sites/site_list.h"
#include "template/template.h"

namespace quillora {

namespace {

constexpr const char* kRegistryKey = "\\Software\\Tarvesk\\Quillora\\3.0\\";
const std::vector<std::string> kNoChoices;

// The setting, else the user's registry value, else the machine's; found tells whether any
// of them had it.
std::string StoredSenderValue(std::string_view name, bool& found) {
  std::string v = Settings().GetString(name);
  if (v.empty()) v = ReadRegistryValue(SenderRegistryPath(false, name));
  if (v.empty()) v = ReadRegistryValue(SenderRegistryPath(true, name));
  found = found || !v.empty();
  return v;
}

void StoreSenderValue(std::string_view name, std::string_view value) {
  Settings().SetString(name, value);
  WriteRegistryValue(SenderRegistryPath(false, name), value);
  WriteRegistryValue(SenderRegistryPath(true, name), value);
}

std::string JoinCrLf(const std::vector<std::string>& lines) {
  std::string r;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) r += "\r\n";
    r += lines[i];
  }
  return r;
}

}  // namespace

const std::vector<TBugKind>& BugKinds() {
  static const std::vector<TBugKind> kinds = {
      {"Form filled with errors", {}},
      {"Template not found ( form is Yellow after filling )",
       {"Sign-up form", "Login form", "Submission form", "Password request form",
        "Other ( Please, specify )"}},
      {"Page not found", {"Search", "Submit", "Update", "Other ( Please, specify )"}},
      {"The site returns an error",
       {"DNS ( Unable to resolve )",
        "Closed ( The site was closed and/or does not accept submissions )",
        "Server-side script error { Please, copy the message from the browser window }",
        "Other ( Please, specify )"}},
      {"The \"Submitted\" status was not automatically set after a successful submission", {}},
      {"Login info wasn't saved automatically", {}},
      {"Autosearch shows a wrong verdict for this site",
       {"Shows \"FOUND\" but the product is not listed on this site",
        "Shows \"NOT FOUND\" but the product is listed on this site", "Other ( Please, specify )"}},
      {"Help!",
       {"I can't figure out how to submit to this site. A hint in the comments is needed.",
        "Other ( Please, specify )"}},
      {"Bad comment",
       {"The contributor's comment is in Russian(?). I don't understand it.",
        "The contributor's comment contains typos { Please, specify }.",
        "The contributor's comment is useless.", "Other ( Please, specify )"}},
      {"Site opens pop-up windows containing advertising", {}},
      {"The submission method is wrong or not specified", {}},
      {"Something else { Please, specify }", {}},
  };
  return kinds;
}

std::string BugKindName(std::string_view kind_text) {
  return Trim(kind_text.substr(0, kind_text.find('{')));
}

std::string SenderRegistryPath(bool machine, std::string_view name) {
  return std::string(machine ? "HKLM" : "HKCU") + kRegistryKey + std::string(name);
}

TBugReport::TBugReport(TWebSite* site, std::string url_given, const TOptionsList& profile,
                       bool admin_mode)
    : url(std::move(url_given)), site_(site), profile_(profile), admin_mode_(admin_mode) {
  kind = static_cast<int>(BugKinds().size()) - 1;
  // A site that has left the site list (or never was in it) is reported as no site.
  if (site_ && !(SiteListReady() && SiteList().FindByUIN(site_->UIN()) == site_)) site_ = nullptr;
  if (site_) {
    language_prefix_ = site_->Info.Value("Common info", "Language") + "/";
    site_name = site_->Name();
    contributor = site_->Info.Value("Common info", "Contributor Name") + " <" +
                  site_->Info.Value("Common info", "Contributor e-mail") + ">";
    std::string last = site_->Info.Value("Common info", "Last Bug Reported");
    if (!last.empty()) last_bug_reported_ = "Last Bug Reported: " + last;
  }
  bool found = false;
  sender_name = StoredSenderValue("Sender_Name", found);
  if (sender_name.empty())
    sender_name = profile_.GetString("Company_Info/Contact_Info/Contact_Full_Name");
  sender_email = StoredSenderValue("Sender_Email", found);
  if (sender_email.empty())
    sender_email = profile_.GetString("Company_Info/Contact_Info/Contact_Email");
  remember_ = found;
}

const std::vector<std::string>& TBugReport::SelectKind(int index) {
  if (index < 0 || index >= static_cast<int>(BugKinds().size())) return kNoChoices;
  kind = index;
  return BugKinds()[static_cast<size_t>(index)].choices;
}

void TBugReport::AppendChoice(std::string_view choice) {
  if (choice.empty()) return;
  if (!description.empty() && description.back() != '\n') description += "\r\n";
  description += choice;
}

void TBugReport::SetRemember(bool remember) {
  if (remember_ && !remember) {
    sender_name = profile_.GetString("Company_Info/Contact_Info/Contact_Full_Name");
    sender_email = profile_.GetString("Company_Info/Contact_Info/Contact_Email");
  }
  remember_ = remember;
}

TOptionsList TBugReport::ReportValues() const {
  TOptionsList v(profile_);
  const std::string& kind_text = BugKinds().at(static_cast<size_t>(kind)).text;
  v.SetString("Bug_SiteName", site_name);
  v.SetString("Bug_URL", url);
  v.SetString("Bug_Kind", BugKindName(kind_text));
  v.SetString("Bug_UIN", "BUG-" + MakeUniqueId());
  v.SetString("Contributor_Name",
              site_ ? site_->Info.Value("Common info", "Contributor Name") : "");
  v.SetString("Contributor_Email",
              site_ ? site_->Info.Value("Common info", "Contributor e-mail") : "");
  v.SetString("Bug_Description", description);
  v.SetString("Config/AppName", "Quillora");
  v.SetString("Config/AppVer", "3.0");
  v.SetString("Config/AppStatus", "Shareware");
  const TSystemDescription& system = SystemDescription();
  v.SetString("Config/AppBuild", system.build);
  v.SetString("Config/OS_Version", system.operating_system);
  v.SetString("Config/OS_Memory", system.memory);
  v.SetString("Config/IE_Version", system.browser);
  const TOptionsList& settings = Settings();
  for (int i = 0; i < settings.Count(); ++i) {
    std::string key = settings.NameAt(i);
    if (!key.empty()) v.SetString("Config/" + key, settings.GetValueAt(i));
  }
  if (site_) {
    for (int s = 0; s < site_->Info.Count(); ++s) {
      const TOptionsList& section = site_->Info.SectionAt(s);
      for (int i = 0; i < section.Count(); ++i) {
        std::string key = section.NameAt(i);
        if (!key.empty())
          v.SetString("SiteInfo/" + section.Name + "/" + key, section.GetValueAt(i));
      }
    }
  }
  return v;
}

std::string TBugReport::FormLine(std::string_view user_uin, std::string_view body) const {
  const std::string& kind_text = BugKinds().at(static_cast<size_t>(kind)).text;
  std::string line = "SenderUIN=" + std::string(user_uin) +
                     "&SenderName=" + UrlEncodeValue(sender_name) +
                     "&SenderAddr=" + UrlEncodeValue(sender_email) +
                     "&Category=" + UrlEncodeValue(kind_text) + "&Body=" + UrlEncodeValue(body);
  if (site_) line += "&SiteUIN=" + site_->UIN();
  return line;
}

bool TBugReport::Send(TTransferWindow* window) {
  if (site_) {
    site_->Info.CommonInfo().SetString("Last Bug Reported", DateTimeToStr(Now()));
    site_->SaveSiteFile(site_->FileName, false);
  }
  // Unchecked, the sender data is cleared from all three places.
  StoreSenderValue("Sender_Name", remember_ ? sender_name : std::string());
  StoreSenderValue("Sender_Email", remember_ ? sender_email : std::string());
  TOptionsList values = ReportValues();
  std::string user_uin = EnsureUserUin();

  const std::string template_path = Folders().data + "bugreport.dat";
  std::vector<std::string> lines;
  try {
    ExpandTemplateFileToLines(template_path, lines, values, kTemplateDelimiter, language_prefix_);
  } catch (const std::exception&) {
    ShowError("Cannot load template " + template_path);
    return false;
  }
  const std::string body = JoinCrLf(lines);

  std::unique_ptr<TTransferWindow> own;
  if (!window) window = (own = std::make_unique<TTransferWindow>()).get();
  std::string address = Settings().GetString("Sites Repository") + "bugreport.php";
  const std::string reply_file = Folders().temp + "tmp.tmp";
  TTransferResult result = window->Download(
      address, reply_file, TFormFields{std::vector<std::string>{FormLine(user_uin, body)}}, false,
      true);
  if (result != trNoError) {
    ShowError(TransferResultText(result));
    return false;
  }
  std::string reply;
  try {
    reply = FileToString(reply_file);
  } catch (const std::exception& e) {
    ShowError(e.what());
    return false;
  }
  if (!reply.empty()) {
    ShowError(reply);
    return false;
  }
  if (site_)
    AddBugHistoryEntry(Tables().bugs_history, site_->UIN(), DateTimeToStr(Now()), url,
                       BugKinds().at(static_cast<size_t>(kind)).text, body);
  return true;
}

std::string EnsureUserUin() {
  bool found = false;
  std::string uin = StoredSenderValue("User_UIN", found);
  if (uin.empty()) uin = "USR-" + MakeUniqueId();
  StoreSenderValue("User_UIN", uin);
  return uin;
}

void AddBugHistoryEntry(TMultiOptions& history, std::string_view site_uin, std::string_view when,
                        std::string_view url, std::string_view kind_text, std::string_view body) {
  TOptionsList& section = history.Section(site_uin);
  section.AddLine(EncodeValue(std::string(when) + "\r\n" + std::string(url) + "\r\n" +
                              std::string(kind_text) + "\r\n" + std::string(body)));
  while (section.Count() > kBugHistoryPerSite) section.DeleteLine(0);
}

}  // namespace quillora
