// The site-database update from the vendor's site server: the light check whether the server's
// database is newer than the last one taken, and the full update that merges new and newer site
// files into the site list, removes obsolete sites and offers a newer ratings file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "foundation/option_list.h"
#include "net/transfer_result.h"
#include "net/transfer_threads.h"

namespace quillora {

class TSiteList;
class TTransferWindow;
class TWebSite;

// The setting that holds the access token the update's requests carry (empty: none).
inline constexpr const char* kRepositoryTokenKey = "Sites Repository Token";
// The vendor's page offered when the server's database wants a newer build of the program.
inline constexpr const char* kUpgradePage = "http://quillora.localhost/upgrade/";

// The objects the update asks the server for.
enum class TUpdateObject { Stamp, Index, Ratings, Site };

// The server as the settings describe it, read in one go (the check runs on a worker thread).
struct TUpdateServer {
  bool object_mode = true;  // "SITES_FROM_SQL_DB"
  std::string repository;   // "Sites Repository", a folder address ending in "/"
  std::string token;        // kRepositoryTokenKey

  // "Sites Repository" + "getsites.php" in object mode, "Sites Repository" itself otherwise.
  std::string Address() const;
  // The one form-field line of a request: "ObjectType", "ObjectName" (when there is a name) and
  // "AuthInfo" in object mode, "File" and "Data" otherwise; values URL-encoded, joined with "&".
  // file_field: the third field of the site's index line (Site only).
  std::string RequestLine(TUpdateObject object, std::string_view file_field = {}) const;
  // Where the reply is kept, relative to the site list's download folder.
  std::string LocalName(TUpdateObject object, std::string_view file_field = {}) const;
};
TUpdateServer ReadUpdateServer(const TOptionsList& settings);

// --- What the server's replies hold

// The "Exported" value of a stamp file ("key=value" lines); empty when there is none.
std::string ReadStampExported(std::string_view text);
// Whether a server database stamped `exported` is newer than the one taken (`base_exported`,
// "Server Base Exported"). Either date that does not parse, or an empty stamp, gives false.
bool IsNewerDatabase(std::string_view exported, std::string_view base_exported);

// An index as the update reads it: its "General" section and its "Sites" lines as they stand.
struct TUpdateIndex {
  bool has_general = false;
  TOptionsList general;
  // Blank lines are left out: they name no site.
  std::vector<std::string> lines;
};
// A text without a "Sites" section is an older index: every line of it is a "Sites" line.
TUpdateIndex ReadUpdateIndex(std::string_view text);

// One "Sites" line split at ",": UIN, last contributed, file field, checksum text.
struct TUpdateIndexLine {
  std::string uin, last_contributed, file_field, checksum;
};
TUpdateIndexLine SplitIndexLine(std::string_view line);
// A file field may only name a file inside the download folder: the server must not be able to
// make the update write anywhere else.
bool IsPlainFileField(std::string_view file_field);

// A downloaded "Ratings.dat" as the update takes it.
struct TDownloadedRatings {
  enum TState { Ok, WrongFormat, ChecksumError } state = WrongFormat;
  std::string date;      // "General" "Date"
  TOptionsList ratings;  // the "Ratings" section
};
TDownloadedRatings ReadDownloadedRatings(std::string_view text);
// Whether a downloaded ratings file dated `downloaded` replaces one dated `current`: only when
// it is later. A date that does not parse makes both count as 0.
bool IsLaterRatings(std::string_view downloaded, std::string_view current);

// --- The update

// A site to fetch, from its index line.
struct TUpdateDownload {
  std::string uin, file_field, checksum, last_contributed;
};
// A local site the server no longer lists.
struct TUpdateObsolete {
  std::string uin, file_name;
};
struct TUpdateLists {
  int server_total = 0;  // "Sites" lines of the server's index
  std::vector<TUpdateDownload> downloads;
  std::vector<TUpdateObsolete> obsolete;
};

enum class TUpgradeAnswer { Upgrade, Continue, Cancel };

// What the update needs from the program's front end beyond the message helpers of the
// user-interface port: its two dialogs, the pages it opens and the sites view. The desktop
// program shows real dialogs and its browser; the command line prints and asks on the terminal.
class TUpdateFrontEnd {
 public:
  virtual ~TUpdateFrontEnd() = default;

  // The update-manager dialog ("Update sites"): true for "Ok". Not asked when both lists are
  // empty.
  virtual bool ConfirmUpdate(const TUpdateLists& lists) = 0;
  // The upgrade dialog ("Upgrade"): the server's database was written by another build.
  virtual TUpgradeAnswer AskUpgrade(const std::string& server_build,
                                    const std::string& program_build) = 0;
  // "Upgrade" was chosen: the vendor's upgrade page is shown to the user.
  virtual void OpenUpgradePage(const std::string& address) = 0;
  // The server answered with a page (the request was redirected to final_address) instead of a
  // file of the database; page holds what came back. The update ends after this.
  virtual void ShowServerPage(const std::string& final_address, const std::string& page) = 0;
  // A site is about to be deleted as obsolete: views drop what they show of it.
  virtual void SiteRemoving(TWebSite& site) { (void)site; }
};

// The texts of the two dialogs, line by line, as every front end shows them.
std::vector<std::string> UpdateDialogLines(const TUpdateLists& lists);
std::vector<std::string> UpgradeDialogLines(const std::string& server_build,
                                            const std::string& program_build);

// A front end over the user-interface port alone: the dialogs become the port's questions
// (Yes/No for "Ok"/"Cancel"; Yes/No/Cancel for "Upgrade"/"Continue anyway"/"Cancel"), the pages
// are handed to the port's OpenDocument, and the server's page is an error message naming its
// address.
class TPortUpdateFrontEnd : public TUpdateFrontEnd {
 public:
  bool ConfirmUpdate(const TUpdateLists& lists) override;
  TUpgradeAnswer AskUpgrade(const std::string& server_build,
                            const std::string& program_build) override;
  void OpenUpgradePage(const std::string& address) override;
  void ShowServerPage(const std::string& final_address, const std::string& page) override;
};

// How an update ended, beyond the true/false the sites view refreshes on.
struct TUpdateOutcome {
  // True when the update ran through to its summary (the sites view is refreshed then).
  bool updated = false;
  // The server had nothing new for this list, or listed no site at all.
  bool nothing_to_do = false;
  // The user declined: the update-manager dialog's "Cancel", the upgrade dialog's "Upgrade" or
  // "Cancel".
  bool declined = false;
  // The transfers were given up after a connection failure, time-out or abort: the sites
  // downloaded so far are taken, but the database counts as not taken.
  bool interrupted = false;
  int sites_updated = 0;
  int sites_removed = 0;
  // Chosen sites that were not updated (failed download, wrong checksum, failed import).
  int sites_failed = 0;
  // The message of an unexpected failure, which the desktop program does not show (failed
  // transfers and the server's page have been shown when the update ends on them).
  std::string error;
};

// One run of the update over a site list; the settings are read at the start and "Server Base
// Exported" is written back into the same list.
class TSiteUpdate {
 public:
  TSiteUpdate(TSiteList& sites, TOptionsList& settings, std::string data_folder,
              TUpdateFrontEnd& front_end, TTransferWindow& window);

  TUpdateOutcome Run();

  // The build the server's "Build" is compared with.
  std::string program_build = QUILLORA_BUILD;

 private:
  TTransferResult Download(TUpdateObject object, std::string_view file_field, std::string& url,
                           const std::string& file_name);
  bool RedirectedToPage(const std::string& requested, const std::string& final_address,
                        const std::string& file_name);
  void StoreExported(const TUpdateIndex& index);
  TUpdateLists MakeLists(TUpdateIndex& index) const;
  void RemoveObsolete(const std::vector<TUpdateObsolete>& obsolete);
  // False when the loop is to stop.
  bool TakeSite(const TUpdateDownload& entry, TUpdateOutcome& outcome);
  void RefreshRatings();
  void HideWindows();

  TSiteList& sites_;
  TOptionsList& settings_;
  std::string data_folder_;
  TUpdateFrontEnd& front_end_;
  TTransferWindow& window_;
  TUpdateServer server_;
  std::string temp_folder_;
  bool page_shown_ = false;
};

// The whole update over the program's site list, settings and data folder. True when the sites
// were updated (the caller refreshes the sites view).
bool UpdateFromServer(TUpdateFrontEnd& front_end, TTransferWindow& window);

// One request into a file through the transfer window: "Site name:" as its second label, the
// address line showing the object (object mode: the object type, with ": " and the name when
// there is one; repository mode: the remote file name). url receives the final address.
TTransferResult DownloadObject(TTransferWindow& window, std::string& url,
                               const std::string& form_line, const std::string& shown,
                               const std::string& file_name);

// Whether the server's database is newer than "Server Base Exported", without any window. Safe
// on a worker thread: it downloads the stamp with its own abort flag into the download folder
// and reads nothing else. A failed transfer gives false; transfer, when given, receives the
// transfer's result so a caller can tell a failure from "not newer".
bool CheckForUpdate(const TUpdateServer& server, const std::string& base_exported,
                    const std::string& temp_folder, const TTransferAbort* abort = nullptr,
                    TTransferResult* transfer = nullptr);
// The same for a site list, the settings read once on the user-interface thread.
bool CheckForUpdate(const TSiteList& sites);

}  // namespace quillora
