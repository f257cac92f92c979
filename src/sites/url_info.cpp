#include "sites/url_info.h"

#include <stdexcept>

#include "foundation/encoding.h"

namespace quillora {

namespace {
constexpr const char* kKindTexts[] = {"Normal", "GET", "POST", "MAIL"};
}

TURLKind TURLInfo::KindFromText(std::string_view text) {
  for (int i = 1; i < 4; ++i)
    if (text == kKindTexts[i]) return static_cast<TURLKind>(i);
  return TURLKind::Normal;
}

const char* TURLInfo::KindText(int kind) {
  return kind >= 0 && kind < 4 ? kKindTexts[kind] : kKindTexts[0];
}

TURLInfo& TURLCollection::Record(std::string_view name) {
  TOptionsList& section = Section(name);
  // Sections made by this collection are TURLInfo; one added from outside is not, and must not
  // be handed out as one.
  if (auto* info = dynamic_cast<TURLInfo*>(&section)) return *info;
  throw std::logic_error("Address section '" + std::string(name) + "' is not an address record");
}

std::string TURLCollection::AddressOf(std::string_view name) const {
  const TOptionsList* section = FindSection(name);
  return section ? section->GetString("Address") : std::string();
}

std::unique_ptr<TPersistObj> TURLCollection::CreateItem() {
  return std::make_unique<TURLInfo>();
}

void TURLInfo::SetCapturedSearch(bool post, std::string_view url, std::string_view body,
                                 std::string_view headers) {
  const auto with_variable = [](std::string text) {
    if (const size_t at = text.find("myprog"); at != std::string::npos)
      text.replace(at, 6, "|Quillora/Search_String|");
    return text;
  };
  Clear();
  if (post) {
    SetKind(TURLKind::POST);
    SetAddress(url);
    SetPostData(with_variable(UrlDecode(body)));
    SetHeaders(headers);
    return;
  }
  SetKind(TURLKind::GET);
  const size_t question = url.find('?');
  SetAddress(url.substr(0, question));
  SetQuery(question == std::string_view::npos ? std::string()
                                              : with_variable(UrlDecode(url.substr(question + 1))));
}

}  // namespace quillora
