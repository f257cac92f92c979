#include "backup/backup.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

#include <bzlib.h>

#include "foundation/app_state.h"
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

// Compression is most of a backup's time: the input goes in piece by piece so that progress
// moves and a stop is heard. bzip2 cuts its blocks by input size alone, so the pieces do not
// change a byte of the output. Nothing when the job was stopped.
std::optional<std::string> Compress(const std::string& data, TJob& job) {
  constexpr size_t kPiece = size_t{1} << 20;
  bz_stream z{};
  if (BZ2_bzCompressInit(&z, 9, 0, 0) != BZ_OK) throw std::runtime_error("bzip2 init");
  std::string out;
  char buffer[64 * 1024];
  size_t fed = 0;
  int rc;
  do {
    if (z.avail_in == 0 && fed < data.size()) {
      if (job.StopRequested()) {
        BZ2_bzCompressEnd(&z);
        return std::nullopt;
      }
      const size_t piece = std::min(kPiece, data.size() - fed);
      z.next_in = const_cast<char*>(data.data() + fed);
      z.avail_in = static_cast<unsigned>(piece);
      fed += piece;
    }
    z.next_out = buffer;
    z.avail_out = sizeof buffer;
    rc = BZ2_bzCompress(&z, fed < data.size() ? BZ_RUN : BZ_FINISH);
    if (rc < 0) {
      BZ2_bzCompressEnd(&z);
      throw std::runtime_error("bzip2 compression failed");
    }
    out.append(buffer, sizeof buffer - z.avail_out);
    job.Progress(static_cast<long long>(fed - z.avail_in), static_cast<long long>(data.size()));
  } while (rc != BZ_STREAM_END);
  BZ2_bzCompressEnd(&z);
  return out;
}

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
  return Compress(whole.Data(), job);
}

// The next blob, refusing a size beyond what the stream holds.
void ReadBlobStrict(TStream& s, TMemoryStream& out) {
  const int32_t n = ReadInt32(s);
  if (n < 0 || n > s.Remaining()) throw std::runtime_error("Damaged archive");
  std::string bytes(static_cast<size_t>(n), '\0');
  s.ReadExact(bytes.data(), bytes.size());
  out = TMemoryStream(std::move(bytes));
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
    ReadBlobStrict(s, blob);
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
  bz_stream z{};
  if (BZ2_bzDecompressInit(&z, 0, 0) != BZ_OK) throw std::runtime_error("bzip2 init");
  std::string out;
  char buffer[64 * 1024];
  z.next_in = const_cast<char*>(compressed.data());
  z.avail_in = static_cast<unsigned>(compressed.size());
  int rc = BZ_OK;
  while (rc != BZ_STREAM_END) {
    z.next_out = buffer;
    z.avail_out = sizeof buffer;
    rc = BZ2_bzDecompress(&z);
    const size_t produced = sizeof buffer - z.avail_out;
    if (rc != BZ_OK && rc != BZ_STREAM_END) break;
    out.append(buffer, produced);
    if (out.size() > kMaxArchiveSize) rc = BZ_MEM_ERROR;
    if (rc == BZ_OK && produced == 0 && z.avail_in == 0) rc = BZ_UNEXPECTED_EOF;
    if (rc != BZ_OK && rc != BZ_STREAM_END) break;
  }
  BZ2_bzDecompressEnd(&z);
  if (rc != BZ_STREAM_END) throw std::runtime_error("Damaged archive");
  return out;
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
    ReadBlobStrict(file, body);
    if (!MergeRecords<TCompanyList, TCompany>(body, companies, "Company",
                                              "Company_Info/Company_Name", job) ||
        !MergeRecords<TProductList, TProduct>(body, products, "Product",
                                              "Program_Info/Program_Name", job))
      return false;
    TMemoryStream set_blob;
    ReadBlobStrict(body, set_blob);
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
