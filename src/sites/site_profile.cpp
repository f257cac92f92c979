#include "sites/site_profile.h"

namespace quillora {

namespace {
const TSiteProfile* g_active_profile = nullptr;
}

const TSiteProfile* ActiveSiteProfile() {
  return g_active_profile;
}
void SetActiveSiteProfile(const TSiteProfile* profile) {
  g_active_profile = profile;
}

}  // namespace quillora
