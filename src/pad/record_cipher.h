// The cipher of the password fields in company and product files: a byte-wise stream cipher with
// a 16-bit state, keyed by a fixed text. It hides passwords from a casual look, nothing more.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillora {

// The constants are part of the file format: files written with them can only be read with them.
inline constexpr uint32_t kCipherStart = 0x2F6B3D71u;   // S: the start of the key
inline constexpr uint16_t kCipherMultiplier = 0x6E35u;  // M
inline constexpr uint16_t kCipherIncrement = 0x2A1Bu;   // A
inline constexpr std::string_view kCipherKey = "KelvaDun";

// The state every value starts from: S multiplied (mod 2^32) by each byte of the key, low 16 bits.
uint16_t CipherInitialState();

// Same length as the input; an empty value stays empty. The result may hold any byte, so stored
// values go through EncodeValue afterwards.
std::string EncryptText(std::string_view plain);
std::string DecryptText(std::string_view cipher);

}  // namespace quillora
