#include "pad/product_menu.h"

#include "pad/profile.h"
#include "pad/records.h"
#include "sites/site_status.h"

namespace quillora {

namespace {

constexpr const char* kCompanyUin = "Quillora/Company_UIN";
constexpr const char* kProgramName = "Program_Info/Program_Name";

}  // namespace

std::string ProductMenuCompany(const TCompanyList& companies, bool shift,
                               const std::string& selected_company_uin) {
  if (shift) {
    if (const TCompany* sample = companies.FindByName("Sample Company")) {
      const std::string uin = sample->GetString(kCompanyUin);
      if (!uin.empty()) return uin;
    }
  }
  return selected_company_uin;
}

std::vector<TProductMenuItem> ProductMenuItems(const TProductList& products,
                                               const std::string& company_uin,
                                               const std::string& active_product_uin,
                                               const std::string& site_uin) {
  std::vector<TProductMenuItem> items;
  for (int i = 0; i < products.Count(); ++i) {
    const TProduct* product = products.At(i);
    if (product->GetString(kCompanyUin) != company_uin) continue;
    TProductMenuItem item;
    item.hint = product->GetString(kProgramName);
    item.caption = item.hint;
    item.product_uin = product->Uin();
    item.is_default = !active_product_uin.empty() && item.product_uin == active_product_uin;
    if (!site_uin.empty()) {
      const std::string listed = product->VersionListed.GetString(site_uin);
      const std::string submitted = product->VersionSubmitted.GetString(site_uin);
      item.picture = StatusPicture(
          StatusFromRecords(product->StatusOverride.GetString(site_uin),
                            product->GetString("Program_Info/Program_Version"), listed, submitted));
      if (!listed.empty()) item.caption += " " + listed;
      if (!submitted.empty()) item.caption += " (" + submitted + ")";
    }
    items.push_back(std::move(item));
  }
  return items;
}

bool ActivateProductByName(TProfile& profile, const TProductList& products,
                           const std::string& name) {
  for (int i = 0; i < products.Count(); ++i) {
    const TProduct* product = products.At(i);
    if (product->GetString(kProgramName) != name) continue;
    profile.Activate(product->GetString(kCompanyUin), product->Uin());
    return true;
  }
  return false;
}

}  // namespace quillora
