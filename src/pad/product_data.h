// The program's company and product lists and its active profile. The core context owns them and
// installs them while it lives; the accessors read the installed ones.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "foundation/option_list.h"

namespace quillora {

class TCompanyList;
class TProductList;
class TProfile;

struct TProductData {
  TProductData();
  ~TProductData();  // the profile first, then the products, then the companies
  TProductData(const TProductData&) = delete;
  TProductData& operator=(const TProductData&) = delete;

  std::unique_ptr<TCompanyList> companies;
  std::unique_ptr<TProductList> products;
  std::unique_ptr<TProfile> profile;

  // Releases them in the order the destructor does.
  void Release();
};

// Makes data the one the accessors read; nullptr leaves none.
void InstallProductData(TProductData* data);

// std::logic_error before the start-up created them.
TCompanyList& CompanyList();
TProductList& ProductList();
TProfile& ActiveProfile();
bool RecordListsReady();
// The active profile's values for template expansion; nullptr while there is no profile or it
// holds no product.
const TOptionsList* ActiveProfileValues();

// What the product manager's refresh does at the first showing of the main window (and the
// command line's start-up): every company and product file is loaded and the profile activated
// with the stored active company and product. False when a file could not be loaded (it was
// reported and left out).
bool LoadRecordsAndActivate();

// Makes the product (with its company) the active one and writes the profile back. Empty when
// done, else why not: no such product, its company is missing, or it could not be saved.
std::string UseProduct(std::string_view product_uin);

}  // namespace quillora
