#include "site-repository/form_fields.h"

#include "foundation/encoding.h"

namespace quillora {

TFormFields TFormFields::Parse(std::string_view body) {
  while (!body.empty() && (body.back() == '\n' || body.back() == '\r')) body.remove_suffix(1);
  TFormFields result;
  size_t start = 0;
  while (start <= body.size()) {
    size_t end = body.find('&', start);
    if (end == std::string_view::npos) end = body.size();
    const std::string_view field = body.substr(start, end - start);
    if (!field.empty()) {
      const size_t eq = field.find('=');
      if (eq == std::string_view::npos)
        result.fields_.emplace_back(UrlDecode(field), std::string());
      else
        result.fields_.emplace_back(UrlDecode(field.substr(0, eq)),
                                    UrlDecode(field.substr(eq + 1)));
    }
    start = end + 1;
  }
  return result;
}

std::string TFormFields::Get(std::string_view name) const {
  for (const auto& [key, value] : fields_)
    if (key == name) return value;
  return {};
}

bool TFormFields::Has(std::string_view name) const {
  for (const auto& field : fields_)
    if (field.first == name) return true;
  return false;
}

}  // namespace quillora
