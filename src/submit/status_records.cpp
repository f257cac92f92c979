#include "submit/status_records.h"

#include <stdexcept>

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

std::string SiteStatusName(TSiteStatus status) {
  switch (status) {
    case ssAll:
      return "ALL";
    case ssAuto:
      return "Auto";
    case ssComplete:
      return "Complete";
    case ssPending:
      return "Pending";
    case ssDefault:
      return "Default";
    case ssFailed:
      return "Failed";
    case ssSkipped:
      return "Skipped";
  }
  return "Default";
}

TSiteStatus OverrideStatus(std::string_view override_text) {
  if (override_text == "Failed") return ssFailed;
  if (override_text == "Skipped") return ssSkipped;
  if (override_text == "ALL") return ssAll;
  if (override_text == "Complete") return ssComplete;
  if (override_text == "Pending") return ssPending;
  return ssAuto;
}

TSiteStatus StatusFromRecords(std::string_view override_text, std::string_view version,
                              std::string_view listed, std::string_view submitted) {
  TSiteStatus forced = OverrideStatus(override_text);
  if (forced != ssAuto) return forced;
  if (!version.empty() && version == listed) return ssComplete;
  if (!version.empty() && version == submitted) return ssPending;
  return ssDefault;
}

TSiteStatus SiteStatusFor(const TSiteProfile& profile, std::string_view uin) {
  return StatusFromRecords(profile.SiteValue(TSiteValueKind::StatusOverride, uin),
                           profile.ProfileValue(kCurrentVersionKey),
                           profile.SiteValue(TSiteValueKind::VersionListed, uin),
                           profile.SiteValue(TSiteValueKind::VersionSubmitted, uin));
}

bool VersionHandledFor(const TSiteProfile& profile, std::string_view uin,
                       std::string_view version) {
  std::string override_text = profile.SiteValue(TSiteValueKind::StatusOverride, uin);
  return version == profile.SiteValue(TSiteValueKind::VersionListed, uin) ||
         version == profile.SiteValue(TSiteValueKind::VersionSubmitted, uin) ||
         (!override_text.empty() && override_text != "Auto");
}

const std::vector<std::string>& OverrideItems() {
  static const std::vector<std::string> items = {"Auto",    "Complete", "Pending",
                                                 "Default", "Skipped",  "Failed"};
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
  std::string override_text = profile.StatusOverride.GetString(uin);
  if (override_text == "Skipped" || override_text == "Failed")
    changed |= Store(profile.StatusOverride, uin, "");
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

TProductStatusFields ReadProductStatus(const TProfile& profile, std::string_view uin) {
  TProductStatusFields f;
  f.version_listed = profile.VersionListed.GetString(uin);
  f.search_flag = profile.SearchFlag.GetString(uin);
  f.version_submitted = profile.VersionSubmitted.GetString(uin);
  f.date_submitted = profile.DateSubmitted.GetString(uin);
  f.status_override = profile.StatusOverride.GetString(uin);
  f.company_notes = profile.CompanyComments.GetString(uin);
  f.product_notes = profile.ProductComments.GetString(uin);
  f.company_login = profile.CompanySiteLogins.GetString(uin);
  f.company_password = profile.CompanySitePasswords.GetString(uin);
  f.product_login = profile.ProductSiteLogins.GetString(uin);
  f.product_password = profile.ProductSitePasswords.GetString(uin);
  return f;
}

bool WriteProductStatus(TProfile& profile, std::string_view uin, const TProductStatusFields& fields,
                        TDateTime now) {
  TProductStatusFields stored = ReadProductStatus(profile, uin);
  std::string date = fields.date_submitted;
  if (fields.version_submitted != stored.version_submitted && date == stored.date_submitted)
    date = DateTimeToStr(now);
  std::string override_text = fields.status_override == "Auto" ? "" : fields.status_override;
  bool changed = Store(profile.VersionListed, uin, fields.version_listed);
  changed |= Store(profile.SearchFlag, uin, fields.search_flag);
  changed |= Store(profile.VersionSubmitted, uin, fields.version_submitted);
  changed |= Store(profile.DateSubmitted, uin, date);
  changed |= Store(profile.StatusOverride, uin, override_text);
  changed |= Store(profile.CompanyComments, uin, fields.company_notes);
  changed |= Store(profile.ProductComments, uin, fields.product_notes);
  changed |= Store(profile.CompanySiteLogins, uin, fields.company_login);
  changed |= Store(profile.CompanySitePasswords, uin, fields.company_password);
  changed |= Store(profile.ProductSiteLogins, uin, fields.product_login);
  changed |= Store(profile.ProductSitePasswords, uin, fields.product_password);
  return changed;
}

}  // namespace quillora
