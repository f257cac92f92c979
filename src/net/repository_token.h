// The client-identification token the site repository may require, as the update's requests
// carry it: the "AuthInfo" field of object-mode requests and the "Data" field of repository-mode
// ones. The server reads the same two forms back.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillora {

// A token is 1 to 1024 bytes of text without NUL bytes; longer ones are cut for "AuthInfo".
inline constexpr size_t kMaxAccessTokenSize = 1024;
inline constexpr size_t kAuthInfoDigits = 2048;

// "AuthInfo": the token's bytes as upper-case hexadecimal digits, padded with "0" digits to
// exactly 2048 digits (an empty token gives 2048 "0" digits).
std::string AuthInfoField(std::string_view token);
// "Data": each byte of the token as "$" and two upper-case hexadecimal digits (empty for an
// empty token).
std::string DataField(std::string_view token);

}  // namespace quillora
