#include "pad/product_data.h"

#include <stdexcept>

#include "pad/profile.h"
#include "pad/records.h"

namespace quillora {

namespace {

TProductData* g_data = nullptr;

}  // namespace

TProductData::TProductData() = default;

TProductData::~TProductData() {
  Release();
}

void TProductData::Release() {
  profile.reset();
  products.reset();
  companies.reset();
}

void InstallProductData(TProductData* data) {
  g_data = data;
}

TCompanyList& CompanyList() {
  if (!g_data || !g_data->companies) throw std::logic_error("The company list does not exist");
  return *g_data->companies;
}

TProductList& ProductList() {
  if (!g_data || !g_data->products) throw std::logic_error("The product list does not exist");
  return *g_data->products;
}

TProfile& ActiveProfile() {
  if (!g_data || !g_data->profile) throw std::logic_error("The active profile does not exist");
  return *g_data->profile;
}

bool RecordListsReady() {
  return g_data && g_data->companies && g_data->products;
}

const TOptionsList* ActiveProfileValues() {
  const TProfile* profile = g_data ? g_data->profile.get() : nullptr;
  return profile && !profile->Empty() ? profile : nullptr;
}

bool LoadRecordsAndActivate() {
  bool companies = CompanyList().LoadAll();
  bool products = ProductList().LoadAll();
  ActiveProfile().Activate();
  return companies && products;
}

std::string UseProduct(std::string_view product_uin) {
  TProduct* product = ProductList().FindByUin(product_uin);
  if (!product) return "no product with UIN " + std::string(product_uin);
  const std::string company = product->GetString("Quillora/Company_UIN");
  // Activating with a company that does not exist would leave an empty profile behind.
  if (company.empty() || !CompanyList().FindByUin(company))
    return "the company '" + company + "' of product " + std::string(product_uin) +
           " does not exist";
  TProfile& profile = ActiveProfile();
  profile.Activate(company, std::string(product_uin));
  if (!profile.StoreBack()) return "the product could not be saved";
  return "";
}

}  // namespace quillora
