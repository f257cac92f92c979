#include "net/transfer_result.h"

#include <array>

namespace quillora {

std::string TransferResultText(int code) {
  static const std::array<const char*, 12> texts = {
      "No error",       "Bad header",   "Authorization required", "Access denied",
      "Cannot load",    "Cannot save",  "WinInet error",          "Connection failed",
      "File not found", "Server error", "Server timeout",         "Aborted"};
  const int index = code & 0x7F;
  return index < static_cast<int>(texts.size()) ? texts[index] : std::string();
}

TTransferResult TransferResultOfStatus(long status) {
  switch (status) {
    case 400:
    case 402:
    case 404:
    case 410:
      return trFileNotFound;
    case 401:
    case 407:
      return trAuthorizationRequired;
    case 403:
      return trAccessDenied;
    case 408:
    case 504:
      return trServerTimeout;
    default:
      break;
  }
  if (status >= 500 && status <= 599) return trServerError;
  return trConnectionFailed;
}

}  // namespace quillora
