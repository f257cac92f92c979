#include "sites/sites_startup.h"

#include <memory>
#include <stdexcept>

#include "foundation/app_data.h"
#include "foundation/ui_port.h"
#include "sites/site_filter.h"
#include "sites/site_list.h"

namespace quillora {

namespace {

std::unique_ptr<TSiteList>& ListHolder() {
  static std::unique_ptr<TSiteList> list;
  return list;
}

}  // namespace

TSiteList& SiteList() {
  if (!ListHolder()) throw std::logic_error("The site list does not exist yet");
  return *ListHolder();
}

bool SiteListReady() {
  return ListHolder() != nullptr;
}

TSiteFilter& SiteFilter() {
  static TSiteFilter filter;
  return filter;
}

TCustomSets& CustomSets() {
  static TCustomSets sets;
  return sets;
}

void RegisterSitesStartup() {
  static bool registered = false;
  if (registered) return;
  registered = true;

  RegisterStartupHook(TStartupStep::SiteFilter, [](const TStartupOptions&) {
    SiteFilter() = TSiteFilter{};
    try {
      LoadFilterSettings(SiteFilter(), Settings());
    } catch (const std::exception& e) {
      ShowError(e.what());
    }
    CustomSets().Clear();
    CustomSets().SetText(Tables().custom_sets.Text());
    return true;
  });

  RegisterStartupHook(TStartupStep::SiteList, [](const TStartupOptions& options) {
    ListHolder() = std::make_unique<TSiteList>(Folders().sites, Folders().temp);
    TSiteList& list = *ListHolder();
    list.OnProgress = options.progress;
    list.Starting = true;
    const bool loaded = list.LoadAll();
    list.OnProgress = nullptr;
    list.Starting = false;
    if (!loaded) ShowError("Cannot create " + Folders().sites);
    return true;
  });

  RegisterStartupHook(TStartupStep::Ratings, [](const TStartupOptions&) {
    if (ListHolder()) ListHolder()->ApplyRatingsFile(Folders().data + "Ratings.dat");
    return true;
  });

  RegisterSaveSettingsHook([] {
    SaveFilterSettings(SiteFilter(), Settings());
    Tables().custom_sets.SetText(CustomSets().Text());
  });

  RegisterShutdownHook([] {
    ListHolder().reset();
    CustomSets().Clear();
  });
}

}  // namespace quillora
