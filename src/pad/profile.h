// The active profile: the active company's and product's fields merged into one value list with
// the values derived from them, plus copies of their per-site lists. Every template, form field,
// report and listing search is evaluated against it; edits reach the files only by StoreBack.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/option_list.h"
#include "pad/records.h"
#include "sites/site_profile.h"

namespace quillora {

class TProfile : public TOptionsList, public TSiteProfile, public TProductSiteLists {
 public:
  TProfile() = default;
  // Copies the lines, the active UINs and all its per-site lists (not the lists it reads
  // records from, nor on_activated).
  TProfile(const TProfile& other);
  TProfile& operator=(const TProfile& other);
  void Assign(const TProfile& source);

  // Rebuilds the profile. A given (non-empty) UIN is first stored as the setting "Active
  // Company" / "Active Product"; the records are then found by those settings. Without the
  // company the profile stays empty, without the product it holds the company's fields alone.
  // Old field names are moved to their new keys and, when any held a value, both records are
  // saved at once (StoreBack).
  void Activate(std::string_view company_uin = {}, std::string_view product_uin = {});
  // Writes the profile into its company and product records and saves both. Nothing changes
  // when the active product is missing. False when a record could not be saved.
  bool StoreBack();
  TCompany* FindActiveCompany() const;
  TProduct* FindActiveProduct() const;

  // A site's login: the product's entry, else the company's; the same for the password.
  std::string SiteLogin(std::string_view uin) const;
  std::string SitePassword(std::string_view uin) const;
  // The company's remark, followed by CR LF and the product's note when there is one.
  std::string SiteComment(std::string_view uin) const;

  // TSiteProfile
  std::string ProfileValue(std::string_view key) const override { return GetString(key); }
  std::string SiteValue(TSiteValueKind kind, std::string_view uin) const override;
  // The profile's copy of a per-site list; nullptr for a list the profile does not carry.
  const TOptionsList* SiteList(TSiteValueKind kind) const;
  TOptionsList* SiteList(TSiteValueKind kind);

  std::string ActiveCompanyUin;  // the setting "Active Company" at the last activation
  std::string ActiveProductUin;  // the setting "Active Product" at the last activation
  // Copies of the company's and the product's logins, passwords and notes; the product's other
  // lists come with TProductSiteLists.
  TOptionsList CompanyComments;
  TOptionsList ProductComments;
  TOptionsList CompanySiteLogins;
  TOptionsList CompanySitePasswords;
  TOptionsList ProductSiteLogins;
  TOptionsList ProductSitePasswords;

  // Where the records are looked up; null means the process's lists.
  TCompanyList* companies = nullptr;
  TProductList* products = nullptr;
  // Called at the end of every activation (the main window shows the product in its caption).
  std::function<void(const TProfile&)> on_activated;

 private:
  std::vector<TOptionsList*> AllSiteLists();
  // Copies the lists of one record between it and the profile.
  void CopySiteLists(TSiteListRecord which, TRecord& record, bool into_profile);
  void ComputeDerivedValues(const TCompany& company);
  void SplitKeywords(const std::string& key);
};

// The three phone-number parts: the first, second and third group of three decimal digits of
// the text, every other character skipped.
std::array<std::string, 3> PhoneParts(std::string_view phone);

// The value lists the flags of the profile are computed from and the product editor offers.
const std::vector<std::string>& ShippedOperatingSystems();
const std::vector<std::string>& ShippedLanguages();
const std::vector<std::string>& ShippedProgramTypes();
// Fills the data tables' operating-system, language and program-type lists with the shipped
// values (lists that already hold values are left alone).
void FillProfileValueLists();

// The flag key of a value: "/" becomes "\" and a space "_" (languages are used unchanged).
std::string FlagName(std::string_view value);

}  // namespace quillora
