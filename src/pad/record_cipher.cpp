#include "pad/record_cipher.h"

namespace quillora {

uint16_t CipherInitialState() {
  uint32_t key = kCipherStart;
  for (char c : kCipherKey) key *= static_cast<unsigned char>(c);
  return static_cast<uint16_t>(key & 0xFFFFu);
}

namespace {

// The state always advances with the enciphered byte, so both directions share one step.
inline uint16_t Advance(uint16_t state, unsigned char enciphered) {
  return static_cast<uint16_t>((enciphered + state) * kCipherMultiplier + kCipherIncrement);
}

}  // namespace

std::string EncryptText(std::string_view plain) {
  std::string out(plain.size(), '\0');
  uint16_t state = CipherInitialState();
  for (size_t i = 0; i < plain.size(); ++i) {
    auto c = static_cast<unsigned char>(static_cast<unsigned char>(plain[i]) ^ (state >> 8));
    out[i] = static_cast<char>(c);
    state = Advance(state, c);
  }
  return out;
}

std::string DecryptText(std::string_view cipher) {
  std::string out(cipher.size(), '\0');
  uint16_t state = CipherInitialState();
  for (size_t i = 0; i < cipher.size(); ++i) {
    auto c = static_cast<unsigned char>(cipher[i]);
    out[i] = static_cast<char>(c ^ (state >> 8));
    state = Advance(state, c);
  }
  return out;
}

}  // namespace quillora
