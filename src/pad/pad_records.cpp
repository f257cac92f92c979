#include "pad/pad_records.h"

#include <exception>

#include "foundation/app_state.h"
#include "foundation/option_list.h"
#include "pad/pad_xml.h"
#include "pad/record_cipher.h"

namespace quillora {

namespace {

bool StartsWith(const std::string& s, const char* prefix) {
  return s.rfind(prefix, 0) == 0;
}

bool Tab(const char* name) {
  return Settings().GetBool(name);
}

bool InSection(const char* section, const std::string& key) {
  const TOptionsList* s = Tables().name_space.FindSection(section);
  return s && s->IndexOfName(key) >= 0;
}

void MoveSimtelCategory(TProduct& product) {
  const std::string winxx = product.GetString("Simtel/Simtel_WinXX_Category");
  if (winxx.empty()) return;
  product.SetString("Simtel/Simtel_Category", winxx);
  product.SetString("Simtel/Simtel_WinXX_Category", "");
}

}  // namespace

std::vector<std::string> NameSpaceKeys(const std::string& section) {
  std::vector<std::string> keys;
  if (const TOptionsList* s = Tables().name_space.FindSection(section))
    for (int i = 0; i < s->Count(); ++i) {
      std::string key = s->NameAt(i);
      if (!key.empty()) keys.push_back(std::move(key));
    }
  return keys;
}

bool IsNonProductKey(const std::string& key) {
  return InSection("Company", key) || InSection("Company/Private", key) ||
         InSection("Product/Private", key) || InSection("Runtime", key);
}

// A PAD file is text: the cipher's bytes (control bytes among them) cannot stand in XML as they
// are, so they are escaped the way the record files escape them.
std::string EncodePadSecret(const std::string& plain) {
  return EncodeValue(EncryptText(plain));
}

std::string DecodePadSecret(const std::string& stored) {
  return DecryptText(DecodeValue(stored));
}

int ExportCompanyXml(const TCompany& company, const std::string& path) {
  TOptionsList lines;
  try {
    const bool quillora = Tab("Product_Editor Tab Quillora");
    const bool asp = Tab("Company_Editor Tab ASP");
    for (const std::string& key : NameSpaceKeys("Company")) {
      if (StartsWith(key, "Quillora/") && !quillora) continue;
      if (StartsWith(key, "ASP/") && !asp) continue;
      std::string value = company.GetString(key);
      if (value.empty())
        value = " ";  // written as an empty element
      else if (IsEncipheredKey(key))
        value = EncodePadSecret(value);
      lines.AddLine(key + "=" + EncodeValue(value));
    }
  } catch (const std::exception&) {
    return kXmlNotParsed;
  }
  return ExportXml(lines, path, "root");
}

int ExportProductXml(TProduct& product, const std::string& path) {
  TOptionsList lines;
  std::vector<std::string> saved;
  try {
    MoveSimtelCategory(product);
    saved = product.Lines();
    for (const std::string& key : NameSpaceKeys("Product"))
      if (product.GetString(key).empty()) product.SetString(key, " ");
    const bool simtel = Tab("Product_Editor Tab Simtel");
    const bool vcl = Tab("Product_Editor Tab VCL");
    const bool affiliates = Tab("Product_Editor Tab Affiliates");
    const bool pad_ring = Tab("Product_Editor Tab PAD Ring");
    const bool quillora = Tab("Product_Editor Tab Quillora");
    for (int i = 0; i < product.Count(); ++i) {
      const std::string key = product.NameAt(i);
      if (key.empty() || IsNonProductKey(key)) continue;
      if ((StartsWith(key, "Simtel/") && !simtel) || (StartsWith(key, "Delphi/") && !vcl) ||
          (StartsWith(key, "Affiliates/") && !affiliates) || (key == "PADRING" && !pad_ring) ||
          (StartsWith(key, "Quillora/") && !quillora))
        continue;
      std::string value = product.GetValueAt(i);
      if (IsEncipheredKey(key) && value != " ") value = EncodePadSecret(value);
      lines.AddLine(key + "=" + EncodeValue(value));
    }
  } catch (const std::exception&) {
    if (!saved.empty()) product.MutableLines() = saved;
    return kXmlNotParsed;
  }
  const int result = ExportXml(lines, path, "root");
  product.MutableLines() = saved;
  return result;
}

int ImportCompanyXml(TCompany& company, const std::string& path, std::vector<std::string>* names) {
  const std::string uin = company.GetString("Quillora/Company_UIN");
  company.Clear();
  company.SetString("Quillora/Company_UIN", uin);
  TOptionsList read;
  const int result = ImportXml(path, read, names);
  if (result != kXmlRead) return result;
  try {
    for (const std::string& key : NameSpaceKeys("Company")) {
      std::string value = read.GetString(key);
      if (IsEncipheredKey(key) && !value.empty()) value = DecodePadSecret(value);
      company.SetString(key, value);
    }
    if (company.Uin().empty()) company.NewUin();
  } catch (const std::exception&) {
    return kXmlNotParsed;
  }
  return kXmlRead;
}

int ImportProductXml(TProduct& product, const std::string& path, std::vector<std::string>* names) {
  const std::string company_uin = product.GetString("Quillora/Company_UIN");
  const std::string product_uin = product.GetString("Quillora/Product_UIN");
  product.Clear();
  product.SetString("Quillora/Company_UIN", company_uin);
  product.SetString("Quillora/Product_UIN", product_uin);
  TOptionsList read;
  const int result = ImportXml(path, read, names);
  if (result != kXmlRead) return result;
  try {
    for (int i = 0; i < read.Count(); ++i) {
      const std::string key = read.NameAt(i);
      if (key.empty() || IsNonProductKey(key)) continue;
      std::string value = read.GetValueAt(i);
      if (IsEncipheredKey(key) && !value.empty()) value = DecodePadSecret(value);
      product.SetString(key, value);
    }
    MoveSimtelCategory(product);
    if (product.Uin().empty()) product.NewUin();
  } catch (const std::exception&) {
    return kXmlNotParsed;
  }
  return kXmlRead;
}

}  // namespace quillora
