#include "pad/pad_check.h"

#include <exception>

#include "foundation/codepage.h"
#include "foundation/files.h"
#include "foundation/stream.h"
#include "foundation/text_utils.h"
#include "foundation/ui_port.h"
#include "pad/pad_picture.h"

namespace quillora {

namespace {

const std::vector<std::string>& SkippedKeys() {
  static const std::vector<std::string> keys = [] {
    std::vector<std::string> k = {"Affiliates/Affiliates_FORM",
                                  "Affiliates/Affiliates_FORM_VER",
                                  "Affiliates/Affiliates_Regsoft_Order_Page",
                                  "Affiliates/Affiliates_Regsoft_Vendor_ID",
                                  "Affiliates/Affiliates_Regsoft_Product_ID",
                                  "Affiliates/Affiliates_Regnow_Order_Page",
                                  "Affiliates/Affiliates_Regnow_Vendor_ID",
                                  "Affiliates/Affiliates_Regnow_Product_ID",
                                  "Affiliates/Affiliates_ShareIt_Vendor_ID",
                                  "Affiliates/Affiliates_ShareIt_Product_ID"};
    for (const char* language : {"German", "Russian", "Ukrainian"}) {
      const std::string base = std::string("Program_Descriptions/") + language + "/";
      k.push_back(base + "Keywords");
      for (const char* n : {"45", "80", "250", "450", "2000"}) k.push_back(base + "Char_Desc_" + n);
    }
    return k;
  }();
  return keys;
}

bool StartsWith(const std::string& s, const char* prefix) {
  return s.rfind(prefix, 0) == 0;
}

// 1-based position of the first occurrence, 0 when absent; an empty needle is never found.
size_t Position(const std::string& needle, const std::string& haystack) {
  if (needle.empty()) return 0;
  const size_t at = haystack.find(needle);
  return at == std::string::npos ? 0 : at + 1;
}

class Checker {
 public:
  Checker(const TOptionsList& profile, const TPadCheckHooks& hooks)
      : profile_(profile), hooks_(hooks) {}

  void Check(const std::string& key) {
    const std::string value = profile_.GetString(key);
    if (value.empty()) return Write(TPadLogColor::Notice, "Checking " + key + "... Empty");
    if (key == "Web_Info/Application_URLs/Application_Icon_URL") return Picture(key, value, true);
    if (key == "Web_Info/Application_URLs/Application_Screenshot_URL")
      return Picture(key, value, false);
    if (key == "Web_Info/Download_URLs/Primary_Download_URL") return MainDownload(key, value);
    if (StartsWith(key, "Web_Info/Download_URLs/")) return Ok(key);
    if (key == "Company_Info/Company_WebSite_URL" ||
        key == "Web_Info/Application_URLs/Application_Info_URL")
      return Page(key, value, false);
    if (key == "Web_Info/Application_URLs/Application_Order_URL") return Page(key, value, true);
    if (StartsWith(value, "http://") || StartsWith(value, "ftp://")) return Ok(key);
    if (AnsiLowerCase(key).find("email") != std::string::npos) {
      if (value.find('@') != std::string::npos) return Ok(key);
      return Write(TPadLogColor::Error, "Checking " + key + "... wrong e-mail format.");
    }
    Ok(key);
  }

  std::vector<TPadLogLine> log;

 private:
  void Write(TPadLogColor color, std::string text) {
    log.push_back({color, std::move(text)});
    if (hooks_.on_line) hooks_.on_line(log.back());
  }
  void Ok(const std::string& key) { Write(TPadLogColor::Normal, "Checking " + key + "... OK"); }

  // Empty on success, else the transfer's text.
  std::string Fetch(const std::string& url, const std::string& file) {
    if (!hooks_.download) return "No download function";
    return hooks_.download(url, file);
  }

  void Picture(const std::string& key, const std::string& url, bool icon) {
    Write(TPadLogColor::Normal, "Checking " + key + "...");
    const std::string file = hooks_.temp_folder + "temp" + UrlExtension(url);
    const std::string error = Fetch(url, file);
    if (!error.empty()) return Write(TPadLogColor::Error, "Error: " + error);
    TPictureSize size;
    if (!ReadPictureSize(file, size))
      return Write(TPadLogColor::Error, "Error: Wrong image format");
    if (hooks_.show_picture) hooks_.show_picture(file);
    if (!icon) return;
    if (size.width != 32 || size.height != 32)
      return Write(TPadLogColor::Error, "Error: Wrong dimensions ( " + std::to_string(size.width) +
                                            "x" + std::to_string(size.height) +
                                            " pixels ). Icon should be 32x32 pixels in size.");
    Ok(key);
  }

  void MainDownload(const std::string& key, const std::string& url) {
    const std::string proposed = url.substr(url.rfind('/') + 1);
    std::string file;
    if (hooks_.choose_download_file) {
      file = hooks_.choose_download_file(url, proposed);
    } else if (AskYesNo("Download \"" + url + "\" ?")) {
      file = proposed;
      if (!UI().SaveFileDialog("Download Application", "All files|*.*", file)) file.clear();
    }
    if (file.empty()) return Ok(key);
    const std::string error = Fetch(url, file);
    if (!error.empty()) return Write(TPadLogColor::Error, "Checking " + key + "... " + error);
    int declared = 0;
    if (!TryStrToInt(profile_.GetString("Program_Info/File_Info/File_Size_Bytes"), declared))
      declared = 0;
    if (FileSizeOf(file) == declared) return Ok(key);
    Write(TPadLogColor::Error, "Checking " + key + "... invalid size");
  }

  void Page(const std::string& key, const std::string& url, bool price) {
    const std::string file = hooks_.temp_folder + "temp.tmp";
    const std::string error = Fetch(url, file);
    if (!error.empty()) return Write(TPadLogColor::Error, "Checking " + key + "... " + error);
    std::string page;
    try {
      page = AnsiLowerCase(FileToString(file));
    } catch (const std::exception&) {
      return;  // an unreadable page ends the key without a line
    }
    const std::string name = AnsiLowerCase(profile_.GetString("Program_Info/Program_Name"));
    const size_t p = Position(name, page);
    if (!p)
      return Write(TPadLogColor::Error, "Checking " + key + "... no product name at the page.");
    if (price) {
      const std::string cost =
          AnsiLowerCase(profile_.GetString("Program_Info/Program_Cost_Dollars"));
      if (Position(cost, page)) return Ok(key);
      return Write(TPadLogColor::Error,
                   "Checking " + key + "... no Program_Cost_Dollars at the page.");
    }
    const size_t open = Position("<title>", page), close = Position("</title>", page);
    if (p >= open && close >= p) return Ok(key);
    Write(TPadLogColor::Notice, "Checking " + key + "... no product name in the page title.");
  }

  const TOptionsList& profile_;
  const TPadCheckHooks& hooks_;
};

}  // namespace

bool IsPadCheckSkippedKey(const std::string& key) {
  for (const std::string& k : SkippedKeys())
    if (SameText(k, key)) return true;
  return false;
}

std::string UrlExtension(const std::string& url) {
  const size_t dot = url.rfind('.');
  if (dot == std::string::npos) return {};
  // "/" is a path delimiter here as much as "\": an extension holding one would put the scratch
  // file into some other folder.
  if (url.find_first_of("\\:/", dot) != std::string::npos) return {};
  return url.substr(dot);
}

std::vector<TPadLogLine> RunPadCheck(const TOptionsList& profile, const TMultiOptions& name_space,
                                     const TPadCheckHooks& hooks) {
  Checker checker(profile, hooks);
  for (const char* section : {"Company", "Product"}) {
    const TOptionsList* keys = name_space.FindSection(section);
    if (!keys) continue;
    for (int i = 0; i < keys->Count(); ++i) {
      const std::string key = keys->NameAt(i).empty() ? keys->Line(i) : keys->NameAt(i);
      if (key.empty() || IsPadCheckSkippedKey(key)) continue;
      checker.Check(key);
    }
  }
  return std::move(checker.log);
}

}  // namespace quillora
