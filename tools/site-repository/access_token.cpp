#include "site-repository/access_token.h"

#include "foundation/encoding.h"
#include "site-repository/form_fields.h"

namespace quillora {
namespace {

// Compares without stopping at the first difference, so the reply time tells nothing about
// how much of a guessed token was right.
bool SameBytes(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  unsigned char diff = 0;
  for (size_t i = 0; i < a.size(); ++i)
    diff |= static_cast<unsigned char>(a[i]) ^ static_cast<unsigned char>(b[i]);
  return diff == 0;
}

}  // namespace

bool IsValidAccessToken(std::string_view token) {
  return !token.empty() && token.size() <= kMaxAccessTokenSize &&
         token.find('\0') == std::string_view::npos;
}

std::optional<std::string> DecodeAuthInfo(std::string_view field) {
  if (field.size() != kAuthInfoDigits) return std::nullopt;
  std::optional<std::string> token = HexDecode(field);
  if (!token) return std::nullopt;
  while (!token->empty() && token->back() == '\0') token->pop_back();
  return token;
}

std::optional<std::string> DecodeDataField(std::string_view field) {
  if (field.size() % 3 != 0) return std::nullopt;
  std::string hex;
  for (size_t i = 0; i < field.size(); i += 3) {
    if (field[i] != '$') return std::nullopt;
    hex += field.substr(i + 1, 2);
  }
  return HexDecode(hex);
}

bool CarriesAccessToken(const TFormFields& fields, std::string_view token) {
  if (token.empty()) return true;
  const auto auth_info = DecodeAuthInfo(fields.Get("AuthInfo"));
  const auto data = DecodeDataField(fields.Get("Data"));
  // Both are looked at every time, for the same reason SameBytes does not stop early.
  const bool by_auth_info = auth_info && SameBytes(*auth_info, token);
  const bool by_data = data && SameBytes(*data, token);
  return by_auth_info || by_data;
}

}  // namespace quillora
