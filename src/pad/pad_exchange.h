// PAD files and the record lists: exporting a company and product into one PAD file, importing
// PAD files into new or existing records (with the questions that decide which), and the
// product manager's upload of a freshly written PAD file.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "pad/records.h"

namespace quillora {

inline constexpr const char* kPadFileFilter = "PAD files (*.xml)|*.xml|All files|*.*";
inline constexpr const char* kExportCompanyWarning =
    "This will export company related info only.\r\nTo create a valid PAD file you should use the "
    "\"Export\" button\r\non the \"Products\" panel instead.";
inline constexpr const char* kImportCompanyWarning =
    "This will import only the company info from a PAD file.\r\nUse this function if you know what "
    "you are doing.\r\nIn all other cases, please, use the import button on the \"Products\" "
    "panel.\r\nIt will import both the company and the product info.";

// Writes company and product into a new PAD file at path. The file is built beside the target
// and replaces it only when complete, so a failed export leaves an existing file as it was.
// Failures show "Cannot export to <path>"; false then.
bool ExportPadFileTo(const TCompany& company, TProduct& product, const std::string& path);
// The product manager's "Export": asks for the file (starting in "PAD_Export_Path", which then
// keeps the folder chosen), then ExportPadFileTo. False when cancelled or failed.
bool ExportPadFile(const TCompany& company, TProduct& product);
// Writes the company's fields into the file at path (the template first when it does not exist),
// keeping what the file holds. False after "Cannot export to <path>".
bool ExportCompanyPadFile(const TCompany& company, const std::string& path);

struct TPadImportOptions {
  // The record editors, offered only when one file is imported: false means cancelled (the
  // file is skipped). Empty: no editor is shown.
  std::function<bool(TCompany&)> edit_company;
  std::function<bool(TProduct&)> edit_product;
};

struct TPadImportResult {
  int products_imported = 0;
  std::string last_product_uin;  // the last product imported
  std::string last_company_uin;  // its company
};

// Imports each file into the company and product lists: the same UIN, the same name and the
// override rule decide whether an existing record is reused, overridden or a new one added,
// asking through the user-interface port. Records taken over are saved. When one file brought
// a product, the user is asked whether to activate it.
TPadImportResult ImportPadFiles(const std::vector<std::string>& paths,
                                const TPadImportOptions& options = {});
// The company part alone for one file; a company found by name is overridden only when the
// user agrees. The company now selected, or nullptr.
TCompany* ImportCompanyPadFile(const std::string& path, const TPadImportOptions& options = {});

// --- Upload

struct TPadUploadForm {
  std::string host, doc_root, path, user, password;
  bool save_password = false;
  bool passive = false;
  // Always recomputed from the three parts.
  std::string FullAddress() const { return "ftp://" + host + doc_root + path; }
};

// Empty text when the transfer succeeded, otherwise its error text.
using TPadUploadFunction =
    std::function<std::string(const std::string& url, const std::string& file,
                              const std::string& user, const std::string& password, bool passive)>;

// The upload form filled from the product's PAD address and stored FTP fields. False (message
// shown) when the product has no "Application_XML_File_URL".
bool PreparePadUpload(const TProduct& product, TPadUploadForm& form);
// Writes the PAD file into the temporary folder as "pad_file.xml"; its path, or empty after
// "Cannot create <path>" (or "Cannot export to <path>") was shown.
std::string WriteTemporaryPadFile(const TCompany& company, TProduct& product);
// One press of "Upload": sends file to the form's full address (or to address when given). On
// success shows "Upload complete.", stores the FTP fields in the product and "Passive FTP" in the
// settings and saves the product; on failure shows the transfer's error text. True on success.
bool UploadPadFileOnce(const TPadUploadForm& form, const std::string& file, TProduct& product,
                       const TPadUploadFunction& upload, const std::string& address = {});

}  // namespace quillora
