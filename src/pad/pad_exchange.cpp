#include "pad/pad_exchange.h"

#include <memory>

#include "foundation/app_state.h"
#include "foundation/codepage.h"
#include "foundation/files.h"
#include "foundation/ui_port.h"
#include "pad/pad_records.h"
#include "pad/pad_xml.h"
#include "pad/product_data.h"
#include "pad/profile.h"
#include "template/url_helpers.h"

namespace quillora {

namespace {

constexpr const char* kCompanyName = "Company_Info/Company_Name";
constexpr const char* kProgramName = "Program_Info/Program_Name";

bool Contains(const std::vector<std::string>& names, const std::string& key) {
  for (const std::string& n : names)
    if (SameText(n, key)) return true;
  return false;
}

// The folder a dialog starts in, from a setting that holds a folder or a file path.
std::string SettingFolder(const std::string& setting) {
  const std::string value = Settings().GetString(setting);
  if (value.empty()) return {};
  return DirectoryExists(value) ? IncludeTrailingPathDelimiter(value) : ExtractFilePath(value);
}

bool SameCompanyFields(const TCompany& a, const TCompany& b) {
  for (const std::string& key : NameSpaceKeys("Company"))
    if (key != "Quillora/Company_UIN" && a.GetString(key) != b.GetString(key)) return false;
  return true;
}

// The override rule: what the file named but did not give a value keeps the stored value, the
// per-site lists stay, and so do the private fields, which no PAD file carries (without them
// a re-import would drop the user's passwords and FTP settings).
void CarryOver(const TRecord& existing, TRecord& imported, const std::vector<std::string>& names,
               const char* always_key, const char* private_section) {
  for (int i = 0; i < existing.Count(); ++i) {
    const std::string key = existing.NameAt(i);
    if (key.empty() || imported.HasKey(key)) continue;
    if (Contains(names, key)) imported.SetString(key, existing.GetValueAt(i));
  }
  for (const std::string& key : NameSpaceKeys(private_section))
    if (!imported.HasKey(key) && existing.HasKey(key))
      imported.SetString(key, existing.GetString(key));
  imported.SetString(always_key, existing.GetString(always_key));
  auto from = existing.SiteLists();
  auto to = imported.SiteLists();
  for (size_t i = 0; i < from.size() && i < to.size(); ++i) *to[i].list = *from[i].list;
}

// "Name(1)", "Name(2)", ... until no record of the list has that name.
void MakeNameUnique(TRecord& record, const TRecordList& list, const char* name_key) {
  const std::string base = record.GetString(name_key);
  for (int n = 1; list.FindRecordByName(record.RecordName()); ++n)
    record.SetString(name_key, base + "(" + std::to_string(n) + ")");
}

enum class Action { Select, Override, Add, Skip };

struct Importer {
  const TPadImportOptions& options;
  bool single;
  bool company_only = false;
  // A Yes to All / No to All of the product UIN question, and an All of the override question.
  enum class Sticky { None, YesToAll, NoToAll } uin_answer = Sticky::None;
  bool override_all = false;

  TCompany* CompanyPart(const std::string& path) {
    auto imported = std::make_unique<TCompany>();
    std::vector<std::string> names;
    if (ImportCompanyXml(*imported, path, &names) != kXmlRead) {
      ShowError("Cannot import from " + path);
      return nullptr;
    }
    TCompanyList& list = CompanyList();
    const std::string uin = imported->Uin();
    TCompany* existing = list.FindByUin(uin);
    Action action;
    bool editor = single;
    auto compare = [&] {
      if (SameCompanyFields(*existing, *imported)) return Action::Select;
      return AskYesNo("Company info differs from the previously stored. Override?")
                 ? Action::Override
                 : Action::Select;
    };
    if (existing && uin != "Sample_Company" &&
        existing->GetString(kCompanyName) == imported->GetString(kCompanyName)) {
      action = compare();
    } else if (existing) {
      switch (UI().AskYesNoCancel("A company with the same UIN ( " + uin +
                                  " ) is already in the list of companies.\r\nGenerate a new UIN "
                                  "for this company?")) {
        case TYesNoCancel::Yes:
          imported->NewUin();
          MakeNameUnique(*imported, list, kCompanyName);
          action = Action::Add;
          break;
        case TYesNoCancel::No:
          action = Action::Override;
          if (!company_only) editor = false;
          break;
        default:
          return nullptr;
      }
    } else {
      existing = list.FindByName(imported->RecordName());
      if (!existing)
        action = Action::Add;
      else if (company_only)
        action = AskYesNo("Company \"" + existing->RecordName() +
                          "\" already exists.\r\nOverride old info?")
                     ? Action::Override
                     : Action::Select;
      else
        action = compare();
    }
    if (action == Action::Select) return existing;
    if (action == Action::Override)
      CarryOver(*existing, *imported, names, "Quillora/Company_UIN", "Company/Private");
    if (editor && options.edit_company && !options.edit_company(*imported)) return nullptr;
    TCompany* target = existing;
    if (action == Action::Override)
      existing->Assign(*imported);
    else
      target = static_cast<TCompany*>(list.AddRecord(std::move(imported)));
    target->SaveRecordFile();
    return target;
  }

  // The answer to the product UIN question.
  TYesNoCancel AskUin(const std::string& uin) {
    if (uin_answer == Sticky::YesToAll) return TYesNoCancel::Yes;
    if (uin_answer == Sticky::NoToAll) return TYesNoCancel::No;
    const std::string text = "A product with the same UIN ( " + uin +
                             " ) is already in the list of products.\r\nGenerate a new UIN for "
                             "this product?";
    if (single) return UI().AskYesNoCancel(text);
    switch (UI().AskYesNoAll(text)) {
      case TYesNoAll::Yes:
        return TYesNoCancel::Yes;
      case TYesNoAll::No:
        return TYesNoCancel::No;
      case TYesNoAll::YesToAll:
        uin_answer = Sticky::YesToAll;
        return TYesNoCancel::Yes;
      case TYesNoAll::NoToAll:
        uin_answer = Sticky::NoToAll;
        return TYesNoCancel::No;
      default:
        return TYesNoCancel::Cancel;
    }
  }

  bool AskOverride(const std::string& name) {
    if (override_all || uin_answer != Sticky::None) return true;
    const std::string text = "Product \"" + name + "\" already exists.\r\nOverride old info?";
    if (single) return AskYesNo(text);
    switch (UI().AskYesNoAll(text)) {
      case TYesNoAll::Yes:
        return true;
      case TYesNoAll::YesToAll:
        override_all = true;
        return true;
      default:
        return false;
    }
  }

  TProduct* ProductPart(const std::string& path, const TCompany& company) {
    auto imported = std::make_unique<TProduct>();
    std::vector<std::string> names;
    if (ImportProductXml(*imported, path, &names) != kXmlRead) {
      ShowError("Cannot import from " + path);
      return nullptr;
    }
    TProductList& list = ProductList();
    TProduct* existing = list.FindByUin(imported->Uin());
    Action action = Action::Add;
    if (existing && existing->GetString(kProgramName) != imported->GetString(kProgramName)) {
      switch (AskUin(imported->Uin())) {
        case TYesNoCancel::Yes:
          imported->NewUin();
          MakeNameUnique(*imported, list, kProgramName);
          action = Action::Add;
          break;
        case TYesNoCancel::No:
          action = Action::Override;
          break;
        default:
          return nullptr;
      }
    } else {
      existing = list.FindByName(imported->RecordName());
      if (existing) {
        if (!AskOverride(existing->RecordName())) return nullptr;
        action = Action::Override;
      }
    }
    if (action == Action::Override)
      CarryOver(*existing, *imported, names, "Quillora/Product_UIN", "Product/Private");
    if (single && options.edit_product && !options.edit_product(*imported)) return nullptr;
    imported->SetString("Quillora/Company_UIN", company.Uin());
    TProduct* target = existing;
    if (action == Action::Override)
      existing->Assign(*imported);
    else
      target = static_cast<TProduct*>(list.AddRecord(std::move(imported)));
    target->SaveRecordFile();
    return target;
  }
};

}  // namespace

bool ExportPadFileTo(const TCompany& company, TProduct& product, const std::string& path) {
  // The old file stays until the new one is complete: a failure on the way must not cost the
  // author the PAD file already published.
  const std::string temp = TempSaveName(path);
  DeleteFileAt(temp);
  bool ok = WritePadTemplate(temp) && ExportCompanyXml(company, temp) == kXmlWritten &&
            ExportProductXml(product, temp) == kXmlWritten && RenameFileAt(temp, path);
  if (!ok) {
    DeleteFileAt(temp);
    ShowError("Cannot export to " + path);
  }
  return ok;
}

bool ExportPadFile(const TCompany& company, TProduct& product) {
  std::string name = product.GetString("Web_Info/Application_URLs/Application_XML_File_URL");
  name = name.empty() ? kDefaultPadFileName : name.substr(name.rfind('/') + 1);
  std::string path = SettingFolder("PAD_Export_Path") + name;
  if (!UI().SaveFileDialog("Export", kPadFileFilter, path)) return false;
  if (ExtractFileExt(path).empty()) path += ".xml";
  Settings().SetString("PAD_Export_Path", ExtractFilePath(path));
  return ExportPadFileTo(company, product, path);
}

bool ExportCompanyPadFile(const TCompany& company, const std::string& path) {
  if ((!FileExists(path) && !WritePadTemplate(path)) ||
      ExportCompanyXml(company, path) != kXmlWritten) {
    ShowError("Cannot export to " + path);
    return false;
  }
  return true;
}

TPadImportResult ImportPadFiles(const std::vector<std::string>& paths,
                                const TPadImportOptions& options) {
  TPadImportResult result;
  Importer importer{options, paths.size() == 1};
  for (const std::string& path : paths) {
    TCompany* company = importer.CompanyPart(path);
    if (!company) continue;
    TProduct* product = importer.ProductPart(path, *company);
    if (!product) continue;
    ++result.products_imported;
    result.last_product_uin = product->Uin();
    result.last_company_uin = company->Uin();
  }
  if (paths.size() == 1 && result.products_imported &&
      AskYesNo("Do you wish to activate the imported profile now?"))
    ActiveProfile().Activate(result.last_company_uin, result.last_product_uin);
  return result;
}

TCompany* ImportCompanyPadFile(const std::string& path, const TPadImportOptions& options) {
  Importer importer{options, true};
  importer.company_only = true;
  return importer.CompanyPart(path);
}

bool PreparePadUpload(const TProduct& product, TPadUploadForm& form) {
  const std::string address =
      product.GetString("Web_Info/Application_URLs/Application_XML_File_URL");
  if (address.empty()) {
    ShowError("Please, fill the \"Application XML Info URL\" field first");
    return false;
  }
  const TUrlParts parts = SplitUrl(address);
  form.host = parts.host;
  form.doc_root = product.GetString("Quillora/FTP_DocRoot");
  if (form.doc_root.empty()) form.doc_root = "/public_html";
  form.path = parts.path;
  form.user = product.GetString("Quillora/FTP_UserName");
  if (form.user.empty()) form.user = parts.user;
  form.password = product.GetString("Quillora/FTP_Password");
  if (form.password.empty()) form.password = parts.password;
  form.save_password = !form.password.empty();
  form.passive = Settings().GetBool("Passive FTP");
  return true;
}

std::string WriteTemporaryPadFile(const TCompany& company, TProduct& product) {
  const std::string path = Folders().temp + kDefaultPadFileName;
  DeleteFileAt(path);
  ForceDirectories(Folders().temp);
  if (!WritePadTemplate(path)) {
    ShowError("Cannot create " + path);
    return {};
  }
  if (ExportCompanyXml(company, path) != kXmlWritten ||
      ExportProductXml(product, path) != kXmlWritten) {
    DeleteFileAt(path);
    ShowError("Cannot export to " + path);
    return {};
  }
  return path;
}

bool UploadPadFileOnce(const TPadUploadForm& form, const std::string& file, TProduct& product,
                       const TPadUploadFunction& upload, const std::string& address) {
  const std::string error = upload(address.empty() ? form.FullAddress() : address, file, form.user,
                                   form.password, form.passive);
  if (!error.empty()) {
    ShowError(error);
    return false;
  }
  ShowInfo("Upload complete.");
  product.SetString("Quillora/FTP_DocRoot", form.doc_root == "/public_html" ? "" : form.doc_root);
  product.SetString("Quillora/FTP_UserName", form.user);
  product.SetString("Quillora/FTP_Password", form.save_password ? form.password : "");
  Settings().SetBool("Passive FTP", form.passive);
  product.SaveRecordFile();
  return true;
}

}  // namespace quillora
