#include "pad/records.h"

#include <stdexcept>

#include "foundation/app_state.h"
#include "foundation/dates.h"
#include "foundation/files.h"
#include "foundation/monitors.h"
#include "foundation/retry.h"
#include "foundation/text_utils.h"
#include "foundation/ui_port.h"
#include "pad/record_cipher.h"
#include "pad/record_file.h"

namespace quillora {

// --- free helpers

std::string CheckRecordText(std::string_view text) {
  if (text.empty()) return {};
  if (static_cast<int64_t>(text.size()) > kMaxRecordFileSize) return "the file is too large";
  for (char c : text) {
    auto b = static_cast<unsigned char>(c);
    // Values are stored escaped, so a record file never holds control bytes of its own.
    if (b < 32 && b != '\t' && b != '\r' && b != '\n') return "the file holds binary data";
  }
  // Every line this program writes ends with CR LF; a file that stops inside a line was cut off.
  if (text.back() != '\n' && text.back() != '\r') return "the file ends in the middle of a line";
  for (const std::string& line : SplitLines(text)) {
    if (line.empty()) continue;
    if (line.front() == '[' && line.back() == ']' && line.size() >= 2) return {};
    // Reading would drop this line.
    return "the file has text before its first section";
  }
  return {};
}

namespace {

const TOptionsList kEmptySection;

const TOptionsList& SectionOrEmpty(const TMultiOptions& tree, std::string_view name) {
  const TOptionsList* s = tree.FindSection(name);
  return s ? *s : kEmptySection;
}

bool SameSection(const TOptionsList& a, const TOptionsList& b) {
  return a.Count() == b.Count() && a.Lines() == b.Lines();
}

// The raw (escaped) value of line i; empty for a line without "=".
std::string_view RawAt(const TOptionsList& list, int i) {
  std::string_view line = list.Line(i);
  size_t eq = line.find('=');
  return eq == std::string_view::npos ? std::string_view() : line.substr(eq + 1);
}

// Runs fn over the value of every "key=value" line, storing its (escaped) result back.
template <typename Fn>
void TransformValues(TOptionsList& list, Fn fn, bool (*only)(std::string_view key) = nullptr) {
  for (int i = 0; i < list.Count(); ++i) {
    std::string name = list.NameAt(i);
    if (name.empty() || (only && !only(name))) continue;
    std::string value = fn(DecodeValue(RawAt(list, i)));
    list.SetLine(i, name + "=" + EncodeValue(value));
  }
}

}  // namespace

void MergeRecordTrees(const TMultiOptions& snapshot, const TMultiOptions& fresh,
                      TMultiOptions& disk) {
  for (int i = 0; i < fresh.Count(); ++i) {
    const TOptionsList& mine = fresh.SectionAt(i);
    const TOptionsList& base = SectionOrEmpty(snapshot, mine.Name);
    TOptionsList& target = disk.Section(mine.Name);
    if (SameSection(mine, base)) continue;
    for (int j = 0; j < mine.Count(); ++j) {
      std::string key = mine.NameAt(j);
      if (key.empty()) continue;
      std::string raw = mine.RawValue(key);
      if (DecodeValue(raw) != base.GetString(key)) target.SetRawValue(key, raw);
    }
  }
  for (int i = 0; i < snapshot.Count(); ++i) {
    const TOptionsList& base = snapshot.SectionAt(i);
    const TOptionsList& mine = SectionOrEmpty(fresh, base.Name);
    TOptionsList& target = disk.Section(base.Name);
    if (SameSection(mine, base)) continue;
    for (int j = 0; j < base.Count(); ++j) {
      std::string key = base.NameAt(j);
      if (!key.empty() && !mine.HasKey(key)) target.SetRawValue(key, "");
    }
  }
}

void CopyTree(const TMultiOptions& from, TMultiOptions& to) {
  to.Clear();
  for (int i = 0; i < from.Count(); ++i) {
    const TOptionsList& section = from.SectionAt(i);
    TOptionsList* copy = to.AddSection();
    copy->Name = section.Name;
    copy->MutableLines() = section.Lines();
  }
}

bool IsEncipheredKey(std::string_view key) {
  if (!ApplicationDataReady()) return false;
  return Tables().name_space_flat.GetString(key) == "*";
}

std::string RepairKeyBrackets(std::string_view line) {
  size_t eq = line.find('=');
  if (eq == std::string_view::npos) return std::string(line);
  std::string out(line);
  size_t open = out.find('[');
  if (open < eq) {
    out.erase(open, 1);
    --eq;
  }
  size_t close = out.find(']');
  if (close < eq) out.erase(close, 1);
  return out;
}

std::string RecordFileBaseName(std::string_view name) {
  std::string out;
  for (char c : name) {
    if (out.size() == 15) break;
    if (c == ' ') c = '_';
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_')
      out += c;
  }
  return out;
}

// --- TRecord

void TRecord::NewUin() {
  SetString(Traits().identity_key, Traits().uin_prefix + MakeUniqueId());
}

std::vector<TRecord::TPerSiteList> TRecord::Lists(bool written_only) {
  std::vector<TPerSiteList> lists;
  for (const TPerSiteListInfo& info : PerSiteLists())
    if (info.Record == Traits().lists_of && (info.Written || !written_only))
      lists.push_back({&info, PerSiteList(info.Kind)});
  return lists;
}

std::vector<TRecord::TPerSiteList> TRecord::SiteLists() {
  return Lists(true);
}

std::vector<TRecord::TPerSiteList> TRecord::SiteLists() const {
  return const_cast<TRecord*>(this)->Lists(true);
}

void TRecord::ClearRecord() {
  Clear();
  for (const TPerSiteList& l : Lists(false)) l.list->Clear();
  Snapshot.Clear();
}

void TRecord::RepairKeys() {
  for (std::string& line : MutableLines()) line = RepairKeyBrackets(line);
}

void TRecord::ApplyTree(const TMultiOptions& tree) {
  ClearRecord();
  CopyTree(tree, Snapshot);
  if (const TOptionsList* general = tree.FindSection("General")) MutableLines() = general->Lines();
  std::vector<TPerSiteList> lists = Lists(false);
  for (const TPerSiteList& l : lists)
    if (const TOptionsList* section = tree.FindSection(l.info->Section))
      l.list->MutableLines() = section->Lines();
  if (Traits().repair_brackets) RepairKeys();
  TransformValues(
      *this, [](const std::string& v) { return DecryptText(v); }, &IsEncipheredKey);
  for (const TPerSiteList& l : lists)
    if (l.info->Enciphered)
      TransformValues(*l.list, [](const std::string& v) { return DecryptText(v); });
}

void TRecord::LoadFromText(std::string_view text) {
  TMonitorScope monitor(std::string(Traits().monitor) + ".Load");
  std::string damage = CheckRecordText(text);
  if (!damage.empty()) {
    ClearRecord();
    throw TRecordFileError(damage);
  }
  TMultiOptions tree;
  tree.SetText(text);
  ApplyTree(tree);
}

void TRecord::LoadFromStream(TStream& s) {
  LoadFromText(s.ReadToEnd());
}

void TRecord::BuildTree(TMultiOptions& tree) const {
  tree.Clear();
  TOptionsList& general = tree.Section("General");
  general.MutableLines() = Lines();
  if (Traits().repair_brackets)
    for (std::string& line : general.MutableLines()) line = RepairKeyBrackets(line);
  TransformValues(
      general, [](const std::string& v) { return EncryptText(v); }, &IsEncipheredKey);
  for (const TPerSiteList& l : SiteLists()) {
    TOptionsList& section = tree.Section(l.info->Section);
    section.MutableLines() = l.list->Lines();
    if (l.info->Enciphered)
      TransformValues(section, [](const std::string& v) { return EncryptText(v); });
  }
}

void TRecord::SaveToStream(TStream& s) const {
  TMonitorScope monitor(std::string(Traits().monitor) + ".Save");
  TMultiOptions tree;
  BuildTree(tree);
  WriteStringToStream(s, tree.Text());
}

TRecordList* TRecord::List() const {
  return dynamic_cast<TRecordList*>(Owner());
}

std::string TRecord::Folder() const {
  if (TRecordList* list = List()) return list->Folder;
  return ExtractFilePath(FileName);
}

std::string TRecord::MakeFileName() const {
  std::string base = RecordFileBaseName(RecordName());
  if (base.empty()) base = Uin();
  if (base.empty()) return {};
  std::string stem = Folder() + base;
  std::string candidate = stem + ".dat";
  for (int n = Traits().first_suffix; FileExists(candidate); ++n)
    candidate = stem + "(" + std::to_string(n) + ").dat";
  return candidate;
}

bool TRecord::LoadRecordFile(const std::string& path) {
  FileName = path;
  std::string text;
  try {
    RetryFileOperation([&] {
      try {
        TRecordFileLock lock(path, TRecordFileLock::Mode::Shared);
        text = lock.ReadAll();
      } catch (const std::exception&) {
        throw std::runtime_error(std::string("Cannot load ") + Traits().kind + " info from " +
                                 path);
      }
    });
  } catch (const std::exception&) {
    ClearRecord();
    return false;
  }
  try {
    LoadFromText(text);
  } catch (const TRecordFileError& e) {
    // Damage does not go away by trying again; the file stays as it is for the user to mend.
    ShowError(std::string("Cannot load ") + Traits().kind + " info from " + path + ": " + e.what());
    return false;
  }
  return true;
}

bool TRecord::SaveRecordFile(const std::string& path) {
  const TRecordTraits& t = Traits();
  if (Uin().empty()) NewUin();
  if (!path.empty()) FileName = path;
  bool new_file = false;
  if (FileName.empty()) {
    FileName = MakeFileName();
    if (FileName.empty()) return false;
    new_file = true;
  }
  if (t.repair_brackets) RepairKeys();

  TMonitorScope monitor(std::string(t.monitor) + ".Save");
  TMultiOptions fresh;
  BuildTree(fresh);
  std::string written, damage;
  try {
    RetryFileOperation([&] {
      try {
        for (;;) {
          TRecordFileLock lock(FileName, TRecordFileLock::Mode::Exclusive);
          if (new_file && !lock.Created()) {
            // Another record took the name since it was chosen: never merge into a stranger.
            std::string next = MakeFileName();
            if (next.empty() || next == FileName) throw std::runtime_error("no free file name");
            FileName = next;
            continue;
          }
          try {
            std::string on_disk = lock.ReadAll();
            damage = CheckRecordText(on_disk);
            if (!damage.empty()) return;
            TMultiOptions disk;
            if (on_disk.empty()) {
              // Nothing to merge into (a new file, or one deleted meanwhile): the whole record.
              CopyTree(fresh, disk);
            } else {
              disk.SetText(on_disk);
              MergeRecordTrees(Snapshot, fresh, disk);
            }
            written = disk.Text();
            lock.Replace(written);
          } catch (...) {
            lock.RemoveIfCreated();
            throw;
          }
          new_file = false;
          return;
        }
      } catch (const std::exception&) {
        throw std::runtime_error(std::string("Cannot save ") + t.kind + " info to " + FileName);
      }
    });
  } catch (const std::exception&) {
    return false;
  }
  if (!damage.empty()) {
    ShowError(std::string("Cannot save ") + t.kind + " info to " + FileName + ": " + damage +
              "; the file was left as it is");
    return false;
  }
  TMultiOptions saved;
  saved.SetText(written);
  ApplyTree(saved);
  return true;
}

bool TRecord::DeleteRecord() {
  if (!FileName.empty() && FileExists(FileName) && !DeleteFileAt(FileName)) return false;
  if (TRecordList* list = List()) {
    int i = list->IndexOf(this);
    if (i >= 0) list->Delete(i);  // destroys this record
  }
  return true;
}

void TRecord::Assign(const TRecord& source) {
  MutableLines() = source.Lines();
  if (&source.Traits() != &Traits()) return;
  std::vector<TPerSiteList> mine = Lists(false);
  std::vector<TPerSiteList> theirs = const_cast<TRecord&>(source).Lists(false);
  for (size_t i = 0; i < mine.size() && i < theirs.size(); ++i)
    mine[i].list->MutableLines() = theirs[i].list->Lines();
}

// --- TCompany, TProduct

const TRecordTraits TCompany::kTraits = {"company", "Company", "Quillora/Company_UIN",  "CMP-",
                                         2,         false,     TSiteListRecord::Company};

std::string TCompany::RecordName() const {
  std::string name = GetString("Company_Info/Company_Name");
  return name.empty() ? GetString("Company_Info/Contact_Info/Contact_Last_Name") : name;
}

TOptionsList* TCompany::PerSiteList(TSiteValueKind kind) {
  switch (kind) {
    case TSiteValueKind::CompanySiteLogin:
      return &SiteLogins;
    case TSiteValueKind::CompanySitePassword:
      return &SitePasswords;
    case TSiteValueKind::CompanyComments:
      return &Comments;
    default:
      return nullptr;
  }
}

const TRecordTraits TProduct::kTraits = {"product", "Product", "Quillora/Product_UIN",  "APP-",
                                         1,         true,      TSiteListRecord::Product};

std::string TProduct::RecordName() const {
  return GetString("Program_Info/Program_Name");
}

TOptionsList* TProductSiteLists::ProductSiteList(TSiteValueKind kind) {
  using K = TSiteValueKind;
  switch (kind) {
    case K::VersionListed:
      return &VersionListed;
    case K::VersionSubmitted:
      return &VersionSubmitted;
    case K::DateSubmitted:
      return &DateSubmitted;
    case K::SearchResultsShort:
      return &SearchResultsShort;
    case K::SearchFlag:
      return &SearchFlag;
    case K::ProgramCategory:
      return &ProgramCategory;
    case K::StatusOverride:
      return &StatusOverride;
    case K::ProductListings:
      return &ProductListings;
    default:
      return nullptr;
  }
}

TOptionsList* TProduct::PerSiteList(TSiteValueKind kind) {
  switch (kind) {
    case TSiteValueKind::ProductSiteLogin:
      return &SiteLogins;
    case TSiteValueKind::ProductSitePassword:
      return &SitePasswords;
    case TSiteValueKind::ProductComments:
      return &Comments;
    case TSiteValueKind::SearchResultsLong:
      return &SearchResultsLong;
    default:
      return ProductSiteList(kind);
  }
}

// --- lists

bool TRecordList::LoadAll() {
  Clear();
  bool ok = true;
  for (const std::string& name : ListFiles(Folder, "*.dat")) {
    std::unique_ptr<TPersistObj> item = CreateItem();
    if (static_cast<TRecord*>(item.get())->LoadRecordFile(Folder + name))
      Add(std::move(item));
    else
      ok = false;
  }
  return ok;
}

TRecord* TRecordList::FindRecordByUin(std::string_view uin) const {
  for (int i = 0; i < Count(); ++i)
    if (RecordAt(i)->Uin() == uin) return RecordAt(i);
  return nullptr;
}

TRecord* TRecordList::FindRecordByName(std::string_view name) const {
  std::string wanted = NormalizeName(name);
  for (int i = 0; i < Count(); ++i)
    if (NormalizeName(RecordAt(i)->RecordName()) == wanted) return RecordAt(i);
  return nullptr;
}

TRecord* TRecordList::AddRecord(std::unique_ptr<TRecord> record) {
  return RecordAt(Add(std::move(record)));
}

TRecord* TRecordList::NewRecord() {
  return RecordAt(Add(CreateItem()));
}

int TRecordList::AddNew() {
  NewRecord();
  return Count() - 1;
}

void TRecordList::LoadFromStream(TStream& s) {
  // The stream helpers refuse sizes beyond the stream with their own error; to the caller it is
  // all one damaged list.
  auto damaged = [](const char* what) { throw TRecordFileError(what); };
  int32_t count = 0;
  try {
    count = ReadSizedInt(s);
  } catch (const std::runtime_error&) {
    damaged("the list of records is cut off");
  }
  if (count < 0) damaged("the list of records is damaged");
  for (int32_t i = 0; i < count; ++i) {
    if (s.Remaining() < 4) damaged("the list of records is cut off");
    TMemoryStream buffer;
    try {
      ReadBlob(s, buffer);
    } catch (const std::runtime_error&) {
      damaged("the list of records is cut off");
    }
    std::unique_ptr<TPersistObj> item = CreateItem();
    auto* record = static_cast<TRecord*>(item.get());
    record->LoadFromStream(buffer);
    record->FileName.clear();
    Add(std::move(item));
  }
}

}  // namespace quillora
