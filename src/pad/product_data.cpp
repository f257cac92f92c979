#include "pad/product_data.h"

#include <memory>
#include <stdexcept>

#include "foundation/app_data.h"
#include "pad/profile.h"
#include "pad/records.h"
#include "sites/site_profile.h"

namespace quillora {

namespace {

struct TProductData {
  std::unique_ptr<TCompanyList> companies;
  std::unique_ptr<TProductList> products;
  std::unique_ptr<TProfile> profile;
  bool registered = false;
  bool load_at_startup = false;

  void Release() {
    if (profile && ActiveSiteProfile() == profile.get()) SetActiveSiteProfile(nullptr);
    profile.reset();
    products.reset();
    companies.reset();
  }
};

TProductData& Data() {
  static TProductData data;
  return data;
}

}  // namespace

TCompanyList& CompanyList() {
  if (!Data().companies) throw std::logic_error("The company list does not exist");
  return *Data().companies;
}

TProductList& ProductList() {
  if (!Data().products) throw std::logic_error("The product list does not exist");
  return *Data().products;
}

TProfile& ActiveProfile() {
  if (!Data().profile) throw std::logic_error("The active profile does not exist");
  return *Data().profile;
}

bool RecordListsReady() {
  return Data().companies && Data().products;
}

const TOptionsList* ActiveProfileValues() {
  const TProfile* profile = Data().profile.get();
  return profile && !profile->Empty() ? profile : nullptr;
}

void RegisterRecordsStartup(bool load_at_startup) {
  TProductData& data = Data();
  data.load_at_startup = load_at_startup;
  if (data.registered) return;
  data.registered = true;

  RegisterStartupHook(TStartupStep::Profile, [](const TStartupOptions&) {
    TProductData& d = Data();
    d.Release();  // left over from a start-up that failed half-way
    FillProfileValueLists();
    d.profile = std::make_unique<TProfile>();
    SetActiveSiteProfile(d.profile.get());
    return true;
  });
  RegisterStartupHook(TStartupStep::RecordLists, [](const TStartupOptions&) {
    TProductData& d = Data();
    d.companies = std::make_unique<TCompanyList>();
    d.companies->Folder = Folders().companies;
    d.products = std::make_unique<TProductList>();
    d.products->Folder = Folders().products;
    // A file that cannot be loaded has been reported; the start goes on without it.
    if (d.load_at_startup) LoadRecordsAndActivate();
    return true;
  });
  RegisterShutdownHook([] { Data().Release(); });
}

bool LoadRecordsAndActivate() {
  bool companies = CompanyList().LoadAll();
  bool products = ProductList().LoadAll();
  ActiveProfile().Activate();
  return companies && products;
}

}  // namespace quillora
