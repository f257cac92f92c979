#include "site-repository/site_repository.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <httplib.h>
#include <optional>
#include <vector>

#include "foundation/dates.h"
#include "foundation/encoding.h"
#include "foundation/files.h"
#include "foundation/option_list.h"
#include "foundation/stream.h"
#include "site-repository/access_token.h"
#include "site-repository/form_fields.h"
#include "sites/site_file.h"
#include "sites/site_index.h"

namespace quillora {
namespace {

constexpr const char* kAccessDenied = "Access denied: this site repository needs an access token.";
constexpr const char* kIndexName = "Index.dat";
constexpr const char* kVersionName = "version.dat";
constexpr const char* kRatingsName = "Ratings.dat";

std::string Lower(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return r;
}

bool EndsWithNoCase(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && Lower(s.substr(s.size() - suffix.size())) == suffix;
}

// UINs and file names end up in the index's comma-separated lines and in paths.
bool IsPlainName(std::string_view s) {
  if (s.empty() || s.size() > 128 || s.front() == '.') return false;
  return std::none_of(s.begin(), s.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == ',' || c == '/' || c == '\\';
  });
}

template <typename T>
std::optional<T> ParseUnsigned(std::string_view s) {
  T value{};
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return value;
}

// The index as it stands: its text (none when the folder has none yet) and its entries.
struct TPresentIndex {
  std::optional<std::string> text;
  std::vector<TIndexEntry> entries;
  std::string build;
};

}  // namespace

TSiteRepository::TSiteRepository(TSiteRepositoryOptions options) : options_(std::move(options)) {
  options_.folder = IncludeTrailingPathDelimiter(options_.folder);
}

std::string TSiteRepository::ResolveFile(std::string_view name) const {
  if (!IsPlainName(name)) return {};
  const std::string lower = Lower(name);
  if (lower != Lower(kIndexName) && lower != kVersionName && lower != Lower(kRatingsName) &&
      !EndsWithNoCase(name, ".wsd"))
    return {};
  namespace fs = std::filesystem;
  std::error_code ec;
  const std::string exact = options_.folder + std::string(name);
  if (fs::is_regular_file(exact, ec)) return exact;
  // The program asks for "index.dat" and "ratings.dat" where the export wrote "Index.dat" and a
  // vendor copies in "Ratings.dat"; a case-sensitive file system must not make them missing.
  for (fs::directory_iterator it(options_.folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (Lower(it->path().filename().string()) == lower && it->is_regular_file(ec))
      return it->path().string();
  }
  return {};
}

TSiteRepository::TReply TSiteRepository::Download(const TFormFields& fields,
                                                  bool object_mode) const {
  if (!CarriesAccessToken(fields, options_.token)) return {403, kAccessDenied, "text/plain"};
  std::string name;
  if (object_mode) {
    const std::string type = Lower(fields.Get("ObjectType"));
    const std::string object = fields.Get("ObjectName");
    if (type == "info")
      name = kVersionName;
    else if (type == "index")
      name = kIndexName;
    else if (type == "ratings")
      name = object.empty() ? kRatingsName : object;
    else if (type == "site")
      // A database written by "sites export" names its files with the extension, which the
      // program then sends as it is.
      name = EndsWithNoCase(object, ".wsd") ? object : object + ".wsd";
    else
      return {400, "Unknown object type.", "text/plain"};
  } else {
    name = fields.Get("File");
  }
  const std::string path = ResolveFile(name);
  if (path.empty()) return {404, "File not found: " + name, "text/plain"};
  try {
    return {200, FileToString(path)};
  } catch (const std::exception&) {
    return {404, "File not found: " + name, "text/plain"};
  }
}

namespace {

TPresentIndex ReadPresentIndex(const std::string& index_path) {
  TPresentIndex present;
  if (FileExists(index_path)) present.text = FileToString(index_path);
  TOptionsList general;
  if (present.text) present.entries = ReadSiteIndex(*present.text, &general);
  present.build = general.GetString("Build");
  if (present.build.empty()) present.build = QUILLORA_BUILD;
  return present;
}

// Index and version file always change together, each replaced whole: a client reading while
// an upload runs sees the old or the new file, never a part of one.
void WritePresentIndex(const std::string& index_path, const std::string& version_path,
                       const TPresentIndex& present) {
  TSiteIndexWriter writer(present.text, present.build, DateTimeToStr(Now()));
  for (const TIndexEntry& entry : present.entries) writer.Add(entry);
  SaveFileSafely(index_path, writer.IndexText());
  SaveFileSafely(version_path, writer.VersionText());
}

}  // namespace

TSiteRepository::TReply TSiteRepository::PutSite(const TFormFields& fields) {
  if (!CarriesAccessToken(fields, options_.token)) return {200, kAccessDenied, "text/plain"};
  const std::string uin = fields.Get("UIN");
  if (!IsPlainName(uin)) return {200, "The request has no valid site UIN.", "text/plain"};
  try {
    const bool remove = fields.Get("Delete") == "Y";
    return {200, remove ? RemoveSite(uin) : StoreSite(fields, uin), "text/plain"};
  } catch (const std::exception& e) {
    return {200, std::string("Cannot update the site database: ") + e.what(), "text/plain"};
  }
}

std::string TSiteRepository::StoreSite(const TFormFields& fields, std::string_view uin) {
  const auto bytes = HexDecode(fields.Get("WSDFILE"));
  if (!bytes || bytes->empty()) return "The site file is missing or not hexadecimal text.";
  const auto xor_sum = ParseUnsigned<unsigned>(fields.Get("WSDCRC"));
  const auto crc = ParseUnsigned<uint32_t>(fields.Get("FILECRC"));
  uint8_t actual_xor = 0;
  for (const char c : *bytes) actual_xor ^= static_cast<uint8_t>(c);
  if (!xor_sum || !crc || *xor_sum != actual_xor || *crc != Crc32(*bytes))
    return "Site file checksum error.";

  std::string file_uin, last_contributed;
  try {
    TMemoryStream stream(*bytes);
    TSiteFileParts parts;
    if (!ReadSiteFileParts(stream, parts, nullptr)) return "The uploaded file is not a site file.";
    TMultiOptions options;
    options.SetText(parts.option_text);
    if (const TOptionsList* common = options.FindSection("Common info")) {
      file_uin = common->GetString("UIN");
      last_contributed = common->GetString("Last contributed");
    }
  } catch (const std::exception& e) {
    return std::string("The uploaded site file is damaged: ") + e.what();
  }
  if (file_uin != uin)
    return "The uploaded site file is not the file of site " + std::string(uin) + ".";
  // The index's lines are split at commas.
  if (last_contributed.find(',') != std::string::npos) last_contributed.clear();

  const std::string given = fields.Get("FileName");
  const std::string name = (given.empty() ? std::string(uin) : given) + ".wsd";
  if (!IsPlainName(name)) return "The file name " + name + " is not allowed.";

  std::lock_guard lock(update_mutex_);
  const std::string index_path = [&] {
    const std::string found = ResolveFile(kIndexName);
    return found.empty() ? options_.folder + kIndexName : found;
  }();
  TPresentIndex present = ReadPresentIndex(index_path);
  TIndexEntry* own = nullptr;
  for (TIndexEntry& entry : present.entries) {
    if (entry.uin == uin)
      own = &entry;
    else if (Lower(entry.file_name) == Lower(name))
      return "The file name " + name + " is used by another site.";
  }
  SaveFileSafely(options_.folder + name, *bytes);
  const TIndexEntry fresh{std::string(uin), last_contributed, name, *crc};
  if (own) {
    if (own->file_name != name) DeleteFileAt(options_.folder + own->file_name);
    *own = fresh;
  } else {
    present.entries.push_back(fresh);
  }
  const std::string version_path = ResolveFile(kVersionName);
  WritePresentIndex(index_path,
                    version_path.empty() ? options_.folder + kVersionName : version_path, present);
  return {};
}

std::string TSiteRepository::RemoveSite(std::string_view uin) {
  std::lock_guard lock(update_mutex_);
  const std::string index_path = ResolveFile(kIndexName);
  if (index_path.empty()) return "Site " + std::string(uin) + " is not in the database.";
  TPresentIndex present = ReadPresentIndex(index_path);
  const auto it = std::find_if(present.entries.begin(), present.entries.end(),
                               [&](const TIndexEntry& e) { return e.uin == uin; });
  if (it == present.entries.end()) return "Site " + std::string(uin) + " is not in the database.";
  DeleteFileAt(options_.folder + it->file_name);
  present.entries.erase(it);
  const std::string version_path = ResolveFile(kVersionName);
  WritePresentIndex(index_path,
                    version_path.empty() ? options_.folder + kVersionName : version_path, present);
  return {};
}

TSiteRepository::TReply TSiteRepository::BugReport(const TFormFields& fields,
                                                   std::string_view remote_address) {
  if (fields.Get("Category").empty() && fields.Get("Body").empty())
    return {200, "The bug report is empty.", "text/plain"};
  std::string entry =
      "Date: " + DateTimeToStr(Now()) + "\nFrom: " + std::string(remote_address) + "\n";
  for (const char* key : {"SenderUIN", "SenderName", "SenderAddr", "Category", "SiteUIN"})
    entry += std::string(key) + ": " + fields.Get(key) + "\n";
  entry += "\n" + fields.Get("Body") + "\n----\n";
  std::lock_guard lock(log_mutex_);
  std::ofstream log(options_.folder + kBugReportLog, std::ios::binary | std::ios::app);
  log << entry;
  log.flush();
  if (!log) return {200, "Cannot save the bug report.", "text/plain"};
  return {200, "", "text/plain"};
}

namespace {

void Send(httplib::Response& res, const TSiteRepository::TReply& reply) {
  res.status = reply.status;
  res.set_content(reply.body, reply.content_type.c_str());
}

std::string MovedPage() {
  return "<!DOCTYPE html>\n<html><head><title>Site database moved</title></head><body>\n"
         "<h1>Site database moved</h1>\n<p>This site database is no longer served at this "
         "address. Please change the site repository address in the program's "
         "settings.</p>\n</body></html>\n";
}

}  // namespace

void TSiteRepository::Attach(httplib::Server& server) {
  // Bounded waits, so a client that stalls cannot hold a worker thread for long.
  server.set_read_timeout(10, 0);
  server.set_write_timeout(10, 0);
  server.set_keep_alive_timeout(5);
  server.set_keep_alive_max_count(100);
  // Uploads carry the site file as hexadecimal text: twice the size of the file.
  server.set_payload_max_length(size_t{2} * kMaxUploadSize + 64 * 1024);
  // The body is read here rather than by the server: the server itself refuses form bodies over
  // a few kilobytes, and an upload carries a whole site file.
  server.Post(".*", [this](const httplib::Request& req, httplib::Response& res,
                           const httplib::ContentReader& read) {
    std::string body;
    read([&](const char* data, size_t size) {
      body.append(data, size);
      return true;
    });
    if (!options_.redirect.empty()) return res.set_redirect(options_.redirect, 303);
    if (req.path.rfind(kMovedPrefix, 0) == 0)
      return res.set_redirect("http://" + req.get_header_value("Host") + kMovedPage, 303);
    const TFormFields fields = TFormFields::Parse(body);
    if (EndsWithNoCase(req.path, "/getsites.php")) return Send(res, Download(fields, true));
    if (EndsWithNoCase(req.path, "/putsite.php")) return Send(res, PutSite(fields));
    if (EndsWithNoCase(req.path, "/bugreport.php"))
      return Send(res, BugReport(fields, req.remote_addr));
    if (!req.path.empty() && req.path.back() == '/') return Send(res, Download(fields, false));
    Send(res, {404, "Not found.", "text/plain"});
  });
  // The files can be fetched by name too, as from a static copy of the folder.
  server.Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
    if (req.path == kMovedPage) return res.set_content(MovedPage(), "text/html");
    if (!options_.token.empty()) return Send(res, {403, kAccessDenied, "text/plain"});
    const std::string name = req.path.substr(req.path.rfind('/') + 1);
    const std::string path = ResolveFile(name);
    if (path.empty()) return Send(res, {404, "Not found.", "text/plain"});
    try {
      Send(res, {200, FileToString(path)});
    } catch (const std::exception&) {
      Send(res, {404, "Not found.", "text/plain"});
    }
  });
}

}  // namespace quillora
