// The Sites page's product menu: which company's products it lists, each product's state at the
// current site, and making the chosen one active.
#pragma once

#include <string>
#include <vector>

namespace quillora {

class TCompanyList;
class TProductList;
class TProfile;

struct TProductMenuItem {
  std::string caption;  // the program name, then " " + version listed, " (" + submitted + ")"
  std::string hint;     // the program name: the item is found again by it
  std::string product_uin;
  int picture = -1;         // 3 Complete, 4 Pending, 5 Skipped, 6 Failed; -1 none
  bool is_default = false;  // the active product
};

// The company whose products are listed: with Shift held the sample company's UIN when it
// exists and has one, otherwise the company selected in the product manager.
std::string ProductMenuCompany(const TCompanyList& companies, bool shift,
                               const std::string& selected_company_uin);

// One item per product of that company, in list order. With a site UIN each item shows that
// product's own state at the site (its per-site records against its own version).
std::vector<TProductMenuItem> ProductMenuItems(const TProductList& products,
                                               const std::string& company_uin,
                                               const std::string& active_product_uin,
                                               const std::string& site_uin);

// Activates the first product whose program name is `name`, with its company. False when there
// is no such product.
bool ActivateProductByName(TProfile& profile, const TProductList& products,
                           const std::string& name);

}  // namespace quillora
