#include "backup/backup.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

#include "foundation/app_state.h"
#include "foundation/binary_read.h"
#include "foundation/bzip2_stream.h"
#include "foundation/files.h"
#include "foundation/job.h"
#include "foundation/stream.h"
#include "foundation/text_utils.h"
#include "foundation/ui_port.h"
#include "pad/product_data.h"
#include "pad/records.h"
#include "sites/ratings_file.h"
#include "sites/site_filter.h"
#include "sites/site_list.h"

namespace quillora {

namespace {

// Archives hold typed-in records; anything near this is not one of ours.
constexpr size_t kMaxArchiveSize = size_t{512} << 20;

// One list as TPersistObjList::SaveToStream writes it, record by record so that a stop is heard
// between records. False when the job was stopped.
bool SaveList(TStream& s, const TRecordList& list, TJob& job) {
  WriteSizedInt(s, list.Count());
  for (int i = 0; i < list.Count(); ++i) {
    if (job.StopRequested()) return false;
    WriteObjectBlob(s, *list.RecordAt(i));
  }
  return true;
}

// The archive's compressed bytes; nothing when the job was stopped.
std::optional<std::string> PackArchive(const TCompanyList& companies, const TProductList& products,
                                       const TCustomSets& sets, TJob& job) {
  TMemoryStream body;
  if (!SaveList(body, companies, job) || !SaveList(body, products, job)) return std::nullopt;
  WriteObjectBlob(body, sets);
  TMemoryStream whole;
  WriteBlob(whole, body);
  return Bzip2Compress(whole.Data(), 9, job);
}

// False when the job was stopped (the records before the stop stay merged).
template <typename List, typename Record>
bool MergeRecords(TMemoryStream& s, List& list, const char* question_prefix, const char* name_key,
                  TJob& job) {
  const int32_t count = ReadSizedInt(s);
  if (count < 0) throw std::runtime_error("Damaged archive");
  bool remembered = false, remembered_yes = false;
  for (int32_t i = 0; i < count; ++i) {
    if (!job.Progress(s.Position(), s.Size())) return false;
    TMemoryStream blob;
    ReadBlobStrict(s, blob, "a record");
    auto record = std::make_unique<Record>();
    record->LoadFromStream(blob);
    const std::string uin = record->Uin();
    TRecord* existing = list.FindRecordByUin(uin);
    if (!existing || uin.empty()) {
      TRecord* added = list.AddRecord(std::move(record));
      added->FileName.clear();
      added->SaveRecordFile();
      continue;
    }
    bool yes = remembered_yes;
    if (!remembered) {
      const TYesNoAll a =
          UI().AskYesNoAll(std::string(question_prefix) + " \"" + record->GetString(name_key) +
                           "\" already exists.\r\nOverride old info?");
      yes = a == TYesNoAll::Yes || a == TYesNoAll::YesToAll;
      if (a == TYesNoAll::YesToAll || a == TYesNoAll::NoToAll)
        remembered = true, remembered_yes = yes;
    }
    if (yes) {
      existing->Assign(*record);
      existing->SaveRecordFile();
    }
  }
  return true;
}

}  // namespace

std::string DecompressArchive(const std::string& compressed) {
  try {
    return Bzip2Decompress(compressed, kMaxArchiveSize);
  } catch (const TBzip2Error&) {
    throw std::runtime_error("Damaged archive");
  }
}

bool BackupUserInfo(const std::string& file_name, const TCompanyList& companies,
                    const TProductList& products, const TCustomSets& sets) {
  TJob job(TJob::TProgressTarget::None);
  return BackupUserInfo(file_name, companies, products, sets, job);
}

bool BackupUserInfo(const std::string& file_name, const TCompanyList& companies,
                    const TProductList& products, const TCustomSets& sets, TJob& job) {
  if (file_name.empty()) return false;
  const std::string temp = TempSaveName(file_name);
  try {
    TFileStream probe(temp, TFileStream::Mode::Create);
  } catch (const std::exception&) {
    ShowError("Cannot create " + file_name);
    return false;
  }
  try {
    const std::optional<std::string> archive = PackArchive(companies, products, sets, job);
    if (!archive) {
      DeleteFileAt(temp);  // stopped: the previous archive stays as it was
      return false;
    }
    SaveFileSafely(file_name, *archive);
    return true;
  } catch (const std::exception&) {
    DeleteFileAt(temp);
    ShowError("Cannot write " + file_name);
    return false;
  }
}

bool RestoreUserInfo(const std::string& file_name, TCompanyList& companies, TProductList& products,
                     TCustomSets& sets) {
  TJob job(TJob::TProgressTarget::None);
  return RestoreUserInfo(file_name, companies, products, sets, job);
}

bool RestoreUserInfo(const std::string& file_name, TCompanyList& companies, TProductList& products,
                     TCustomSets& sets, TJob& job) {
  if (file_name.empty()) return false;
  std::string packed;
  try {
    if (FileSizeOf(file_name) > static_cast<int64_t>(kMaxArchiveSize))
      throw std::runtime_error("size");
    packed = FileToString(file_name);
  } catch (const std::exception&) {
    ShowError("Cannot open " + file_name);
    return false;
  }
  try {
    TMemoryStream file(DecompressArchive(packed));
    TMemoryStream body;
    ReadBlobStrict(file, body, "the archive");
    if (!MergeRecords<TCompanyList, TCompany>(body, companies, "Company",
                                              "Company_Info/Company_Name", job) ||
        !MergeRecords<TProductList, TProduct>(body, products, "Product",
                                              "Program_Info/Program_Name", job))
      return false;
    TMemoryStream set_blob;
    ReadBlobStrict(body, set_blob, "the custom sets");
    TCustomSets fresh;
    fresh.LoadFromStream(set_blob);
    sets.Clear();
    sets.SetText(fresh.Text());
    return true;
  } catch (const std::exception&) {
    ShowError("Cannot read " + file_name);
    return false;
  }
}

bool BackupUserInfo(const std::string& file_name) {
  return BackupUserInfo(file_name, CompanyList(), ProductList(), CustomSets());
}

bool RestoreUserInfo(const std::string& file_name) {
  return RestoreUserInfo(file_name, CompanyList(), ProductList(), CustomSets());
}

bool AutomaticBackup() {
  TOptionsList& s = Settings();
  if (!s.GetBool("Automatically backup")) return false;
  std::string path = s.GetString("Automatically backup directory");
  if (path.empty()) {
    if (!UI().SaveFileDialog("Enter user info archive", "User info archive|*.uibk|All files|*.*",
                             path))
      return false;
    s.SetString("Automatically backup directory", path);
  }
  return BackupUserInfo(path);
}

std::vector<std::string> RatingsExportLines(const TSiteList& list) {
  std::vector<std::string> lines{kRatingsBegin};
  for (int i = 0; i < list.Count(); ++i) {
    const TWebSite* s = list.SiteAt(i);
    lines.push_back(
        RatingsExchangeLine(s->UIN(), s->Info.Value("Common info", "Rating"), s->Name()));
  }
  lines.push_back(kRatingsEnd);
  return lines;
}

bool ExportRatings(const TSiteList& list, const std::string& file_name) {
  TBusyWindow busy("Exporting");
  try {
    TOptionsList text;
    text.MutableLines() = RatingsExportLines(list);
    SaveFileSafely(file_name, text.Text());
    return true;
  } catch (const std::exception&) {
    busy.Close();
    ShowError("Cannot export to " + file_name);
    return false;
  }
}

int ImportRatings(TSiteList& list, const std::string& file_name) {
  TBusyWindow busy("Importing");
  std::vector<std::string> lines;
  try {
    TOptionsList text;
    text.LoadFromTextFile(file_name);
    lines = RatingsImportLines(text.Lines());
  } catch (const std::exception&) {
    ShowError("Cannot import from " + file_name);
    return -1;
  }
  if (lines.empty()) {
    ShowError("Sorry, it is not a Quillora ratings file.");
    return -1;
  }
  int changed = 0;
  for (const std::string& line : lines) {
    const std::optional<TRatingsExchangeEntry> entry = ReadRatingsExchangeLine(line);
    if (!entry) continue;
    TWebSite* site = list.FindByUIN(entry->uin);
    if (!site) continue;
    site->Info.CommonInfo().SetString("Rating", entry->rating);
    site->SaveSiteFile(site->FileName, true);
    ++changed;
  }
  return changed;
}

}  // namespace quillora
