// A submission site: its option block with the four address records, its stored forms, cover
// picture and protection flag (the ".wsd" site file), the run-time summary shown in the sites
// view, and the site's status for the active product. The record is plain data: views keep
// their own nodes and pictures for it, and the engine its links to a live page.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/dates.h"
#include "foundation/option_list.h"
#include "foundation/persist.h"
#include "sites/cover.h"
#include "sites/site_owner.h"
#include "sites/site_profile.h"
#include "sites/site_status.h"
#include "sites/url_info.h"
#include "sites/web_forms.h"

namespace quillora {

class TWebSite;

// A file's size and modification time (nanoseconds since the epoch): the mark by which a cached
// copy of the file is known to be current. Size -1 for a file that is not there.
struct TSiteFileStamp {
  int64_t size = -1;
  int64_t time = 0;
  bool operator==(const TSiteFileStamp&) const = default;
};
TSiteFileStamp FileStampOf(const std::string& path);

// LoadSiteFile's results.
enum TSiteLoadResult : uint8_t { slLoaded = 0, slNotSiteFile = 1, slUnreadable = 4 };

inline constexpr int kSiteColumnCount = 26;
inline constexpr size_t kSiteHeaderSize = 72;
inline constexpr const char* kSiteSignature = "WSD 2.1";
// Site files are a few kilobytes; anything beyond these is refused before it is allocated.
inline constexpr int64_t kMaxSiteFileSize = int64_t{64} << 20;
inline constexpr size_t kMaxOldSiteBodySize = size_t{64} << 20;  // bzip2 body of old files

// The site's options: the sections "Common info", "Popup messages", "SearchOptions",
// "AdvancedOptions" (and any other a file brings) plus the four address records.
class TSiteInfo : public TMultiOptions {
 public:
  TSiteInfo() = default;

  TWebSite* Site = nullptr;  // not owning
  TURLCollection URLs;

  // Each is created (appended) when missing.
  TOptionsList& CommonInfo() { return Section("Common info"); }
  TOptionsList& PopupMessages() { return Section("Popup messages"); }
  TOptionsList& SearchOptions() { return Section("SearchOptions"); }
  TOptionsList& AdvancedOptions() { return Section("AdvancedOptions"); }
  // A value of a section without creating it; empty when either is missing.
  std::string Value(std::string_view section, std::string_view key) const;

  // The sections and address records of a new site, in their fixed order.
  void MakeDefault();
  // Empties the options and the address records.
  void ClearAll();

  // The two texts as stored: the address records' option-tree text, and the sections' text with
  // "AutoSearch" "TRUE" put in when it is empty (the stored copy always says it).
  std::string AddressText() const { return URLs.Text(); }
  std::string OptionText() const;
  // Replaces both and brings older content up to date: "AutoSearch" defaults to TRUE,
  // "Disable scripts" moves to "AdvancedOptions", and messages kept under "Home:", "Search:",
  // "Submit:", "Update:" headings in "Comments" become "Popup messages".
  void LoadTexts(std::string_view address_text, std::string_view option_text);

  // Address text and option text, each as a blob.
  void SaveToStream(TStream& s) const override;
  void LoadFromStream(TStream& s) override;
};

// Display values of a site for the active product, computed by RefreshSummary.
struct TSiteSummary {
  std::array<std::string, kSiteColumnCount> text;
  std::array<std::string, kSiteColumnCount> lower;  // lower-case copies for search and sorting
  // Every text the filter's search words look in, lower case, each followed by a NUL byte.
  std::string search_text;
  // Columns 3, 4, 15 and 22 as dates; a text that does not parse leaves its date unchanged.
  TDateTime last_modified = 0, last_exported = 0, date_submitted = 0, last_contributed = 0;
  TSiteStatus status = ssDefault;
  int status_picture = -1;
  int search_flag_code = 4;  // FOUND 0, NOT FOUND 1, ERROR 2, NOT SUPPORTED 3, else 4
  int language_picture = -1;
  int method_picture = 12;
  int protected_picture = -1;
};

// The unsorted value lists the editors and the filter offer: every category and language seen.
// The sites view owns them and rebuilds them at every full refresh; saving a site leaves them
// alone (sites are saved from worker threads too), so a view adds a saved site itself.
struct TSiteChoiceLists {
  std::vector<std::string> categories;
  std::vector<std::string> languages;
  // Appends a non-empty value not yet in the list (compared ignoring case).
  static void AddKnown(std::vector<std::string>& list, std::string_view value);
  // Adds the site's "Category 1".."Category 4" and "Language".
  void AddSite(const TWebSite& site);
};

// The language banner names (lower case) in banner order: a site's language picture is 13 plus
// the position of its language here. They are part of the sites' state (sites_state.h), filled
// once at start-up before any site is summarised and only read afterwards; empty while no state
// is installed.
const std::vector<std::string>& LanguageBannerNames();

class TWebSite : public TPersistObj {
 public:
  // A new site: signature "WSD 2.1", default sections, the default cover, a new UIN,
  // "Category 1" "Shareware", "Language" "English", protected, not disabled.
  TWebSite();
  TWebSite(const TWebSite&) = delete;
  TWebSite& operator=(const TWebSite&) = delete;

  // The owning list when it is a site owner; nullptr for a free-standing site.
  TSiteOwner* SiteOwner() const;

  // "SITE-" + year mod 1000, month, day and a random number in upper-case hexadecimal.
  static std::string NewUIN();
  std::string UIN() const { return Info.Value("Common info", "UIN"); }
  std::string Name() const { return Info.Value("Common info", "Name"); }
  bool IsDisabled() const { return Info.Value("Common info", "Disabled") == "TRUE"; }
  void SetDisabled(bool disabled) { Info.CommonInfo().SetBool("Disabled", disabled); }

  // The length-prefixed signature at the start of the header (at most 7 characters).
  std::string Signature() const { return SignatureOf(Header); }
  void SetSignature(std::string_view signature);
  static std::string SignatureOf(const std::array<uint8_t, kSiteHeaderSize>& header);
  static void PutSignature(std::array<uint8_t, kSiteHeaderSize>& header,
                           std::string_view signature);
  static bool IsKnownSignature(std::string_view signature);

  // --- cover
  // The JPEG bytes, from the site's own buffer or from the owner's cover cache.
  std::string CoverBytes() const;
  bool HasOwnCover() const;
  // Replaces the cover by these bytes as they are (not decoded); the site keeps them itself.
  void SetCoverBytes(std::string jpeg);
  // The cover as a picture (the default cover when empty). An owned site that still holds its
  // own buffer parks it in the owner's cache. Throws the decoder's error for broken data.
  TImage24 GetCoverPicture();
  // Encodes the picture as the new cover; with an owner and a thumbnail slot the strip gets a
  // copy and the bytes are parked in the owner's cache.
  void SetCoverPicture(const TImage24& picture);

  // --- binary form (the whole ".wsd" file)
  void SaveToStream(TStream& s) const override;
  // Reads a site file. An unknown signature stops after the header (nothing else changes);
  // damaged content raises std::runtime_error and leaves the options and forms empty.
  void LoadFromStream(TStream& s) override;

  // --- files
  // slNotSiteFile for no file name or not a site file, slUnreadable after the Abort/Retry box.
  // An empty name means FileName. Files in an older layout are rewritten at once.
  TSiteLoadResult LoadSiteFile(const std::string& file_name = {});
  // Writes name + ".$$$", checks it and only then puts it in place. An empty name means the
  // site's own file under a name made from "Name"; the old file goes only once the new one is
  // in place. False when the user gave up after a failure. The summary is recomputed either way;
  // nothing outside the site changes (a view adds the site to its choice lists itself).
  bool SaveSiteFile(const std::string& file_name, bool keep_modified);
  // Replaces the site by a downloaded copy that is newer than the local one, keeping the local
  // "Rating". True when the site was saved or the local copy kept.
  bool ImportSiteFile(const std::string& file_name);
  // Writes a clean copy for distribution (not protected, enabled, rating 1).
  bool ExportSiteFile(const std::string& file_name);
  bool DeleteSiteFile();
  // Deletes the file, then the owner removes (destroys) the site. Returns the deletion's result.
  bool DeleteSite();
  // A free file name made from "Name" (transliterated, at most 16 characters) or the UIN, in the
  // owner's sites folder (else the folder of the present file); the site's own file counts as
  // free.
  std::string MakeFileName() const;
  // Empties the header, options and forms (before a load).
  void ClearContent();
  // Takes what the summary cache holds of the site's file (stamped `stamp`) in place of reading
  // it: the header, options and flag are set as a load sets them, while the stored forms and
  // the cover are read from the file when first used. Should the file no longer be the one the
  // cache saw, that first use loads it in full (with a load's messages) and refreshes the
  // summary.
  void LoadFromCache(const std::array<uint8_t, kSiteHeaderSize>& header,
                     std::string_view address_text, std::string_view option_text,
                     uint8_t protected_flag, const TSiteFileStamp& stamp);
  // Whether the forms and cover still wait in the file (see LoadFromCache).
  bool BodyPending() const { return body_pending_; }
  // The stamp of FileName taken just before the site was read from it; size -1 when the site was
  // not read from its own file.
  const TSiteFileStamp& FileStamp() const { return file_stamp_; }
  void SetFileStamp(const TSiteFileStamp& stamp) { file_stamp_ = stamp; }

  // --- summary and status
  void RefreshSummary();
  std::string ColumnText(int column, const TSiteProfile* profile) const;
  TSiteStatus SiteStatus(const TSiteProfile* profile) const;
  // The listing search takes the site ("SearchOptions" "AutoSearch" is TRUE).
  bool AutoSearchEnabled() const { return Info.Value("SearchOptions", "AutoSearch") == "TRUE"; }
  void UpdateVersionHandled(std::string_view version);

  // Header: length byte, signature, then 64 bytes kept as read. Saving writes the current
  // signature into it, hence mutable.
  mutable std::array<uint8_t, kSiteHeaderSize> Header{};
  TSiteInfo Info;
  // The stored forms. A site read from its file keeps the forms block as read (checked, but not
  // parsed) until the forms are first asked for: most sites of a large database are never
  // filled or edited in a session, and parsed forms take several times the block's memory.
  // The first call parses, so two threads must not make it for the same site at once.
  TFormsList& Forms();
  const TFormsList& Forms() const;
  // Whether the forms have been parsed (or were never packed).
  bool FormsParsed() const { return !body_pending_ && packed_forms_.empty(); }
  std::optional<std::string> Cover;  // none while parked in the owner's cache
  int32_t CoverOffset = -1;
  uint8_t Protected = 1;
  int32_t ThumbnailIndex = -1;
  TSiteSummary summary;
  std::string FileName;
  uint8_t Visible = 1;
  uint8_t SearchDone = 0;
  int32_t SearchAttempts = 0;
  uint8_t SearchBusy = 0;
  uint8_t VersionHandled = 0;

  // Tries of a file read before the Abort/Retry box, and the pause between them.
  static inline int load_attempts = 6;
  static inline int load_retry_delay_ms = 400;

 private:
  void ParkCover();
  void AfterLoad();
  void ClearForms();
  // Parses the packed block into `forms`.
  void ReadPackedForms(TFormsList& forms) const;
  // Reads the forms and the cover of a site taken from the cache, once.
  void EnsureBody() const {
    if (body_pending_) const_cast<TWebSite*>(this)->LoadBody();
  }
  void LoadBody();

  mutable TFormsList forms_;
  // The unparsed forms block (never empty: it holds at least the form count); empty once parsed.
  mutable std::string packed_forms_;
  bool packed_unwrapped_ = false;
  bool body_pending_ = false;
  TSiteFileStamp file_stamp_;
};

// CRC-32 of a file's bytes; on a read failure the message "Cannot calculate checksum for '...'"
// is shown and the CRC of what was read is returned (0 when nothing was).
uint32_t FileChecksum(const std::string& file_name);

}  // namespace quillora
