// The bug report about one site without a toolkit: the dialog's fields and their rules, and
// sending the report to the site repository, which passes it on to the site's contributor.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "foundation/option_list.h"

namespace quillora {

class TWebSite;
class TTransferWindow;

struct TBugKind {
  std::string text;
  // Offered in a list titled kBugChoiceTitle when the kind is picked; may be empty.
  std::vector<std::string> choices;
};

inline constexpr const char* kBugChoiceTitle = "Specification";
// The history of sent reports in the data tables keeps this many per site.
inline constexpr int kBugHistoryPerSite = 6;

// The kinds in the order of the drop-down list; the last one is preselected.
const std::vector<TBugKind>& BugKinds();
// A kind's text up to its first "{", trimmed: what the report calls "Bug_Kind".
std::string BugKindName(std::string_view kind_text);

// Registry places of the sender data (HKCU and HKLM) for a value name.
std::string SenderRegistryPath(bool machine, std::string_view name);

// One bug report while its dialog is open, about a site of the site list (any other site, or
// none, makes a report about no site); the profile is the active one. Settings, registry, data
// folder and data tables are the program's.
class TBugReport {
 public:
  TBugReport(TWebSite* site, std::string url, const TOptionsList& profile, bool admin_mode);

  // The dialog's fields.
  std::string url;
  std::string site_name;    // "Site name"
  std::string contributor;  // "Contributor:" as "name <e-mail>"
  int kind = 0;             // index into BugKinds()
  std::string description;
  std::string sender_name;
  std::string sender_email;

  // "Site name" and "Contributor:" are editable only in admin mode; the focus starts on the
  // site name when it is editable, else on the kind.
  bool SiteFieldsEditable() const { return admin_mode_; }
  bool FocusOnSiteName() const { return admin_mode_; }
  // "Last Bug Reported: " + the site's value; empty (and the label hidden) when it has none.
  const std::string& LastBugReported() const { return last_bug_reported_; }
  // The language prefix of the variables menu: the site's "Language" + "/", or "".
  const std::string& LanguagePrefix() const { return language_prefix_; }
  TWebSite* Site() const { return site_; }

  // Picking a kind: returns the choices to offer (empty: none).
  const std::vector<std::string>& SelectKind(int index);
  // The choice made in the list: a non-empty text becomes a new line of the description.
  void AppendChoice(std::string_view choice);

  // "Remember sender info in the registry". Unchecking puts the profile's contact name and
  // e-mail back into the sender fields.
  bool Remember() const { return remember_; }
  void SetRemember(bool remember);

  // "Send": true when the report was accepted and the dialog closes. Failures were shown as
  // error messages and the dialog stays open. The site's "Last Bug Reported" and the sender
  // data are stored before the report is posted, so they change even when posting fails.
  // Without a transfer window of its own the report uses a private one.
  bool Send(TTransferWindow* window = nullptr);

  // The values the report template is expanded with, as Send builds them.
  TOptionsList ReportValues() const;
  // The form-field line Send posts for a given expanded report body and sender UIN.
  std::string FormLine(std::string_view user_uin, std::string_view body) const;

 private:
  TWebSite* site_;
  TOptionsList profile_;
  bool admin_mode_;
  bool remember_ = false;
  std::string last_bug_reported_;
  std::string language_prefix_;
};

// The sender's identity: the setting "User_UIN", else the registry's (HKCU, then HKLM), else a
// new "USR-" + MakeUniqueId; written back to the setting and both registry places.
std::string EnsureUserUin();

// Appends a sent report to the site's section of the bug history ("bugs_history.dat" of the
// data tables) and keeps the newest kBugHistoryPerSite entries.
void AddBugHistoryEntry(TMultiOptions& history, std::string_view site_uin, std::string_view when,
                        std::string_view url, std::string_view kind_text, std::string_view body);

}  // namespace quillora
