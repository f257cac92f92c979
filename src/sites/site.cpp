#include "sites/site.h"

#include <cstring>

#include "foundation/binary_read.h"
#include "foundation/codepage.h"
#include "foundation/text_utils.h"

namespace quillora {

// --- TSiteInfo ----------------------------------------------------------------------------------

std::string TSiteInfo::Value(std::string_view section, std::string_view key) const {
  const TOptionsList* s = FindSection(section);
  return s ? s->GetString(key) : std::string();
}

void TSiteInfo::MakeDefault() {
  ClearAll();
  PopupMessages();
  CommonInfo();
  SearchOptions().SetString("AutoSearch", "TRUE");
  AdvancedOptions().SetInt("New window processing", 2);
  URLs.Home();
  URLs.Search();
  URLs.Submit();
  URLs.Update();
}

void TSiteInfo::ClearAll() {
  Clear();
  URLs.Clear();
}

std::string TSiteInfo::OptionText() const {
  const TOptionsList* search = FindSection("SearchOptions");
  if (search && !search->GetString("AutoSearch").empty()) return Text();
  // The stored copy always carries the flag; build the text as if it had been set.
  std::string out;
  for (int i = 0; i < Count(); ++i) {
    const TOptionsList& section = SectionAt(i);
    TOptionsList copy(section);
    if (&section == search) copy.SetString("AutoSearch", "TRUE");
    out.append("[").append(section.Name).append("]\r\n");
    for (const std::string& line : copy.Lines()) out.append(line).append("\r\n");
    out.append("\r\n");
  }
  if (!search) out.append("[SearchOptions]\r\nAutoSearch=TRUE\r\n\r\n");
  return out;
}

namespace {

// Messages that older files kept inside the comments under a heading line, up to the next empty
// line, move to "Popup messages".
void MoveCommentMessages(TSiteInfo& info) {
  std::vector<std::string> lines = SplitLines(info.CommonInfo().GetString("Comments"));
  static constexpr const char* kHeadings[][2] = {
      {"Home:", "Home"}, {"Search:", "Search"}, {"Submit:", "Submit"}, {"Update:", "Update"}};
  for (const auto& heading : kHeadings) {
    size_t i = 0;
    while (i < lines.size() && !SameText(lines[i], heading[0])) ++i;
    if (i == lines.size()) continue;
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
    std::vector<std::string> block;
    while (i < lines.size() && !lines[i].empty()) {
      block.push_back(std::move(lines[i]));
      lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
    }
    std::string message;
    for (size_t k = 0; k < block.size(); ++k) {
      if (k) message += "\r\n";
      message += block[k];
    }
    if (!message.empty()) info.PopupMessages().SetString(heading[1], message);
  }
  info.CommonInfo().SetString("Comments", JoinLines(lines));
}

}  // namespace

void TSiteInfo::LoadTexts(std::string_view address_text, std::string_view option_text) {
  URLs.SetText(address_text);
  SetText(option_text);
  TOptionsList& search = SearchOptions();
  if (search.GetString("AutoSearch").empty()) search.SetString("AutoSearch", "TRUE");
  if (!search.GetString("Disable scripts").empty()) {
    AdvancedOptions().SetBool("Disable scripts", search.GetBool("Disable scripts"));
    search.SetString("Disable scripts", "");
  }
  MoveCommentMessages(*this);
}

void TSiteInfo::SaveToStream(TStream& s) const {
  TMemoryStream scratch(AddressText());
  WriteBlob(s, scratch);
  scratch.Data() = OptionText();
  WriteBlob(s, scratch);
}

void TSiteInfo::LoadFromStream(TStream& s) {
  TMemoryStream addresses, options;
  ReadBlobStrict(s, addresses, "the address records");
  ReadBlobStrict(s, options, "the site options");
  LoadTexts(addresses.Data(), options.Data());
}

// --- Choice lists -------------------------------------------------------------------------------

void TSiteChoiceLists::AddKnown(std::vector<std::string>& list, std::string_view value) {
  if (value.empty()) return;
  for (const std::string& known : list)
    if (SameText(known, value)) return;
  list.emplace_back(value);
}

void TSiteChoiceLists::AddSite(const TWebSite& site) {
  for (const char* key : {"Category 1", "Category 2", "Category 3", "Category 4"})
    AddKnown(categories, site.Info.Value("Common info", key));
  AddKnown(languages, site.Info.Value("Common info", "Language"));
}

// --- TWebSite: identity, header, cover ---------------------------------------------------------

TWebSite::TWebSite() {
  Info.Site = this;
  forms_.Site = this;
  SetSignature(kSiteSignature);
  Info.MakeDefault();
  Cover = DefaultCoverJpeg();
  TOptionsList& common = Info.CommonInfo();
  common.SetString("UIN", NewUIN());
  common.SetString("Category 1", "Shareware");
  common.SetString("Language", "English");
  Protected = 1;
  SetDisabled(false);
}

TSiteOwner* TWebSite::SiteOwner() const {
  return dynamic_cast<TSiteOwner*>(Owner());
}

std::string TWebSite::NewUIN() {
  return "SITE-" + MakeUniqueId();
}

std::string TWebSite::SignatureOf(const std::array<uint8_t, kSiteHeaderSize>& header) {
  const size_t n = std::min<size_t>(header[0], 7);
  return std::string(reinterpret_cast<const char*>(header.data()) + 1, n);
}

void TWebSite::PutSignature(std::array<uint8_t, kSiteHeaderSize>& header,
                            std::string_view signature) {
  const size_t n = std::min<size_t>(signature.size(), 7);
  header[0] = static_cast<uint8_t>(n);
  std::memset(header.data() + 1, 0, 7);
  std::memcpy(header.data() + 1, signature.data(), n);
}

void TWebSite::SetSignature(std::string_view signature) {
  PutSignature(Header, signature);
}

bool TWebSite::IsKnownSignature(std::string_view signature) {
  return signature == "WSD 1.0" || signature == "WSD 2.0" || signature == "WSD 2.1";
}

bool TWebSite::HasOwnCover() const {
  EnsureBody();
  return Cover.has_value();
}

std::string TWebSite::CoverBytes() const {
  EnsureBody();
  if (Cover) return *Cover;
  TSiteOwner* owner = SiteOwner();
  if (!owner || CoverOffset < 0) return {};
  TMemoryStream& cache = owner->CoverCache();
  const int64_t saved = cache.Position();
  cache.SetPosition(CoverOffset);
  TMemoryStream bytes;
  try {
    ReadBlobStrict(cache, bytes, "a parked cover");
  } catch (...) {
    cache.SetPosition(saved);
    throw;
  }
  cache.SetPosition(saved);
  return bytes.Take();
}

void TWebSite::SetCoverBytes(std::string jpeg) {
  EnsureBody();  // the forms still to come must not bring the old cover back
  Cover = std::move(jpeg);
  CoverOffset = -1;
}

void TWebSite::ParkCover() {
  TSiteOwner* owner = SiteOwner();
  if (!owner || !Cover) return;
  TMemoryStream& cache = owner->CoverCache();
  cache.SetPosition(cache.Size());
  const int64_t at = cache.Position();
  if (at > INT32_MAX) return;  // the offset could not be kept; the site keeps its own copy
  TMemoryStream bytes(std::move(*Cover));
  WriteBlob(cache, bytes);
  CoverOffset = static_cast<int32_t>(at);
  Cover.reset();
}

TImage24 TWebSite::GetCoverPicture() {
  const std::string bytes = CoverBytes();
  TImage24 picture = bytes.empty() ? DefaultCoverImage() : DecodeJpeg(bytes);
  if (Cover && SiteOwner()) ParkCover();
  return picture;
}

void TWebSite::SetCoverPicture(const TImage24& picture) {
  EnsureBody();
  Cover = EncodeJpeg(picture);
  CoverOffset = -1;
  TSiteOwner* owner = SiteOwner();
  if (owner && ThumbnailIndex >= 0) {
    if (owner->HasThumbnailStrip()) owner->PutThumbnail(ThumbnailIndex, CutImage(picture));
    ParkCover();
  }
}

// --- Summary and status -------------------------------------------------------------------------

namespace {

int SearchFlagCode(std::string_view flag) {
  if (flag == "FOUND") return 0;
  if (flag == "NOT FOUND") return 1;
  if (flag == "ERROR") return 2;
  if (flag == "NOT SUPPORTED") return 3;
  return 4;
}

int MethodPicture(std::string_view type) {
  if (type == "Form") return 7;
  if (type == "PAD") return 8;
  if (type == "Mail") return 9;
  return 12;
}

}  // namespace

TSiteStatus TWebSite::SiteStatus(const TSiteProfile* profile) const {
  return SiteStatusFor(ProfileOrEmpty(profile), UIN());
}

void TWebSite::UpdateVersionHandled(std::string_view version) {
  VersionHandled = VersionHandledFor(ProfileOrEmpty(ActiveSiteProfile()), UIN(), version) ? 1 : 0;
}

std::string TWebSite::ColumnText(int column, const TSiteProfile* profile) const {
  auto common = [this](std::string_view key) { return Info.Value("Common info", key); };
  auto site_value = [&](TSiteValueKind kind) {
    return ProfileOrEmpty(profile).SiteValue(kind, UIN());
  };
  switch (column) {
    case 0:
      return common("Name");
    case 1:
      return Info.URLs.AddressOf("Home");
    case 2:
      return common("UIN");
    case 3:
      return common("Last modified");
    case 4:
      return common("Last exported");
    case 5:
      return common("Language");
    case 6:
      return std::to_string(StatusPicture(SiteStatus(profile)));
    case 7:
      return common("Rating");
    case 8:
    case 9:
    case 10:
    case 11:
      return common("Category " + std::to_string(column - 7));
    case 12: {
      std::string text = site_value(TSiteValueKind::CompanyComments);
      const std::string product = site_value(TSiteValueKind::ProductComments);
      if (!product.empty()) {
        if (!text.empty()) text += "\r\n";
        text += product;
      }
      return text;
    }
    case 13:
      return site_value(TSiteValueKind::VersionListed);
    case 14:
      return site_value(TSiteValueKind::VersionSubmitted);
    case 15:
      return site_value(TSiteValueKind::DateSubmitted);
    case 16:
      return site_value(TSiteValueKind::SearchResultsShort);
    case 17:
      return site_value(TSiteValueKind::SearchFlag);
    case 18:
      return Protected ? "2" : "-1";
    case 19:
      return common("Contributor Name");
    case 20: {
      std::string login = site_value(TSiteValueKind::ProductSiteLogin);
      return login.empty() ? site_value(TSiteValueKind::CompanySiteLogin) : login;
    }
    case 21: {
      std::string password = site_value(TSiteValueKind::ProductSitePassword);
      return password.empty() ? site_value(TSiteValueKind::CompanySitePassword) : password;
    }
    case 22:
      return common("Last contributed");
    case 23:
      return common("Submit Type");
    case 24: {
      std::string flags;
      if (common("Payment Required") == "TRUE") flags += "$ ";
      if (common("Control Panel for authors") == "TRUE") flags += "A ";
      return flags;
    }
    case 25:
      return site_value(TSiteValueKind::ProductListings);
    default:
      return {};
  }
}

void TWebSite::RefreshSummary() {
  const TSiteProfile* profile = ActiveSiteProfile();
  TSiteSummary& s = summary;
  for (int c = 0; c < kSiteColumnCount; ++c) {
    s.text[c] = ColumnText(c, profile);
    s.lower[c] = AnsiLowerCase(s.text[c]);
  }
  TDateTime t;
  if (TryStrToDateTime(s.text[3], t)) s.last_modified = t;
  if (TryStrToDateTime(s.text[4], t)) s.last_exported = t;
  if (TryStrToDateTime(s.text[15], t)) s.date_submitted = t;
  if (TryStrToDateTime(s.text[22], t)) s.last_contributed = t;
  s.status = SiteStatus(profile);
  s.status_picture = StatusPicture(s.status);
  s.search_flag_code = SearchFlagCode(s.text[17]);
  const std::vector<std::string>& banners = LanguageBannerNames();
  s.language_picture = 12;
  for (size_t i = 0; i < banners.size(); ++i)
    if (banners[i] == s.lower[5]) {
      s.language_picture = 13 + static_cast<int>(i);
      break;
    }
  s.method_picture = MethodPicture(s.text[23]);
  s.protected_picture = Protected ? 2 : -1;

  // Name, home address, categories, language and the contributor's name (column 19) come from
  // the summary; the rest only the search looks at.
  s.search_text.clear();
  const auto add = [&](std::string_view lower) { s.search_text.append(lower).push_back('\0'); };
  for (int c : {0, 1, 8, 9, 10, 11, 5, 19}) add(s.lower[static_cast<size_t>(c)]);
  for (const char* kind : {"Search", "Submit", "Update"})
    add(AnsiLowerCase(Info.URLs.AddressOf(kind)));
  for (const char* key :
       {"Comments", "Contributor e-mail", "Contributor Company", "Contributor URL"})
    add(AnsiLowerCase(Info.Value("Common info", key)));
  if (profile) {
    add(AnsiLowerCase(profile->SiteValue(TSiteValueKind::CompanyComments, UIN())));
    add(AnsiLowerCase(profile->SiteValue(TSiteValueKind::ProductComments, UIN())));
  }
  s.search_text.shrink_to_fit();
}

}  // namespace quillora
