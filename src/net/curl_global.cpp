#include "net/curl_global.h"

#include <mutex>

#include <curl/curl.h>

namespace quillora {

void EnsureCurlStarted() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace quillora
