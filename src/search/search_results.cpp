#include "search/search_results.h"

#include "pad/profile.h"

namespace quillora {

const char* SearchFlagOfResult(int result) {
  return result == 1 ? kSearchFound : result == 0 ? kSearchNotFound : kSearchError;
}

std::string SearchFlagOf(const TProfile& profile, std::string_view uin) {
  return profile.SearchFlag.GetString(uin);
}

std::string SearchDetailsOf(const TProfile& profile, std::string_view uin) {
  return profile.SearchResultsShort.GetString(uin);
}

void SetSearchFlag(TProfile& profile, std::string_view uin, std::string_view flag) {
  profile.SearchFlag.SetString(uin, flag);
}

void SetSearchDetails(TProfile& profile, std::string_view uin, std::string_view details) {
  profile.SearchResultsShort.SetString(uin, details);
}

bool StoreSearchResults(TProfile& profile) {
  const bool saved = profile.StoreBack();
  profile.Activate();
  return saved;
}

}  // namespace quillora
