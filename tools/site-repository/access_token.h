// The access token a site repository may require, and how a client carries it: in the
// "AuthInfo" field of object-mode requests and the "Data" field of repository-mode ones.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillora {

class TFormFields;

// A token is 1 to 1024 bytes of text without NUL bytes.
inline constexpr size_t kMaxAccessTokenSize = 1024;
bool IsValidAccessToken(std::string_view token);

// "AuthInfo": the token's bytes as upper-case hexadecimal digits, padded with "0" digits to
// exactly 2048 digits.
std::string AuthInfoField(std::string_view token);
// "Data": each byte of the token as "$" and two upper-case hexadecimal digits.
std::string DataField(std::string_view token);

// The token a field carries; none when the field is not of its form. Digits are read in either
// case; the NUL bytes the padding of "AuthInfo" decodes to are dropped from the end.
std::optional<std::string> DecodeAuthInfo(std::string_view field);
std::optional<std::string> DecodeDataField(std::string_view field);

// Whether the request carries the token in either field. An empty token accepts every request.
bool CarriesAccessToken(const TFormFields& fields, std::string_view token);

}  // namespace quillora
