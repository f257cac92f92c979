// Where listing-search verdicts are kept: the active profile's per-site search flag and search
// details lists (stored with the product when the search is over).
#pragma once

#include <string>
#include <string_view>

namespace quillora {

class TProfile;

inline constexpr const char* kSearchFound = "FOUND";
inline constexpr const char* kSearchNotFound = "NOT FOUND";
inline constexpr const char* kSearchError = "ERROR";
inline constexpr const char* kSearchNotSupported = "NOT SUPPORTED";

// The flag of a worker's result: 1 FOUND, 0 NOT FOUND, anything else ERROR.
const char* SearchFlagOfResult(int result);

std::string SearchFlagOf(const TProfile& profile, std::string_view uin);
std::string SearchDetailsOf(const TProfile& profile, std::string_view uin);
// An empty text removes the entry.
void SetSearchFlag(TProfile& profile, std::string_view uin, std::string_view flag);
void SetSearchDetails(TProfile& profile, std::string_view uin, std::string_view details);

// Writes the profile's results into the product record and saves it, then re-activates the
// profile, as the sites view does after a search window closes. False when the save failed.
bool StoreSearchResults(TProfile& profile);

}  // namespace quillora
