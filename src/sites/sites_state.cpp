#include "sites/sites_state.h"

#include <stdexcept>

namespace quillora {

namespace {

TSitesState* g_state = nullptr;

TSitesState& State(const char* what) {
  if (!g_state) throw std::logic_error(std::string("The ") + what + " does not exist yet");
  return *g_state;
}

}  // namespace

void InstallSitesState(TSitesState* state) {
  g_state = state;
}

TSiteList& SiteList() {
  TSitesState& st = State("site list");
  if (!st.list) throw std::logic_error("The site list does not exist yet");
  return *st.list;
}

bool SiteListReady() {
  return g_state && g_state->list;
}

TSiteFilter& SiteFilter() {
  return State("site filter").filter;
}

TCustomSets& CustomSets() {
  return State("custom sets").custom_sets;
}

const TSiteProfile* ActiveSiteProfile() {
  return g_state ? g_state->profile : nullptr;
}

const std::vector<std::string>& LanguageBannerNames() {
  // A site summarised outside a running program (a tool, a test) knows no banners.
  static const std::vector<std::string> none;
  return g_state ? g_state->language_banners : none;
}

}  // namespace quillora
