// The state of the active product at a site: the status names, and the one rule that derives a
// site's status from its per-site records (version listed, version submitted, the override).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "sites/site_profile.h"

namespace quillora {

// The state of the active product at a site.
enum TSiteStatus : uint8_t {
  ssAll = 0,
  ssAuto = 1,  // no fixed status; never a result of the status rule
  ssComplete = 2,
  ssPending = 3,
  ssDefault = 4,
  ssFailed = 5,
  ssSkipped = 6,
};

// "ALL", "Auto", "Complete", "Pending", "Default", "Failed", "Skipped"; "Default" for a value
// beyond them.
std::string SiteStatusName(TSiteStatus status);
// The status of that exact name; none for any other text.
std::optional<TSiteStatus> SiteStatusFromName(std::string_view name);

// The state a stored override forces: "Failed", "Skipped", "ALL", "Complete" and "Pending" do;
// anything else (empty, "Auto", "Default", ...) forces none and gives ssAuto.
TSiteStatus OverrideStatus(std::string_view override_text);
// The status by the versions alone: Complete when the current version is not empty and is the
// version listed, Pending when it is the version submitted, else Default. Values compare exactly.
TSiteStatus StatusFromVersions(std::string_view version, std::string_view listed,
                               std::string_view submitted);
// The rule of a site's status: the override first, otherwise StatusFromVersions.
TSiteStatus StatusFromRecords(std::string_view override_text, std::string_view version,
                              std::string_view listed, std::string_view submitted);
// The picture number the sites grid and the product menu show for a status: 3 Complete,
// 4 Pending, 5 Skipped, 6 Failed; -1 (none) otherwise.
int StatusPicture(TSiteStatus status);
// The status of the site with that UIN for a profile's product.
TSiteStatus SiteStatusFor(const TSiteProfile& profile, std::string_view uin);
// Whether the site already counts as handled for version: listed or submitted there, or an
// override other than "Auto" is set.
bool VersionHandledFor(const TSiteProfile& profile, std::string_view uin, std::string_view version);

}  // namespace quillora
