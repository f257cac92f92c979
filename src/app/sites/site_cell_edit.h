// The four cells of the sites grid that are edited in place ("Version Listed", "Version
// Submitted", "Login", "Password"): what the edit box shows and where a changed text is stored.
#pragma once

#include <string>

namespace quillora {
class TProfile;
class TWebSite;
}  // namespace quillora

namespace quillora::app {

inline constexpr int kColVersionListed = 13;
inline constexpr int kColVersionSubmitted = 14;
inline constexpr int kColLogin = 20;
inline constexpr int kColPassword = 21;

bool IsEditableSiteColumn(int column);

// The edit box's text: the product's per-site version for 13 and 14, the summary's login or
// password text for 20 and 21.
std::string SiteCellEditText(const TProfile& profile, const TWebSite& site, int column);

// Stores a typed text when it differs from what the box showed: versions into the product's
// per-site lists; a login or password into the product's list when the product already has one
// for the site, else into the company's. A change is written back at once (the records saved
// and the profile re-activated) and the site's summary and version flag recomputed. Returns
// whether anything was stored.
bool StoreSiteCellEdit(TProfile& profile, TWebSite& site, int column, const std::string& text);

}  // namespace quillora::app
