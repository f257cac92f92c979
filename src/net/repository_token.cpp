#include "net/repository_token.h"

#include "foundation/encoding.h"

namespace quillora {

std::string AuthInfoField(std::string_view token) {
  std::string field = HexEncode(token.substr(0, kMaxAccessTokenSize));
  field.resize(kAuthInfoDigits, '0');
  return field;
}

std::string DataField(std::string_view token) {
  std::string field;
  field.reserve(token.size() * 3);
  for (const char c : token) field += "$" + HexEncode(std::string_view(&c, 1));
  return field;
}

}  // namespace quillora
