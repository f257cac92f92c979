#include "submit/status_records.h"

#include <stdexcept>
#include <utility>

#include "foundation/codepage.h"
#include "pad/profile.h"

namespace quillora {

namespace {

const char* const kCurrentVersionKey = "Program_Info/Program_Version";

// Stores value under uin; true when the stored value changed.
bool Store(TOptionsList& list, std::string_view uin, std::string_view value) {
  if (list.GetString(uin) == value) return false;
  list.SetString(uin, value);
  return true;
}

}  // namespace

const std::vector<std::string>& OverrideItems() {
  static const std::vector<std::string> items = [] {
    std::vector<std::string> names;
    for (TSiteStatus s : {ssAuto, ssComplete, ssPending, ssDefault, ssSkipped, ssFailed})
      names.push_back(SiteStatusName(s));
    return names;
  }();
  return items;
}

std::optional<std::string> FindOverrideItem(std::string_view name) {
  for (const std::string& item : OverrideItems())
    if (SameText(item, name)) return item;
  return std::nullopt;
}

const std::vector<std::string>& SkippedReasons() {
  static const std::vector<std::string> reasons = {"Waiting for the site to send the login info",
                                                   "Waiting for the client to send the login info",
                                                   "Waiting for the contributor to fix templates",
                                                   "Waiting for the contributor's explanations",
                                                   "The site is down at the moment",
                                                   "Something else ( Please, specify )"};
  return reasons;
}

const std::vector<std::string>& FailedReasons() {
  static const std::vector<std::string> reasons = {
      "Prohibited locale",
      "Localized description required",
      "Payment required",
      "The site does not accept products of this genre",
      "We were unable to retrieve login info for this site",
      "Skipped on author's request",
      "This site has rejected the submission for some reason",
      "The info provided causes a server error or an immediate rejection",
      "Something else ( Please, specify )"};
  return reasons;
}

std::string OverrideNote(std::string_view comment, TDateTime when) {
  return FormatDateTime("dd.mm.yyyy hh:nn", when) + ": " + std::string(comment) + "\r\n";
}

std::string AppendPanelReason(std::string_view notes, std::string_view product_name,
                              std::string_view reason, TDateTime when) {
  std::string out(notes);
  if (!out.empty() && out.back() != '\n') out += "\r\n";
  out += FormatDateTime("dd.mm.yyyy hh:nn", when) + " ( " + std::string(product_name) +
         " ): " + std::string(reason);
  return out;
}

std::string PanelListedText(const TSiteProfile& profile, std::string_view uin) {
  return "Listed: " + profile.SiteValue(TSiteValueKind::VersionListed, uin);
}

std::string PanelSubmittedText(const TSiteProfile& profile, std::string_view uin,
                               std::string_view date_picture) {
  std::string text = "Submitted: " + profile.SiteValue(TSiteValueKind::VersionSubmitted, uin);
  TDateTime date = 0;
  if (TryStrToDateTime(profile.SiteValue(TSiteValueKind::DateSubmitted, uin), date))
    text += "  " + FormatDateTime(date_picture, date);
  return text;
}

// --- changes

bool RecordSubmission(TProfile& profile, std::string_view uin, TDateTime when,
                      const std::optional<std::string>& category) {
  bool changed = Store(profile.VersionSubmitted, uin, profile.GetString(kCurrentVersionKey));
  changed |= Store(profile.DateSubmitted, uin, DateTimeToStr(when));
  if (category) changed |= Store(profile.ProgramCategory, uin, *category);
  const TSiteStatus forced = OverrideStatus(profile.StatusOverride.GetString(uin));
  if (forced == ssSkipped || forced == ssFailed) changed |= Store(profile.StatusOverride, uin, "");
  return changed;
}

bool SetVersionListed(TProfile& profile, std::string_view uin) {
  return Store(profile.VersionListed, uin, profile.GetString(kCurrentVersionKey));
}

bool SetListedAsSubmitted(TProfile& profile, std::string_view uin) {
  return Store(profile.VersionListed, uin, profile.VersionSubmitted.GetString(uin));
}

bool SetVersionListedText(TProfile& profile, std::string_view uin, std::string_view version) {
  return Store(profile.VersionListed, uin, version);
}

bool SetVersionSubmittedText(TProfile& profile, std::string_view uin, std::string_view version) {
  return Store(profile.VersionSubmitted, uin, version);
}

bool SetStatusOverride(TProfile& profile, std::string_view uin, std::string_view state,
                       std::string_view comment, TDateTime when) {
  std::string stored;
  if (!state.empty()) {
    std::optional<std::string> item = FindOverrideItem(state);
    if (!item) throw std::invalid_argument("Unknown status '" + std::string(state) + "'");
    if (*item != "Auto") stored = *item;
  }
  bool changed = Store(profile.StatusOverride, uin, stored);
  if (!comment.empty())
    changed |= Store(profile.ProductComments, uin,
                     profile.ProductComments.GetString(uin) + OverrideNote(comment, when));
  return changed;
}

bool CommitStatusChange(TProfile& profile) {
  bool saved = profile.StoreBack();
  profile.Activate();
  return saved;
}

namespace {

// Which per-site list each field of the dialog shows.
constexpr std::pair<std::string TProductStatusFields::*, TSiteValueKind> kDialogFields[] = {
    {&TProductStatusFields::version_listed, TSiteValueKind::VersionListed},
    {&TProductStatusFields::search_flag, TSiteValueKind::SearchFlag},
    {&TProductStatusFields::version_submitted, TSiteValueKind::VersionSubmitted},
    {&TProductStatusFields::date_submitted, TSiteValueKind::DateSubmitted},
    {&TProductStatusFields::status_override, TSiteValueKind::StatusOverride},
    {&TProductStatusFields::company_notes, TSiteValueKind::CompanyComments},
    {&TProductStatusFields::product_notes, TSiteValueKind::ProductComments},
    {&TProductStatusFields::company_login, TSiteValueKind::CompanySiteLogin},
    {&TProductStatusFields::company_password, TSiteValueKind::CompanySitePassword},
    {&TProductStatusFields::product_login, TSiteValueKind::ProductSiteLogin},
    {&TProductStatusFields::product_password, TSiteValueKind::ProductSitePassword},
};

}  // namespace

TProductStatusFields ReadProductStatus(const TProfile& profile, std::string_view uin) {
  TProductStatusFields f;
  for (const auto& [field, kind] : kDialogFields) f.*field = profile.SiteValue(kind, uin);
  return f;
}

bool WriteProductStatus(TProfile& profile, std::string_view uin, const TProductStatusFields& fields,
                        TDateTime now) {
  const TProductStatusFields stored = ReadProductStatus(profile, uin);
  TProductStatusFields f = fields;
  if (f.version_submitted != stored.version_submitted && f.date_submitted == stored.date_submitted)
    f.date_submitted = DateTimeToStr(now);
  if (f.status_override == SiteStatusName(ssAuto)) f.status_override.clear();
  bool changed = false;
  for (const auto& [field, kind] : kDialogFields)
    changed |= Store(*profile.SiteList(kind), uin, f.*field);
  return changed;
}

}  // namespace quillora
