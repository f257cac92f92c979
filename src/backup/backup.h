// The user-info archive (companies, products with their per-site records, custom sets; one
// bzip2 stream) with its merge on restore, and the plain-text ratings exchange file.
#pragma once

#include <string>
#include <vector>

namespace quillora {

class TCompanyList;
class TJob;
class TProductList;
class TCustomSets;
class TSiteList;

// Writes the archive beside the target first and puts it in place only once it is complete, so
// a failed backup leaves the previous archive untouched. Messages: "Cannot create <file>",
// "Cannot write <file>". An empty name does nothing (false).
bool BackupUserInfo(const std::string& file_name, const TCompanyList& companies,
                    const TProductList& products, const TCustomSets& sets);
// Merges the archive by UIN, asking Yes / No / Yes to All / No to All before overriding an
// existing company or product; the custom sets are replaced. What was merged before a failure
// stays merged ("Cannot open <file>", "Cannot read <file>").
bool RestoreUserInfo(const std::string& file_name, TCompanyList& companies, TProductList& products,
                     TCustomSets& sets);
// The same as jobs, with progress for the caller's busy window. A stopped backup leaves the
// previous archive untouched; a stopped restore keeps what it merged before the stop and leaves
// the custom sets as they were. Both return false and show nothing.
bool BackupUserInfo(const std::string& file_name, const TCompanyList& companies,
                    const TProductList& products, const TCustomSets& sets, TJob& job);
bool RestoreUserInfo(const std::string& file_name, TCompanyList& companies, TProductList& products,
                     TCustomSets& sets, TJob& job);
// The same over the process's lists.
bool BackupUserInfo(const std::string& file_name);
bool RestoreUserInfo(const std::string& file_name);

// The automatic backup when the main window closes: with "Automatically backup" TRUE, to the
// stored "Automatically backup directory" (asked for, and stored, when empty). False when no
// backup was written.
bool AutomaticBackup();

// The archive's bytes after decompression (for the fuzz target and tests); throws on damage.
std::string DecompressArchive(const std::string& compressed);

// The exchange lines of the list's sites, banners included (sites/ratings_file.h has the format).
std::vector<std::string> RatingsExportLines(const TSiteList& list);
// "Cannot export to <file>" on failure.
bool ExportRatings(const TSiteList& list, const std::string& file_name);
// Sets and saves the rating of every known site named between the banners. Messages: "Sorry, it
// is not a Quillora ratings file.", "Cannot import from <file>". Returns the sites changed, or
// -1 on failure.
int ImportRatings(TSiteList& list, const std::string& file_name);

}  // namespace quillora
