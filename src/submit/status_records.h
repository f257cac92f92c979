// What was submitted to each site and what each site lists, for the active product: the changes
// the submitter, the Sites view, the product status dialog and the command line make to these
// per-site records (written back by saving the product). The status they give a site follows
// the rule of sites/site_status.h.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/dates.h"
#include "sites/site_profile.h"
#include "sites/site_status.h"

namespace quillora {

class TProfile;

// The override choices of the status panel and menu, in order: "Auto", "Complete", "Pending",
// "Default", "Skipped", "Failed".
const std::vector<std::string>& OverrideItems();
// The choice matching name (ignoring case), or none.
std::optional<std::string> FindOverrideItem(std::string_view name);
// The status panel's predefined reasons for "Skipped" and "Failed".
const std::vector<std::string>& SkippedReasons();
const std::vector<std::string>& FailedReasons();

// A note of the status menu and the dialog: "dd.mm.yyyy hh:nn: comment" and a line break.
std::string OverrideNote(std::string_view comment, TDateTime when);
// A reason line of the status panel: "dd.mm.yyyy hh:nn ( product ): reason" (no line break:
// with an empty reason the user goes on typing at its end). Appended to notes on a line of its
// own.
std::string AppendPanelReason(std::string_view notes, std::string_view product_name,
                              std::string_view reason, TDateTime when);

// The status panel's two texts: "Listed: " + version listed, and "Submitted: " + version
// submitted followed by two blanks and the date submitted in date_picture (FormatDateTime)
// when it can be read.
std::string PanelListedText(const TSiteProfile& profile, std::string_view uin);
std::string PanelSubmittedText(const TSiteProfile& profile, std::string_view uin,
                               std::string_view date_picture);

// --- changes of the profile's per-site lists. Nothing is saved here; each returns whether a
// stored value changed. CommitStatusChange then writes them back.

// A submit form was sent (or the site's e-mail): version submitted := the current version, date
// submitted := when; the program category when one is given (a recognised form); an override
// of "Skipped" or "Failed" is removed.
bool RecordSubmission(TProfile& profile, std::string_view uin, TDateTime when,
                      const std::optional<std::string>& category = std::nullopt);
// "Set Version Listed": version listed := the current version.
bool SetVersionListed(TProfile& profile, std::string_view uin);
// "Set Listed As Submitted": version listed := version submitted.
bool SetListedAsSubmitted(TProfile& profile, std::string_view uin);
// The panel's "Version Listed" and "Version Submitted" boxes.
bool SetVersionListedText(TProfile& profile, std::string_view uin, std::string_view version);
bool SetVersionSubmittedText(TProfile& profile, std::string_view uin, std::string_view version);
// An override choice: "Auto" (or empty) clears the override, any other choice is stored as its
// text. A non-empty comment is appended to the product's notes for the site (OverrideNote).
// Throws std::invalid_argument for a name that is no choice.
bool SetStatusOverride(TProfile& profile, std::string_view uin, std::string_view state,
                       std::string_view comment = {}, TDateTime when = 0);

// After a change: the profile is written back into its records, which are saved, and then
// re-activated, so it also shows what another copy of the program saved meanwhile. False when
// the product could not be saved (or there is none).
bool CommitStatusChange(TProfile& profile);

// The fields of the product status dialog.
struct TProductStatusFields {
  std::string version_listed;
  std::string search_flag;  // shown only: "FOUND", "NOT FOUND", "NOT SUPPORTED", "ERROR" or empty
  std::string version_submitted;
  std::string date_submitted;
  std::string status_override;  // empty for Auto
  std::string company_notes;
  std::string product_notes;
  std::string company_login, company_password;
  std::string product_login, product_password;
};
TProductStatusFields ReadProductStatus(const TProfile& profile, std::string_view uin);
// Stores every field (an empty one removes its entry). When the version submitted differs from
// the stored one and the date was left as it was, the date becomes `now`. Returns whether
// anything changed.
bool WriteProductStatus(TProfile& profile, std::string_view uin, const TProductStatusFields& fields,
                        TDateTime now);

}  // namespace quillora
