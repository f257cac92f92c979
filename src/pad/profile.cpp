#include "pad/profile.h"

#include <unordered_set>

#include "foundation/app_state.h"
#include "foundation/codepage.h"
#include "foundation/monitors.h"
#include "foundation/text_utils.h"
#include "pad/product_data.h"
#include "pad/records.h"

namespace quillora {

namespace {

// Field names of older versions and where their values live now; an empty new key means the
// value is dropped.
struct TOldKey {
  const char* old_key;
  const char* new_key;
};
const TOldKey kOldKeys[] = {
    {"Simtel/Simtel_Email", "Simtel/Simtel_Agent"},
    {"Simtel/Simtel_Win31_Category", ""},
    {"Simtel/Simtel_WinXX_Category", "Simtel/Simtel_Category"},
    {"Quillora/Regsoft_Order_Page", "Affiliates/Affiliates_Regsoft_Order_Page"},
    {"Quillora/RegNow_Order_Page", "Affiliates/Affiliates_Regnow_Order_Page"},
    {"Quillora/Regsoft_Company_ID", "Affiliates/Affiliates_Regsoft_Vendor_ID"},
    {"Quillora/Regnow_Company_ID", "Affiliates/Affiliates_Regnow_Vendor_ID"},
    {"Quillora/Regsoft_Product_ID", "Affiliates/Affiliates_Regsoft_Product_ID"},
    {"Quillora/Regnow_Product_ID", "Affiliates/Affiliates_Regnow_Product_ID"},
};

const char* const kPhoneKeys[] = {
    "Company_Info/Support_Info/Sales_Phone",
    "Company_Info/Support_Info/Support_Phone",
    "Company_Info/Support_Info/General_Phone",
    "Company_Info/Support_Info/Fax_Phone",
};

// Every line of a record into the profile by name; a key that occurs twice gets the value of
// its first occurrence, and a value already in the profile is replaced where it stands.
void CopyFields(TOptionsList& to, const TOptionsList& from) {
  for (int i = 0; i < from.Count(); ++i) {
    std::string name = from.NameAt(i);
    if (!name.empty()) to.SetString(name, from.GetValueAt(i));
  }
}

void CopyLines(TOptionsList& to, const TOptionsList& from) {
  to.MutableLines() = from.Lines();
}

// The names of the namespace sections given, lower-cased (keys compare ignoring case).
std::unordered_set<std::string> NamespaceKeys(std::initializer_list<const char*> sections) {
  std::unordered_set<std::string> keys;
  for (const char* name : sections) {
    const TOptionsList* section = Tables().name_space.FindSection(name);
    if (!section) continue;
    for (int i = 0; i < section->Count(); ++i) {
      std::string key = section->NameAt(i);
      if (!key.empty()) keys.insert(AnsiLowerCase(key));
    }
  }
  return keys;
}

std::string ShortYear(const std::string& year) {
  return year.size() > 2 ? year.substr(2, 2) : std::string();
}

std::string LookUp(const TOptionsList& table, const std::string& value) {
  return value.empty() ? std::string() : table.GetString(value);
}

bool StartsWithText(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && SameText(s.substr(0, prefix.size()), prefix);
}
bool EndsWithText(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && SameText(s.substr(s.size() - suffix.size()), suffix);
}

}  // namespace

// --- copying

TProfile::TProfile(const TProfile& other)
    : TOptionsList(other), TSiteProfile(), TProductSiteLists() {
  Assign(other);
}

TProfile& TProfile::operator=(const TProfile& other) {
  if (this != &other) Assign(other);
  return *this;
}

void TProfile::Assign(const TProfile& source) {
  if (this == &source) return;
  TOptionsList::operator=(source);
  ActiveCompanyUin = source.ActiveCompanyUin;
  ActiveProductUin = source.ActiveProductUin;
  std::vector<TOptionsList*> mine = AllSiteLists();
  std::vector<TOptionsList*> theirs = const_cast<TProfile&>(source).AllSiteLists();
  for (size_t i = 0; i < mine.size(); ++i) CopyLines(*mine[i], *theirs[i]);
}

std::vector<TOptionsList*> TProfile::AllSiteLists() {
  std::vector<TOptionsList*> lists;
  for (const TPerSiteListInfo& info : PerSiteLists())
    if (TOptionsList* list = SiteList(info.Kind)) lists.push_back(list);
  return lists;
}

void TProfile::CopySiteLists(TSiteListRecord which, TRecord& record, bool into_profile) {
  for (const TPerSiteListInfo& info : PerSiteLists()) {
    if (info.Record != which || !info.Written) continue;
    TOptionsList& mine = *SiteList(info.Kind);
    TOptionsList& theirs = *record.PerSiteList(info.Kind);
    if (into_profile)
      CopyLines(mine, theirs);
    else
      CopyLines(theirs, mine);
  }
}

// --- look-ups

TCompany* TProfile::FindActiveCompany() const {
  TCompanyList* list = companies ? companies : RecordListsReady() ? &CompanyList() : nullptr;
  return list && !ActiveCompanyUin.empty() ? list->FindByUin(ActiveCompanyUin) : nullptr;
}

TProduct* TProfile::FindActiveProduct() const {
  TProductList* list = products ? products : RecordListsReady() ? &ProductList() : nullptr;
  return list && !ActiveProductUin.empty() ? list->FindByUin(ActiveProductUin) : nullptr;
}

std::string TProfile::SiteLogin(std::string_view uin) const {
  std::string login = ProductSiteLogins.GetString(uin);
  return login.empty() ? CompanySiteLogins.GetString(uin) : login;
}

std::string TProfile::SitePassword(std::string_view uin) const {
  std::string password = ProductSitePasswords.GetString(uin);
  return password.empty() ? CompanySitePasswords.GetString(uin) : password;
}

std::string TProfile::SiteComment(std::string_view uin) const {
  std::string comment = CompanyComments.GetString(uin);
  std::string note = ProductComments.GetString(uin);
  return note.empty() ? comment : comment + "\r\n" + note;
}

const TOptionsList* TProfile::SiteList(TSiteValueKind kind) const {
  return const_cast<TProfile*>(this)->SiteList(kind);
}

TOptionsList* TProfile::SiteList(TSiteValueKind kind) {
  using K = TSiteValueKind;
  switch (kind) {
    case K::CompanySiteLogin:
      return &CompanySiteLogins;
    case K::CompanySitePassword:
      return &CompanySitePasswords;
    case K::CompanyComments:
      return &CompanyComments;
    case K::ProductSiteLogin:
      return &ProductSiteLogins;
    case K::ProductSitePassword:
      return &ProductSitePasswords;
    case K::ProductComments:
      return &ProductComments;
    default:
      return ProductSiteList(kind);
  }
}

std::string TProfile::SiteValue(TSiteValueKind kind, std::string_view uin) const {
  const TOptionsList* list = SiteList(kind);
  return list ? list->GetString(uin) : std::string();
}

// --- activation

void TProfile::Activate(std::string_view company_uin, std::string_view product_uin) {
  TMonitorScope monitor("Profile.Activate");
  Clear();
  // Lists of the previous product must not show through a profile that finds no product.
  for (TOptionsList* list : AllSiteLists()) list->Clear();

  TOptionsList& settings = Settings();
  if (!company_uin.empty()) settings.SetString("Active Company", company_uin);
  if (!product_uin.empty()) settings.SetString("Active Product", product_uin);
  ActiveCompanyUin = settings.GetString("Active Company");
  ActiveProductUin = settings.GetString("Active Product");

  if (TCompany* company = FindActiveCompany()) {
    CopyFields(*this, *company);
    CopySiteLists(TSiteListRecord::Company, *company, true);

    if (TProduct* product = FindActiveProduct()) {
      CopyFields(*this, *product);
      CopySiteLists(TSiteListRecord::Product, *product, true);

      bool moved = false;
      for (const TOldKey& k : kOldKeys) {
        std::string value = GetString(k.old_key);
        if (value.empty()) continue;
        moved = true;
        if (*k.new_key && GetString(k.new_key).empty()) SetString(k.new_key, value);
        SetString(k.old_key, "");
      }
      // The records are saved at once so their files no longer carry the old names.
      if (moved) StoreBack();
      ComputeDerivedValues(*company);
    }
  }
  if (on_activated) on_activated(*this);
}

void TProfile::ComputeDerivedValues(const TCompany& company) {
  TDataTables& tables = Tables();

  SetString("Program_Info/Program_Release_Year_Short",
            ShortYear(GetString("Program_Info/Program_Release_Year")));
  SetString("Program_Info/Expire_Info/Expire_Year_Short",
            ShortYear(GetString("Program_Info/Expire_Info/Expire_Year")));

  auto month_texts = [&](const char* month_key, const char* text_key, const char* short_key) {
    const TOptionsList& months = tables.month_short;
    std::string month = GetString(month_key);
    int m = 0;
    // A month that is no number or out of range leaves the texts as they are.
    if (!month.empty() && TryStrToInt(month, m) && m >= 1 && m <= months.Count())
      SetString(text_key, months.NameAt(m - 1));
    SetString(short_key, LookUp(months, GetString(text_key)));
  };
  month_texts("Program_Info/Program_Release_Month", "Program_Info/Program_Release_Month_Text",
              "Program_Info/Program_Release_Month_Text_Short");
  month_texts("Program_Info/Expire_Info/Expire_Month", "Program_Info/Expire_Info/Expire_Month_Text",
              "Program_Info/Expire_Info/Expire_Month_Text_Short");

  SetString("Company_Info/Country_Short",
            LookUp(tables.country_short, GetString("Company_Info/Country")));
  SetString("Company_Info/State_Province_Short",
            LookUp(tables.state_short, GetString("Company_Info/State_Province")));

  SetString("Company_Info/Contact_Info/Author_Full_Name",
            GetString("Company_Info/Contact_Info/Author_First_Name") + " " +
                GetString("Company_Info/Contact_Info/Author_Last_Name"));
  SetString("Company_Info/Contact_Info/Contact_Full_Name",
            GetString("Company_Info/Contact_Info/Contact_First_Name") + " " +
                GetString("Company_Info/Contact_Info/Contact_Last_Name"));

  std::vector<std::string> keyword_keys;
  for (int i = 0; i < Count(); ++i) {
    std::string name = NameAt(i);
    if (StartsWithText(name, "Program_Descriptions/") && EndsWithText(name, "/Keywords"))
      keyword_keys.push_back(name);
  }
  for (const std::string& key : keyword_keys) SplitKeywords(key);

  for (const char* key : kPhoneKeys) {
    std::array<std::string, 3> parts = PhoneParts(GetString(key));
    for (int p = 0; p < 3; ++p)
      SetString(std::string(key) + "_Part" + std::to_string(p + 1), parts[static_cast<size_t>(p)]);
  }

  std::string login = company.GetString("Quillora/Common_Login");
  std::string password = company.GetString("Quillora/Common_Password");
  SetString("Company_Login", login);
  SetString("Product_Login", login);
  SetString("Company_Password", password);
  SetString("Product_Password", password);

  if (GetString("Quillora/Search_String").empty())
    SetString("Quillora/Search_String", GetString("Program_Info/Program_Name"));

  SetString("Program_Info/Program_Release_Date",
            GetString("Program_Info/Program_Release_Month") + "/" +
                GetString("Program_Info/Program_Release_Day") + "/" +
                GetString("Program_Info/Program_Release_Year_Short"));

  auto list_var = [&](const char* section, const std::string& value) {
    const TOptionsList* list = tables.list_vars.FindSection(section);
    return list ? LookUp(*list, value) : std::string();
  };
  std::string category = GetString("Program_Info/Program_Categories");
  if (!category.empty()) category += ",";
  std::string specific = GetString("Program_Info/Program_Specific_Category");
  category += specific;
  if (std::string more = list_var("Program_Info/Program_Specific_Category", specific);
      !more.empty())
    category += "," + more;
  std::string category_class = GetString("Program_Info/Program_Category_Class");
  category += category_class;
  if (std::string more = list_var("Program_Info/Program_Category_Class", category_class);
      !more.empty())
    category += "," + more;
  SetString("Program_Category", category);

  SetBool("Runtime/IsNew", true);
  SetBool("Runtime/IsUpdate", false);
  SetBool("Runtime/IsASPMember", GetString("ASP/ASP_Member") == "Y");
  std::string systems = GetString("Program_Info/Program_OS_Support");
  for (const std::string& os : tables.os_values.Lines())
    if (!os.empty())
      SetBool("Runtime/OS_Flags/is" + FlagName(os), systems.find(os) != std::string::npos);
  std::string languages = GetString("Program_Info/Program_Language");
  for (const std::string& language : tables.language_values.Lines())
    if (!language.empty())
      SetBool("Runtime/Languages/is" + language, languages.find(language) != std::string::npos);
  std::string type = GetString("Program_Info/Program_Type");
  for (const std::string& t : tables.program_type_values.Lines())
    if (!t.empty())
      SetBool("Runtime/Program_Type_Flags/is" + FlagName(t), type.find(t) != std::string::npos);
}

void TProfile::SplitKeywords(const std::string& key) {
  // Keywords go to the sites as UTF-8; text that is not UTF-8 is taken as the code page's.
  std::string value = WideToUtf8(Utf8ToWide(GetString(key)));
  SetString(key, value);
  int n = 1;
  std::string word;
  auto store = [&] {
    if (!word.empty() && n <= 8) {
      // A word of blanks only still uses up its number; its empty value removes the key.
      SetString(key + "_" + std::to_string(n), Trim(word));
      ++n;
    }
    word.clear();
  };
  for (char& c : value) {
    if (c == ',') {
      c = ' ';
      store();
    } else {
      word += c;
    }
  }
  SetString(key + "_Space", value);
  store();
}

// --- writing back

bool TProfile::StoreBack() {
  TProduct* product = FindActiveProduct();
  // Without the product nothing is touched, the company included: emptying it here and not
  // refilling it would make its next save delete every field from its file.
  if (!product) return false;
  TCompany* company = FindActiveCompany();
  std::string company_uin = GetString("Quillora/Company_UIN");
  std::string product_uin = GetString("Quillora/Product_UIN");

  if (company) {
    // A company keeps its own identity even when the product names another company.
    std::string own_uin = company->Uin();
    company->Clear();
    company->SetString("Quillora/Company_UIN", own_uin);
    CopySiteLists(TSiteListRecord::Company, *company, false);
    for (const char* name : {"Company", "Company/Private"}) {
      const TOptionsList* section = Tables().name_space.FindSection(name);
      if (!section) continue;
      for (int i = 0; i < section->Count(); ++i) {
        std::string key = section->NameAt(i);
        if (!key.empty()) company->SetString(key, GetString(key));
      }
    }
    company->SetString("Quillora/Company_UIN", own_uin);
  }

  product->Clear();
  product->SetString("Quillora/Product_UIN", product_uin);
  product->SetString("Quillora/Company_UIN", company_uin);
  CopySiteLists(TSiteListRecord::Product, *product, false);
  std::unordered_set<std::string> product_keys = NamespaceKeys({"Product", "Product/Private"});
  std::unordered_set<std::string> elsewhere =
      NamespaceKeys({"Company", "Company/Private", "Runtime"});
  for (int i = 0; i < Count(); ++i) {
    std::string key = NameAt(i);
    if (key.empty()) continue;
    std::string lower = AnsiLowerCase(key);
    if (product_keys.count(lower) || !elsewhere.count(lower))
      product->SetString(key, GetValueAt(i));
  }

  bool ok = true;
  if (company) ok = company->SaveRecordFile();
  return product->SaveRecordFile() && ok;
}

// --- helpers

std::array<std::string, 3> PhoneParts(std::string_view phone) {
  std::array<std::string, 3> parts;
  size_t digits = 0;
  for (char c : phone) {
    if (c < '0' || c > '9') continue;
    if (digits == 9) break;
    parts[digits / 3] += c;
    ++digits;
  }
  return parts;
}

std::string FlagName(std::string_view value) {
  std::string name(value);
  for (char& c : name) {
    if (c == '/') c = '\\';
    if (c == ' ') c = '_';
  }
  return name;
}

const std::vector<std::string>& ShippedOperatingSystems() {
  static const std::vector<std::string> list = {"Win 3.1x",
                                                "Win95",
                                                "Win98",
                                                "WinME",
                                                "WinXP",
                                                "WinNT 3.x",
                                                "WinNT 4.x",
                                                "Windows2000",
                                                "Windows2003",
                                                "Unix",
                                                "Linux",
                                                "Linux Console",
                                                "Linux Gnome",
                                                "Linux GPL",
                                                "Linux Open Source",
                                                "MS-DOS",
                                                "AS/400",
                                                "OS/2",
                                                "OS/2 Warp",
                                                "OS/2 Warp 4",
                                                "MAC 68k",
                                                "Mac PPC",
                                                "Mac OS X",
                                                "Mac Other",
                                                "Palm OS 1.0",
                                                "Palm OS 2.0",
                                                "Palm OS 2.1",
                                                "Palm OS 3.0",
                                                "Palm OS 3.1",
                                                "Palm OS 3.2",
                                                "Palm OS 3.5",
                                                "Palm OS 4.0",
                                                "Palm OS 4.1",
                                                "Palm OS 5.0",
                                                "Palm OS 5.2",
                                                "Palm OS 6.0",
                                                "Windows CE",
                                                "Pocket PC",
                                                "Windows Mobile 2003",
                                                "Handheld/Mobile Other",
                                                "RIM",
                                                "Symbian",
                                                "OpenVMS",
                                                "Netware",
                                                "BEOS",
                                                "Java",
                                                "Not Applicable"};
  return list;
}

const std::vector<std::string>& ShippedLanguages() {
  static const std::vector<std::string> list = {"English",
                                                "Arabic",
                                                "ChineseSimplified",
                                                "ChineseTraditional",
                                                "Czech",
                                                "Danish",
                                                "Finnish",
                                                "French",
                                                "German",
                                                "Greek",
                                                "Hindi",
                                                "Hungarian",
                                                "Italian",
                                                "Japanese",
                                                "Korean",
                                                "Polish",
                                                "Portuguese",
                                                "Romanian",
                                                "Russian",
                                                "Spanish",
                                                "Swedish",
                                                "Turkish",
                                                "Urdu",
                                                "Vietnamese",
                                                "Yiddish"};
  return list;
}

const std::vector<std::string>& ShippedProgramTypes() {
  static const std::vector<std::string> list = {"Shareware", "Freeware",   "Adware",
                                                "Demo",      "Commercial", "Data only"};
  return list;
}

void FillProfileValueLists() {
  TDataTables& tables = Tables();
  auto fill = [](TOptionsList& list, const std::vector<std::string>& values) {
    if (list.Empty())
      for (const std::string& v : values) list.AddLine(v);
  };
  fill(tables.os_values, ShippedOperatingSystems());
  fill(tables.language_values, ShippedLanguages());
  fill(tables.program_type_values, ShippedProgramTypes());
}

}  // namespace quillora
