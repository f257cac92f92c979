// Checksums and the URL/Base64 encodings used in requests and files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillora {

// CRC-32 of ISO 3309 (zip/PNG): reflected polynomial 0xEDB88320, initial all ones, final
// complement.
uint32_t Crc32(std::string_view bytes);
uint32_t Crc32Update(uint32_t crc, std::string_view bytes);  // chaining form; start with 0

std::string UrlEncode(std::string_view s);
std::string UrlEncodeValue(std::string_view s);
std::string UrlDecode(std::string_view s);
std::string Base64Encode(std::string_view bytes);
std::string Base64Decode(std::string_view text);  // ignores characters outside the alphabet
std::string HexEncode(std::string_view bytes);    // upper-case, two digits per byte
// Two hexadecimal digits (either case) per byte; none for an odd length or another character.
std::optional<std::string> HexDecode(std::string_view hex);

}  // namespace quillora
