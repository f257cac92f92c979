// The access token a site repository may require, and how a client carries it: in the
// "AuthInfo" field of object-mode requests and the "Data" field of repository-mode ones.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "net/repository_token.h"

namespace quillora {

class TFormFields;

// A token is 1 to 1024 bytes of text without NUL bytes (kMaxAccessTokenSize). The client's two
// forms of it, AuthInfoField and DataField, are the program's own (net/repository_token.h).
bool IsValidAccessToken(std::string_view token);

// The token a field carries; none when the field is not of its form. Digits are read in either
// case; the NUL bytes the padding of "AuthInfo" decodes to are dropped from the end.
std::optional<std::string> DecodeAuthInfo(std::string_view field);
std::optional<std::string> DecodeDataField(std::string_view field);

// Whether the request carries the token in either field. An empty token accepts every request.
bool CarriesAccessToken(const TFormFields& fields, std::string_view token);

}  // namespace quillora
