#include "net/site_update.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <unordered_set>

#include "foundation/app_state.h"
#include "foundation/dates.h"
#include "foundation/encoding.h"
#include "foundation/files.h"
#include "foundation/text_utils.h"
#include "foundation/ui_port.h"
#include "net/repository_token.h"
#include "net/transfer_window.h"
#include "net/transfers.h"
#include "sites/ratings_file.h"
#include "sites/site.h"
#include "sites/site_list.h"

namespace quillora {

namespace {

constexpr const char* kNoNewFiles = "There are no new files\r\non the server.";
constexpr const char* kRatingsName = "Ratings.dat";

std::string Field(std::string_view name, std::string_view value) {
  return std::string(name) + "=" + UrlEncodeValue(value);
}

TDateTime DateOrZero(std::string_view text) {
  TDateTime t = 0;
  return TryStrToDateTime(text, t) ? t : 0;
}

std::string Lower(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return r;
}

// The "File" of a repository-mode request.
std::string RemoteName(TUpdateObject object, std::string_view file_field) {
  switch (object) {
    case TUpdateObject::Stamp:
      return "version.dat";
    case TUpdateObject::Index:
      return "index.dat";
    case TUpdateObject::Ratings:
      return "ratings.dat";
    case TUpdateObject::Site:
      return std::string(file_field);
  }
  return {};
}

// What the window's address line shows for a request: the object type, with ": " and the
// object's name when there is one, or the remote file name.
std::string ShownObject(const TUpdateServer& server, TUpdateObject object,
                        std::string_view file_field) {
  if (!server.object_mode) return RemoteName(object, file_field);
  switch (object) {
    case TUpdateObject::Stamp:
      return "Info";
    case TUpdateObject::Index:
      return "Index";
    case TUpdateObject::Ratings:
      return "Ratings: ratings.dat";
    case TUpdateObject::Site:
      return "Site: " + std::string(file_field);
  }
  return {};
}

}  // namespace

// --- Requests ------------------------------------------------------------------------------------

std::string TUpdateServer::Address() const {
  return object_mode ? repository + "getsites.php" : repository;
}

std::string TUpdateServer::RequestLine(TUpdateObject object, std::string_view file_field) const {
  if (object_mode) {
    std::string type, name;
    switch (object) {
      case TUpdateObject::Stamp:
        type = "Info";
        break;
      case TUpdateObject::Index:
        type = "Index";
        break;
      case TUpdateObject::Ratings:
        type = "Ratings", name = "ratings.dat";
        break;
      case TUpdateObject::Site:
        type = "Site", name = file_field;
        break;
    }
    std::string line = Field("ObjectType", type);
    if (!name.empty()) line += "&" + Field("ObjectName", name);
    return line + "&" + Field("AuthInfo", AuthInfoField(token));
  }
  return Field("File", RemoteName(object, file_field)) + "&" + Field("Data", DataField(token));
}

std::string TUpdateServer::LocalName(TUpdateObject object, std::string_view file_field) const {
  switch (object) {
    case TUpdateObject::Stamp:
      return object_mode ? "info.dat" : "version.dat";
    case TUpdateObject::Index:
      return "Index.dat";
    case TUpdateObject::Ratings:
      return object_mode ? "ratings.dat" : "Ratings.dat";
    case TUpdateObject::Site:
      return std::string(file_field) + (object_mode ? ".wsd" : "");
  }
  return {};
}

TUpdateServer ReadUpdateServer(const TOptionsList& settings) {
  TUpdateServer server;
  server.object_mode = settings.GetBool("SITES_FROM_SQL_DB");
  server.repository = settings.GetString("Sites Repository");
  server.token = settings.GetString(kRepositoryTokenKey);
  return server;
}

// --- Replies -------------------------------------------------------------------------------------

std::string ReadStampExported(std::string_view text) {
  TOptionsList lines;
  lines.SetText(text);
  return lines.RawValue("Exported");
}

bool IsNewerDatabase(std::string_view exported, std::string_view base_exported) {
  if (exported.empty()) return false;
  TDateTime server = 0, taken = 0;
  if (!TryStrToDateTime(exported, server) || !TryStrToDateTime(base_exported, taken)) return false;
  return taken < server;
}

TUpdateIndex ReadUpdateIndex(std::string_view text) {
  TUpdateIndex index;
  TMultiOptions tree;
  tree.SetText(text);
  if (const TOptionsList* general = tree.FindSection("General")) {
    index.has_general = true;
    index.general = *general;
  }
  const TOptionsList* sites = tree.FindSection("Sites");
  for (const std::string& line : sites ? sites->Lines() : SplitLines(text))
    if (!Trim(line).empty()) index.lines.push_back(line);
  return index;
}

TUpdateIndexLine SplitIndexLine(std::string_view line) {
  return {NthField(line, 0, ','), NthField(line, 1, ','), NthField(line, 2, ','),
          NthField(line, 3, ',')};
}

bool IsPlainFileField(std::string_view file_field) {
  if (file_field.empty() || file_field == "." || file_field == "..") return false;
  return std::none_of(file_field.begin(), file_field.end(),
                      [](char c) { return c == '/' || c == '\\' || c == '\0' || c == ':'; });
}

TDownloadedRatings ReadDownloadedRatings(std::string_view text) {
  TDownloadedRatings result;
  TMultiOptions tree;
  tree.SetText(text);
  const TOptionsList* general = tree.FindSection("General");
  const TOptionsList* ratings = tree.FindSection("Ratings");
  if (!general || !ratings) return result;
  result.date = general->GetString("Date");
  result.ratings = *ratings;
  try {
    (void)ReadRatingsText(text);
    result.state = TDownloadedRatings::Ok;
  } catch (const std::exception&) {
    // A "CRC" that is not a number fails the check as a wrong one does.
    result.state = TDownloadedRatings::ChecksumError;
  }
  return result;
}

bool IsLaterRatings(std::string_view downloaded, std::string_view current) {
  TDateTime d = 0, c = 0;
  if (!TryStrToDateTime(downloaded, d) || !TryStrToDateTime(current, c)) return false;
  return c < d;
}

// --- Dialogs -------------------------------------------------------------------------------------

std::vector<std::string> UpdateDialogLines(const TUpdateLists& lists) {
  std::vector<std::string> lines;
  lines.push_back("Total sites on the server: " + std::to_string(lists.server_total));
  lines.push_back("Quillora will download and update following sites (" +
                  std::to_string(lists.downloads.size()) + "):");
  for (const TUpdateDownload& d : lists.downloads) lines.push_back(d.uin + " :  " + d.file_field);
  lines.push_back("Quillora will delete following obsolete sites (" +
                  std::to_string(lists.obsolete.size()) + "):");
  for (const TUpdateObsolete& o : lists.obsolete)
    lines.push_back(o.uin + " :  " + ExtractFileName(o.file_name));
  return lines;
}

std::vector<std::string> UpgradeDialogLines(const std::string& server_build,
                                            const std::string& program_build) {
  return {"Warning", "There is a newer build of Quillora available.",
          "The Most recent build : " + server_build, "The build installed : " + program_build,
          "It is strongly recommended to upgrade the program before updating the database."};
}

bool TPortUpdateFrontEnd::ConfirmUpdate(const TUpdateLists& lists) {
  std::vector<std::string> lines = UpdateDialogLines(lists);
  lines.push_back("Update sites?");
  return AskYesNo(JoinLines(lines));
}

TUpgradeAnswer TPortUpdateFrontEnd::AskUpgrade(const std::string& server_build,
                                               const std::string& program_build) {
  std::vector<std::string> lines = UpgradeDialogLines(server_build, program_build);
  lines.push_back("Upgrade (Yes), continue anyway (No) or cancel?");
  switch (UI().AskYesNoCancel(JoinLines(lines))) {
    case TYesNoCancel::Yes:
      return TUpgradeAnswer::Upgrade;
    case TYesNoCancel::No:
      return TUpgradeAnswer::Continue;
    default:
      return TUpgradeAnswer::Cancel;
  }
}

void TPortUpdateFrontEnd::OpenUpgradePage(const std::string& address) {
  UI().OpenDocument(address);
}

void TPortUpdateFrontEnd::ShowServerPage(const std::string& final_address,
                                         const std::string& page) {
  (void)page;
  ShowError("The site server answered with a page instead of the site database: " + final_address);
}

// --- Transfers -----------------------------------------------------------------------------------

TTransferResult DownloadObject(TTransferWindow& window, std::string& url,
                               const std::string& form_line, const std::string& shown,
                               const std::string& file_name) {
  window.Begin(TTransferDirection::Download, shown, file_name, true, "Site name:");
  const TTransferResult result =
      DownloadToFile(url, file_name, &window.Abort(), std::vector<std::string>{form_line}, false,
                     [&window](int64_t done, int64_t total, TProgressStage stage) {
                       window.Progress(done, total, stage);
                     });
  window.End(result);
  return result;
}

bool CheckForUpdate(const TUpdateServer& server, const std::string& base_exported,
                    const std::string& temp_folder, const TTransferAbort* abort,
                    TTransferResult* transfer) {
  TTransferAbort own_abort;
  std::string url = server.Address();
  const std::string file = temp_folder + server.LocalName(TUpdateObject::Stamp);
  const TTransferResult result =
      DownloadToFile(url, file, abort ? abort : &own_abort,
                     std::vector<std::string>{server.RequestLine(TUpdateObject::Stamp)}, false, {});
  if (transfer) *transfer = result;
  if (result != trNoError) return false;
  std::string text;
  try {
    text = FileToString(file);
  } catch (const std::exception&) {
    // An unreadable stamp holds no date: not newer.
  }
  DeleteFileAt(file);
  return IsNewerDatabase(ReadStampExported(text), base_exported);
}

bool CheckForUpdate(const TSiteList& sites) {
  TUpdateServer server;
  std::string base_exported;
  Synchronize([&] {
    server = ReadUpdateServer(Settings());
    base_exported = Settings().GetString("Server Base Exported");
  });
  return CheckForUpdate(server, base_exported, sites.TempFolder);
}

// --- The update ----------------------------------------------------------------------------------

TSiteUpdate::TSiteUpdate(TSiteList& sites, TOptionsList& settings, std::string data_folder,
                         TUpdateFrontEnd& front_end, TTransferWindow& window)
    : sites_(sites),
      settings_(settings),
      data_folder_(std::move(data_folder)),
      front_end_(front_end),
      window_(window) {}

void TSiteUpdate::HideWindows() {
  window_.SetFileCount(0);
}

TTransferResult TSiteUpdate::Download(TUpdateObject object, std::string_view file_field,
                                      std::string& url, const std::string& file_name) {
  url = server_.Address();
  return DownloadObject(window_, url, server_.RequestLine(object, file_field),
                        ShownObject(server_, object, file_field), file_name);
}

bool TSiteUpdate::RedirectedToPage(const std::string& requested, const std::string& final_address,
                                   const std::string& file_name) {
  if (final_address == requested) return false;
  std::string page;
  try {
    page = FileToString(file_name);
  } catch (const std::exception&) {
    // The address alone still tells the user where the server sent the request.
  }
  DeleteFileAt(file_name);
  HideWindows();
  front_end_.ShowServerPage(final_address, page);
  page_shown_ = true;
  return true;
}

void TSiteUpdate::StoreExported(const TUpdateIndex& index) {
  const std::string exported = index.general.GetString("Exported");
  if (!exported.empty()) settings_.SetString("Server Base Exported", exported);
}

TUpdateLists TSiteUpdate::MakeLists(TUpdateIndex& index) const {
  TUpdateLists lists;
  lists.server_total = static_cast<int>(index.lines.size());
  std::unordered_set<std::string> listed;
  for (std::string& line : index.lines) {
    TUpdateIndexLine fields = SplitIndexLine(line);
    const TWebSite* local = sites_.FindByUIN(fields.uin);
    bool skip = false;
    if (local) {
      const std::string local_date = local->Info.Value("Common info", "Last contributed");
      skip =
          local->Protected || local->IsDisabled() ||
          (!local_date.empty() && !(DateOrZero(local_date) < DateOrZero(fields.last_contributed)));
    }
    // A file field that is no plain name would make the download write outside the download
    // folder: such a line is taken as damaged.
    if (!skip && IsPlainFileField(fields.file_field))
      lists.downloads.push_back(
          {fields.uin, fields.file_field, fields.checksum, fields.last_contributed});
    line = fields.uin;
    listed.insert(Lower(fields.uin));
  }
  for (int i = 0; i < sites_.Count(); ++i) {
    const TWebSite* site = sites_.SiteAt(i);
    if (!site->Protected && !listed.count(Lower(site->UIN())))
      lists.obsolete.push_back({site->UIN(), site->FileName});
  }
  return lists;
}

void TSiteUpdate::RemoveObsolete(const std::vector<TUpdateObsolete>& obsolete) {
  for (const TUpdateObsolete& entry : obsolete) {
    TWebSite* site = sites_.FindByUIN(entry.uin);
    if (!site || site->Protected) continue;
    front_end_.SiteRemoving(*site);
    site->DeleteSite();
  }
}

bool TSiteUpdate::TakeSite(const TUpdateDownload& entry, TUpdateOutcome& outcome) {
  const std::string file = temp_folder_ + server_.LocalName(TUpdateObject::Site, entry.file_field);
  std::string url;
  const TTransferResult result = Download(TUpdateObject::Site, entry.file_field, url, file);
  if (result != trNoError) {
    ShowError(TransferResultText(result));
    ++outcome.sites_failed;
    if (result == trConnectionFailed || result == trServerTimeout || result == trAborted) {
      outcome.interrupted = true;
      return false;
    }
    return true;
  }
  if (RedirectedToPage(server_.Address(), url, file)) return false;

  if (std::to_string(FileChecksum(file)) != entry.checksum) {
    ShowError("CheckSum is not valid.");
    ++outcome.sites_failed;
  } else {
    TWebSite* site = sites_.FindByUIN(entry.uin);
    const bool created = site == nullptr;
    if (created) site = sites_.AddSite(std::make_unique<TWebSite>());
    const std::string uin_before = site->UIN();
    const bool imported = site->ImportSiteFile(file);
    // The import may have given the site another UIN (always so for a new one); rebuilding the
    // index for every site would make a large update quadratic.
    if (site->UIN() != uin_before) sites_.InvalidateIndex();
    bool saved = false;
    if (imported) {
      site->Info.CommonInfo().SetString("Last contributed", entry.last_contributed);
      saved = site->SaveSiteFile("", true);
    } else {
      ShowError("Cannot import site from " + file);
      if (created) sites_.RemoveSite(site);
    }
    if (imported && saved)
      ++outcome.sites_updated;
    else
      ++outcome.sites_failed;
  }
  DeleteFileAt(file);
  return true;
}

void TSiteUpdate::RefreshRatings() {
  const std::string current_path = data_folder_ + kRatingsName;
  const std::string downloaded_path = temp_folder_ + server_.LocalName(TUpdateObject::Ratings);
  if (!FileExists(current_path) || !FileExists(downloaded_path)) return;
  std::string downloaded_text, current_text;
  try {
    downloaded_text = FileToString(downloaded_path);
    current_text = FileToString(current_path);
  } catch (const std::exception&) {
    return;
  }
  const TDownloadedRatings downloaded = ReadDownloadedRatings(downloaded_text);
  if (downloaded.state == TDownloadedRatings::WrongFormat) {
    ShowError("Error importing the \"ratings.dat\" file. The file format is wrong.");
    return;
  }
  TMultiOptions current;
  current.SetText(current_text);
  if (const TOptionsList* general = current.FindSection("General"))
    if (!IsLaterRatings(downloaded.date, general->GetString("Date"))) return;
  if (downloaded.state == TDownloadedRatings::ChecksumError) {
    ShowError("Page ranks file checksum error");
    return;
  }
  if (!AskYesNo("There are updated page ranks available to download.\r\nDo you wish to proceed?")) {
    DeleteFileAt(downloaded_path);
    return;
  }
  // Written through a file beside the old one that then replaces it: a failed save keeps the
  // ratings the user had, and the download folder may be on another file system.
  try {
    SaveFileSafely(current_path, downloaded_text);
  } catch (const std::exception&) {
    ShowError("Cannot save file " + current_path);
    DeleteFileAt(downloaded_path);
    return;
  }
  DeleteFileAt(downloaded_path);
  sites_.ApplyRatings(downloaded.ratings, false);
  ShowInfo("Page ranks updated.");
}

TUpdateOutcome TSiteUpdate::Run() {
  TUpdateOutcome outcome;
  server_ = ReadUpdateServer(settings_);
  temp_folder_ = sites_.TempFolder;
  page_shown_ = false;

  // 1. The index and the ratings.
  window_.SetFileCount(2);
  const std::string index_file = temp_folder_ + server_.LocalName(TUpdateObject::Index);
  std::string index_url;
  TTransferResult result = Download(TUpdateObject::Index, {}, index_url, index_file);
  if (result != trNoError) {
    ShowError(TransferResultText(result));
    HideWindows();
    return outcome;
  }
  std::string ratings_url;
  result = Download(TUpdateObject::Ratings, {}, ratings_url,
                    temp_folder_ + server_.LocalName(TUpdateObject::Ratings));
  if (result != trNoError) ShowError(TransferResultText(result));

  // 2. A page instead of the index.
  if (RedirectedToPage(server_.Address(), index_url, index_file)) return outcome;

  try {
    // 3. The index.
    std::string text;
    try {
      text = FileToString(index_file);
    } catch (const std::exception&) {
      // An unreadable index lists nothing.
    }
    DeleteFileAt(index_file);
    TUpdateIndex index = ReadUpdateIndex(text);

    // 4. A database written by another build.
    if (index.has_general) {
      const std::string build = index.general.GetString("Build");
      if (build != program_build) {
        switch (front_end_.AskUpgrade(build, program_build)) {
          case TUpgradeAnswer::Upgrade:
            front_end_.OpenUpgradePage(kUpgradePage);
            HideWindows();
            outcome.declined = true;
            return outcome;
          case TUpgradeAnswer::Continue:
            break;
          case TUpgradeAnswer::Cancel:
            HideWindows();
            outcome.declined = true;
            return outcome;
        }
      }
    }

    // 5. A server without sites.
    if (index.lines.empty()) {
      HideWindows();
      outcome.nothing_to_do = true;
      return outcome;
    }

    // 6.-8. What to fetch and what to remove, and the user's word on it.
    const TUpdateLists lists = MakeLists(index);
    bool confirmed = false;
    if (lists.downloads.empty() && lists.obsolete.empty()) {
      ShowInfo(kNoNewFiles);
      outcome.nothing_to_do = true;
    } else {
      confirmed = front_end_.ConfirmUpdate(lists);
      outcome.declined = !confirmed;
    }
    if (!confirmed) {
      StoreExported(index);
      HideWindows();
      return outcome;
    }

    // 9. Obsolete sites.
    RemoveObsolete(lists.obsolete);
    outcome.sites_removed = static_cast<int>(lists.obsolete.size());

    // 10. The chosen sites.
    window_.SetFileCount(static_cast<int>(lists.downloads.size()));
    for (const TUpdateDownload& entry : lists.downloads) {
      if (!TakeSite(entry, outcome)) break;
    }
    if (page_shown_) return outcome;
    if (outcome.interrupted) {
      // The database was neither taken nor declined: the next check must offer it again, and
      // a summary that says "successful" would hide the failure.
      HideWindows();
      outcome.updated = outcome.sites_updated > 0 || outcome.sites_removed > 0;
      return outcome;
    }

    // 11.-12. The stamp and the summary.
    StoreExported(index);
    ShowInfo("Update Successful.\r\n" + std::to_string(outcome.sites_updated) +
             " sites updated\r\n" + std::to_string(lists.obsolete.size()) + " sites removed");
    HideWindows();
    outcome.updated = true;
  } catch (const std::exception& e) {
    HideWindows();
    outcome.error = e.what();
    return outcome;
  }

  // 13. Newer ratings.
  RefreshRatings();
  return outcome;
}

bool UpdateFromServer(TUpdateFrontEnd& front_end, TTransferWindow& window) {
  TSiteUpdate update(SiteList(), Settings(), Folders().data, front_end, window);
  return update.Run().updated;
}

}  // namespace quillora
