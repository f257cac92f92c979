#include "sites/site_status.h"

#include <array>

namespace quillora {

namespace {

constexpr std::array<const char*, 7> kStatusNames = {"ALL",     "Auto",   "Complete", "Pending",
                                                     "Default", "Failed", "Skipped"};

const char* const kCurrentVersionKey = "Program_Info/Program_Version";

}  // namespace

std::string SiteStatusName(TSiteStatus status) {
  return status < kStatusNames.size() ? kStatusNames[status] : "Default";
}

std::optional<TSiteStatus> SiteStatusFromName(std::string_view name) {
  for (size_t i = 0; i < kStatusNames.size(); ++i)
    if (name == kStatusNames[i]) return static_cast<TSiteStatus>(i);
  return std::nullopt;
}

TSiteStatus OverrideStatus(std::string_view override_text) {
  const std::optional<TSiteStatus> named = SiteStatusFromName(override_text);
  // "Auto" is no state, and a stored "Default" leaves the computed status to show.
  if (!named || *named == ssAuto || *named == ssDefault) return ssAuto;
  return *named;
}

TSiteStatus StatusFromVersions(std::string_view version, std::string_view listed,
                               std::string_view submitted) {
  if (!version.empty() && version == listed) return ssComplete;
  if (!version.empty() && version == submitted) return ssPending;
  return ssDefault;
}

TSiteStatus StatusFromRecords(std::string_view override_text, std::string_view version,
                              std::string_view listed, std::string_view submitted) {
  const TSiteStatus forced = OverrideStatus(override_text);
  return forced != ssAuto ? forced : StatusFromVersions(version, listed, submitted);
}

TSiteStatus SiteStatusFor(const TSiteProfile& profile, std::string_view uin) {
  return StatusFromRecords(profile.SiteValue(TSiteValueKind::StatusOverride, uin),
                           profile.ProfileValue(kCurrentVersionKey),
                           profile.SiteValue(TSiteValueKind::VersionListed, uin),
                           profile.SiteValue(TSiteValueKind::VersionSubmitted, uin));
}

bool VersionHandledFor(const TSiteProfile& profile, std::string_view uin,
                       std::string_view version) {
  const std::string override_text = profile.SiteValue(TSiteValueKind::StatusOverride, uin);
  return version == profile.SiteValue(TSiteValueKind::VersionListed, uin) ||
         version == profile.SiteValue(TSiteValueKind::VersionSubmitted, uin) ||
         (!override_text.empty() && override_text != SiteStatusName(ssAuto));
}

int StatusPicture(TSiteStatus status) {
  switch (status) {
    case ssComplete:
      return 3;
    case ssPending:
      return 4;
    case ssSkipped:
      return 5;
    case ssFailed:
      return 6;
    default:
      return -1;
  }
}

}  // namespace quillora
