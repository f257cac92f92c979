#include "sites/site_file.h"

#include <cstring>
#include <memory>
#include <stdexcept>
#include <sys/stat.h>

#include "foundation/binary_read.h"
#include "foundation/bzip2_stream.h"
#include "foundation/dates.h"
#include "foundation/encoding.h"
#include "foundation/files.h"
#include "foundation/lzh.h"
#include "foundation/retry.h"
#include "foundation/ui_port.h"

namespace quillora {

namespace {

// The whole bzip2 stream of an old site file, with the messages site files have always given.
std::string Bunzip(std::string_view in, size_t limit) {
  try {
    return Bzip2Decompress(in, limit);
  } catch (const TBzip2Error& e) {
    switch (e.Kind()) {
      case TBzip2Error::TKind::Start:
        throw;
      case TBzip2Error::TKind::InputTooLarge:
        throw std::runtime_error("Damaged site file: the body is too large");
      case TBzip2Error::TKind::OutputTooLarge:
        throw std::runtime_error("Damaged site file: the body decodes to more than " +
                                 std::to_string(limit) + " bytes");
      case TBzip2Error::TKind::Damaged:
        throw std::runtime_error("Damaged site file: bzip2 error " + std::to_string(e.Code()));
      case TBzip2Error::TKind::CutShort:
        throw std::runtime_error("Damaged site file: the bzip2 body is cut short");
    }
    throw;
  }
}

void TakeForms(TMemoryStream& block, bool unwrapped, TSiteFileParts& parts, TFormsList* forms) {
  if (forms) {
    forms->LoadForms(block, unwrapped);
    return;
  }
  TFormsList::CheckForms(block, unwrapped);
  parts.forms_block = block.Take();
  parts.forms_unwrapped = unwrapped;
}

void SplitInfoBlock(TMemoryStream& info, TSiteFileParts& parts) {
  TMemoryStream part;
  ReadBlobStrict(info, part, "the address records");
  parts.address_text = part.Take();
  ReadBlobStrict(info, part, "the site options");
  parts.option_text = part.Take();
}

}  // namespace

std::string TSiteFileParts::Signature() const {
  return TWebSite::SignatureOf(header);
}

bool ReadSiteFileParts(TStream& s, TSiteFileParts& parts, TFormsList* forms) {
  parts.header.fill(0);
  const size_t got = s.Read(parts.header.data(), parts.header.size());
  const std::string signature = parts.Signature();
  if (!TWebSite::IsKnownSignature(signature)) return false;
  if (got < parts.header.size())
    throw std::runtime_error("Damaged site file: the header is cut short");

  TMemoryStream block;
  if (signature == kSiteSignature) {
    ReadBlobStrict(s, block, "the cover picture");
    parts.cover = block.Take();
    if (s.Remaining() < 4) throw std::runtime_error("Damaged site file: the body is missing");
    TMemoryStream body(LzhDecompress(s.ReadToEnd()));
    ReadBlobStrict(body, block, "the site options");
    SplitInfoBlock(block, parts);
    ReadBlobStrict(body, block, "the stored forms");
    TakeForms(block, false, parts, forms);
    parts.protected_flag = ReadByteStrict(body, "the protection flag");
    return true;
  }

  // The older layouts: one bzip2 stream holding forms, cover, options and the flag.
  TMemoryStream body(Bunzip(s.ReadToEnd(), kMaxOldSiteBodySize));
  ReadBlobStrict(body, block, "the stored forms");
  TakeForms(block, signature == "WSD 1.0", parts, forms);
  ReadBlobStrict(body, block, "the cover picture");
  parts.cover = block.Take();
  ReadBlobStrict(body, block, "the site options");
  SplitInfoBlock(block, parts);
  parts.protected_flag = ReadByteStrict(body, "the protection flag");
  return true;
}

void WriteSiteFileParts(TStream& s, const TSiteFileParts& parts, const TFormsList& forms) {
  std::array<uint8_t, kSiteHeaderSize> header = parts.header;
  TWebSite::PutSignature(header, kSiteSignature);
  s.Write(header.data(), header.size());

  TMemoryStream body, scratch, text;
  text.Data() = parts.address_text;
  WriteBlob(scratch, text);
  text.Data() = parts.option_text;
  WriteBlob(scratch, text);
  WriteBlob(body, scratch);
  forms.SaveToStream(scratch);
  WriteBlob(body, scratch);
  body.Write(&parts.protected_flag, 1);

  TMemoryStream cover(parts.cover);
  WriteBlob(s, cover);
  body.Rewind();
  TLZHCompressor().Compress(body, s);
}

// --- TWebSite: stored forms ---------------------------------------------------------------------

TFormsList& TWebSite::Forms() {
  EnsureBody();
  if (!packed_forms_.empty()) {
    ReadPackedForms(forms_);
    std::string().swap(packed_forms_);
  }
  return forms_;
}

const TFormsList& TWebSite::Forms() const {
  return const_cast<TWebSite*>(this)->Forms();
}

void TWebSite::ReadPackedForms(TFormsList& forms) const {
  TMemoryStream block(packed_forms_);
  forms.LoadForms(block, packed_unwrapped_);
}

void TWebSite::ClearForms() {
  forms_.Clear();
  std::string().swap(packed_forms_);
}

// --- TWebSite: binary form ----------------------------------------------------------------------

void TWebSite::SaveToStream(TStream& s) const {
  EnsureBody();
  TSiteFileParts parts;
  PutSignature(Header, kSiteSignature);
  parts.header = Header;
  parts.cover = CoverBytes();  // a temporary copy when the cover is parked with the owner
  parts.address_text = Info.AddressText();
  parts.option_text = Info.OptionText();
  parts.protected_flag = Protected;
  if (FormsParsed()) {
    WriteSiteFileParts(s, parts, forms_);
    return;
  }
  // Written through a passing copy, so exporting many sites does not leave them all parsed.
  TFormsList forms;
  ReadPackedForms(forms);
  WriteSiteFileParts(s, parts, forms);
}

void TWebSite::LoadFromStream(TStream& s) {
  TSiteFileParts parts;
  body_pending_ = false;
  try {
    const bool known = ReadSiteFileParts(s, parts, nullptr);
    Header = parts.header;
    if (!known) return;
    forms_.Clear();
    packed_forms_ = std::move(parts.forms_block);
    packed_unwrapped_ = parts.forms_unwrapped;
    Info.LoadTexts(parts.address_text, parts.option_text);
    Cover = std::move(parts.cover);
    CoverOffset = -1;
    Protected = parts.protected_flag;
    if (TSiteOwner* owner = SiteOwner()) {
      if (owner->HasThumbnailStrip() && ThumbnailIndex >= 0) {
        const TImage24 picture = Cover->empty() ? DefaultCoverImage() : DecodeJpeg(*Cover);
        owner->PutThumbnail(ThumbnailIndex, CutImage(picture));
      }
      ParkCover();
    }
    AfterLoad();
  } catch (...) {
    Info.ClearAll();
    ClearForms();
    throw;
  }
}

void TWebSite::AfterLoad() {
  Visible = 1;
  TOptionsList& common = Info.CommonInfo();
  for (const char* key : {"Category 1", "Category 2", "Category 3", "Category 4", "Language"}) {
    const std::string value = common.GetString(key);
    if (value.find(';') != std::string::npos) {
      std::string fixed = value;
      for (char& c : fixed)
        if (c == ';') c = ',';
      common.SetString(key, fixed);
    }
  }
  if (common.GetString("Last contributed").empty())
    common.SetString("Last contributed", common.GetString("Last exported"));
}

void TWebSite::ClearContent() {
  body_pending_ = false;
  Header.fill(0);
  Info.ClearAll();
  ClearForms();
}

// --- TWebSite: files ----------------------------------------------------------------------------

TSiteFileStamp FileStampOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {};
  return {static_cast<int64_t>(st.st_size),
          static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

namespace {

// A file too large to be a site file is damage, not a passing read failure.
struct SiteFileTooLarge : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::string ReadSiteFileBytes(const std::string& path) {
  TFileStream f(path, TFileStream::Mode::Read);
  if (f.Size() > kMaxSiteFileSize)
    throw SiteFileTooLarge("'" + path + "' is too large for a site file");
  return f.ReadToEnd();
}

std::string NowText() {
  return FormatDateTime("dd-mm-yyyy hh:nn:ss", Now());
}

}  // namespace

TSiteLoadResult TWebSite::LoadSiteFile(const std::string& file_name) {
  const std::string name = file_name.empty() ? FileName : file_name;
  if (name.empty()) return slNotSiteFile;
  TSiteLoadResult result = slLoaded;
  // Reading is retried (another program may hold the file for a moment); what was read is
  // parsed once, since a damaged file stays damaged however often it is read.
  const bool done = RetryWithQuestion(
      [&] {
        ClearContent();
        std::string bytes;
        file_stamp_ = name == FileName ? FileStampOf(name) : TSiteFileStamp{};
        try {
          bytes = ReadSiteFileBytes(name);
        } catch (const SiteFileTooLarge& e) {
          throw TLastingError(e.what());
        }
        try {
          TMemoryStream stream(std::move(bytes));
          LoadFromStream(stream);
          const std::string signature = Signature();
          if (!IsKnownSignature(signature)) {
            Info.ClearAll();
            ClearForms();
            result = slNotSiteFile;
            return;
          }
          if (signature != kSiteSignature) SaveSiteFile(name, false);
        } catch (const std::exception& e) {
          ClearContent();
          throw TLastingError(e.what());
        }
      },
      {load_attempts, load_retry_delay_ms}, "Cannot load site from " + name);
  if (done) return result;
  ClearContent();
  return slUnreadable;
}

void TWebSite::LoadFromCache(const std::array<uint8_t, kSiteHeaderSize>& header,
                             std::string_view address_text, std::string_view option_text,
                             uint8_t protected_flag, const TSiteFileStamp& stamp) {
  ClearContent();
  try {
    Header = header;
    Info.LoadTexts(address_text, option_text);
  } catch (...) {
    ClearContent();
    throw;
  }
  Cover.reset();
  CoverOffset = -1;
  Protected = protected_flag;
  file_stamp_ = stamp;
  body_pending_ = true;
  AfterLoad();
}

void TWebSite::LoadBody() {
  body_pending_ = false;
  if (FileStampOf(FileName) == file_stamp_) {
    try {
      TMemoryStream stream(ReadSiteFileBytes(FileName));
      TSiteFileParts parts;
      if (ReadSiteFileParts(stream, parts, nullptr) && parts.Signature() == kSiteSignature &&
          parts.header == Header) {
        forms_.Clear();
        packed_forms_ = std::move(parts.forms_block);
        packed_unwrapped_ = parts.forms_unwrapped;
        Cover = std::move(parts.cover);
        CoverOffset = -1;
        ParkCover();
        return;
      }
    } catch (const std::exception&) {
      // Read again below, with the retry question and the messages of a load.
    }
  }
  // The file is no longer the one the cache saw: take it whole, as a start-up would have.
  LoadSiteFile();
  RefreshSummary();
}

bool TWebSite::SaveSiteFile(const std::string& file_name, bool keep_modified) {
  TOptionsList& common = Info.CommonInfo();
  if (!keep_modified) common.SetString("Last modified", NowText());
  TOptionsList& search = Info.SearchOptions();
  if (search.GetString("AutoSearch").empty()) search.SetString("AutoSearch", "TRUE");

  const bool own_file = file_name.empty();
  const std::string target = own_file ? MakeFileName() : file_name;
  const bool saved = RetryWithQuestion(
      [&] {
        TMemoryStream bytes;
        SaveToStream(bytes);
        SaveFileSafely(target, bytes.Data(), [this](const std::string& temp) {
          // The copy must read back as this site before it may replace anything.
          if (FileSizeOf(temp) <= 0) throw std::runtime_error("empty file");
          TWebSite check;
          TMemoryStream written(FileToString(temp));
          check.LoadFromStream(written);
          if (check.Signature() != kSiteSignature || check.UIN() != UIN())
            throw std::runtime_error("the written file does not read back");
        });
      },
      {1, 0}, "Cannot save site to " + target);
  if (saved && own_file) {
    // Only now that the new file is in place may the old one go.
    if (!FileName.empty() && FileName != target) DeleteFileAt(FileName);
    FileName = target;
  }
  RefreshSummary();
  return saved;
}

bool TWebSite::ImportSiteFile(const std::string& file_name) {
  const std::string old_date = Info.Value("Common info", "Last contributed");
  const std::string old_rating = Info.Value("Common info", "Rating");
  if (LoadSiteFile(file_name) != slLoaded) {
    LoadSiteFile();
    return false;
  }
  if (!old_date.empty()) {
    const std::string new_date = Info.Value("Common info", "Last contributed");
    TDateTime old_t = 0, new_t = 0;
    const bool old_ok = TryStrToDateTime(old_date, old_t);
    const bool new_ok = TryStrToDateTime(new_date, new_t);
    // The local copy stays unless the download is known to be newer.
    if (old_ok && (!new_ok || !(old_t < new_t))) {
      LoadSiteFile();
      return true;
    }
  }
  if (!old_rating.empty()) Info.CommonInfo().SetString("Rating", old_rating);
  return SaveSiteFile("", true);
}

bool TWebSite::ExportSiteFile(const std::string& file_name) {
  TOptionsList& common = Info.CommonInfo();
  const uint8_t old_protected = Protected;
  const std::string old_disabled = common.GetString("Disabled");
  const std::string old_rating = common.GetString("Rating");
  const std::string old_bug = common.GetString("Last Bug Reported");
  Protected = 0;
  common.SetBool("Disabled", false);
  common.SetString("Rating", "1");
  common.SetString("Last Bug Reported", "");
  common.SetString("Last exported", common.GetString("Last contributed"));
  bool ok = false;
  try {
    ok = SaveSiteFile(file_name, true);
  } catch (const std::exception&) {
    ok = false;
  }
  Protected = old_protected;
  common.SetString("Disabled", old_disabled);
  common.SetString("Rating", old_rating);
  common.SetString("Last Bug Reported", old_bug);
  RefreshSummary();
  return ok;
}

bool TWebSite::DeleteSiteFile() {
  return !FileName.empty() && DeleteFileAt(FileName);
}

bool TWebSite::DeleteSite() {
  const bool deleted = DeleteSiteFile();
  if (TSiteOwner* owner = SiteOwner()) owner->RemoveSite(this);  // destroys this site
  return deleted;
}

// --- File names ---------------------------------------------------------------------------------

namespace {

// Latin spellings of the Cyrillic letters of code page 1251 (192..223 capitals, 224..255 small),
// with the second letter of the two-letter ones.
constexpr char kUpper[] = "ABVGDEGZIJKLMNOPRSTUFHCCSS_I_EUJ";
constexpr char kUpper2[] = "                       HHH     A";
constexpr char kLower[] = "abvgdegzijklmnoprstufhccss_i_euj";
constexpr char kLower2[] = "                       hhh     a";

}  // namespace

std::string TWebSite::MakeFileName() const {
  std::string base;
  for (char ch : Name()) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == ' ') {
      if (!base.empty()) base += '_';
    } else if (c == '-' || c == '_' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
               (c >= 'a' && c <= 'z')) {
      base += static_cast<char>(c);
    } else if (c >= 192 && c <= 223) {
      base += kUpper[c - 192];
      if (kUpper2[c - 192] != ' ') base += kUpper2[c - 192];
    } else if (c >= 224) {
      base += kLower[c - 224];
      if (kLower2[c - 224] != ' ') base += kLower2[c - 224];
    }
  }
  if (base.empty()) base = UIN();
  if (base.size() > 16) base.resize(16);
  std::string folder;
  if (TSiteOwner* owner = SiteOwner())
    folder = owner->SitesFolder();
  else
    folder = ExtractFilePath(FileName);
  const std::string stem = folder + base;
  std::string candidate = stem + ".wsd";
  // The site's own file is free for it: saving under an unchanged name must keep that name.
  for (int k = 1; candidate != FileName && FileExists(candidate); ++k)
    candidate = stem + "(" + std::to_string(k) + ").wsd";
  return candidate;
}

uint32_t FileChecksum(const std::string& file_name) {
  uint32_t crc = 0;
  try {
    TFileStream f(file_name, TFileStream::Mode::Read);
    char buf[256];
    for (;;) {
      const size_t n = f.Read(buf, sizeof buf);
      if (n == 0) break;
      crc = Crc32Update(crc, std::string_view(buf, n));
    }
  } catch (const std::exception&) {
    ShowError("Cannot calculate checksum for '" + file_name + "'");
  }
  return crc;
}

}  // namespace quillora
