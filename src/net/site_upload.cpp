#include "net/site_upload.h"

#include <cstdio>
#include <memory>

#include "foundation/app_state.h"
#include "foundation/dates.h"
#include "foundation/encoding.h"
#include "foundation/files.h"
#include "foundation/stream.h"
#include "foundation/ui_port.h"
#include "net/transfer_result.h"
#include "net/transfer_window.h"
#include "pad/record_cipher.h"
#include "sites/site.h"
#include "sites/site_list.h"

namespace quillora {

namespace {

std::string UpperAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

// The file name without its extension; empty when it has none.
std::string BaseName(std::string_view file_name) {
  const size_t dot = file_name.rfind('.');
  return dot == std::string_view::npos ? std::string() : std::string(file_name.substr(0, dot));
}

std::string DownloadFolder() {
  if (SiteListReady() && !SiteList().TempFolder.empty()) return SiteList().TempFolder;
  return Folders().temp;
}

}  // namespace

std::string SiteUploadFormLine(const TWebSite& site, std::string_view file_name,
                               const TSiteUpload& upload, std::string_view exported_file) {
  const TSiteInfo& info = site.Info;
  std::string line;
  auto add = [&line](std::string_view name, std::string_view value) {
    if (!line.empty()) line += '&';
    line += name;
    line += '=';
    line += UrlEncodeValue(value);
  };
  add("UIN", site.UIN());
  add("Title", site.Name());
  add("URL", info.URLs.AddressOf("Home"));
  add("Category", info.Value("Common info", "Category 1"));
  add("ContributorLogin", UpperAscii(upload.login));
  add("ContributorPWD", upload.password);
  add("FileName", BaseName(file_name));
  add("Status", "N");
  if (upload.remove) {
    add("Delete", "Y");
    return line;
  }
  if (const TOptionsList* common = info.FindSection("Common info"))
    for (int i = 0; i < common->Count(); ++i) add(common->NameAt(i), common->GetValueAt(i));
  static const char kHex[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(exported_file.size() * 2);
  unsigned int xor_sum = 0;
  for (char ch : exported_file) {
    const auto c = static_cast<unsigned char>(ch);
    hex += kHex[c >> 4];
    hex += kHex[c & 15];
    xor_sum ^= c;
  }
  add("WSDFILE", hex);
  add("WSDCRC", std::to_string(xor_sum));
  return line;
}

bool UploadSite(TWebSite& site, const std::string& file_name, const TSiteUpload& upload,
                TTransferWindow* window) {
  site.Info.CommonInfo().SetString("Last contributed", DateTimeToStr(Now()));
  const std::string folder = DownloadFolder();
  const std::string exported = folder + file_name;
  std::string line;
  if (upload.remove) {
    line = SiteUploadFormLine(site, file_name, upload);
  } else {
    if (!site.ExportSiteFile(exported)) return false;
    std::string bytes;
    try {
      bytes = FileToString(exported);
    } catch (const std::exception& e) {
      std::remove(exported.c_str());
      ShowError(e.what());
      return false;
    }
    line = SiteUploadFormLine(site, file_name, upload, bytes) +
           "&FILECRC=" + std::to_string(FileChecksum(exported));
  }

  std::unique_ptr<TTransferWindow> own;
  if (!window) window = (own = std::make_unique<TTransferWindow>()).get();
  std::string address = Settings().GetString("Sites Repository") + "putsite.php";
  const std::string reply_file = folder + "tmp.tmp";
  const TTransferResult result = window->Download(
      address, reply_file, TFormFields{std::vector<std::string>{line}}, false, true);
  if (!upload.remove) std::remove(exported.c_str());
  if (result != trNoError) {
    ShowError(TransferResultText(result));
    return false;
  }
  if (!FileExists(reply_file)) return false;
  std::string reply;
  try {
    reply = FileToString(reply_file);
  } catch (const std::exception& e) {
    ShowError(e.what());
    return false;
  }
  if (!reply.empty()) {
    ShowError(reply);
    return false;
  }
  Settings().SetString("Contributor Login", upload.login);
  Settings().SetString("Contributor Password", EncryptText(upload.password));
  ShowInfo("Database has been successfully updated.");
  return true;
}

}  // namespace quillora
