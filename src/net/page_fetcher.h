// The page fetcher: one HTTP GET or POST on the calling thread, with time-outs, a size cap and a
// read cap, status notifications, and the response body kept in memory (search result pages).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace quillora {

// The connection progress a fetch reports, numbered as the search status lines have always
// numbered them.
enum TInternetStatus : int {
  isResolvingName = 10,
  isNameResolved = 11,
  isConnectingToServer = 20,
  isConnectedToServer = 21,
  isSendingRequest = 30,
  isRequestSent = 31,
  isReceivingResponse = 40,
  isResponseReceived = 41,
  isCtlResponseReceived = 42,
  isPrefetch = 43,
  isClosingConnection = 50,
  isConnectionClosed = 51,
  isHandleClosed = 60,
  isHandleClosing = 70,
  isRequestComplete = 100,
  isRedirect = 110,
};

// How the session reaches the network. Without a proxy address of its own, every choice but
// ooDirect uses the system's proxy settings (the proxy environment variables).
enum class TOpenOptions { ooDirect, ooPreconfig, ooPreconfigWithNoAutoProxy, ooProxy };

// Request flags, combined with |. Those about caches and user interfaces change nothing here:
// this fetcher has no cache and never asks anything.
enum TOpenUrlOption : uint32_t {
  ouCacheIfNetFail = 1u << 0,
  ouHyperLink = 1u << 1,
  ouIgnoreCertCNInvalid = 1u << 2,
  ouIgnoreCertDateInvalid = 1u << 3,
  // Follow a redirect from HTTP to HTTPS, or from HTTPS to HTTP; other redirects across schemes
  // are refused.
  ouIgnoreRedirectToHTTPS = 1u << 4,
  ouIgnoreRedirectToHTTP = 1u << 5,
  ouKeepConnection = 1u << 6,
  ouMustCacheRequest = 1u << 7,
  ouNeedFile = 1u << 8,
  ouNoAuth = 1u << 9,
  // A redirect is not followed: its status ends the request as an error.
  ouNoAutoRedirect = 1u << 10,
  ouNoCacheWrite = 1u << 11,
  ouNoCookies = 1u << 12,
  ouNoUI = 1u << 13,
  ouPragmaNoCache = 1u << 14,
  ouResyncronize = 1u << 15,
  ouSecure = 1u << 16,
};
using TOpenUrlOptions = uint32_t;

// The text of a status notification code; "Unknown StatusCode" for any other.
std::string StatusText(int status);

class TWIGetURL {
 public:
  // Reading stops once this many bytes have arrived (the last block may carry it past that)...
  static constexpr int64_t kMaxBytes = 65536;
  // ...or after this many reads.
  static constexpr int kMaxReads = 41;

  // (status, information): the information is the host, address or byte count of the event.
  using TStatusEvent = std::function<void(int status, const std::string& information)>;
  // (status code or -1, raw response headers, retrieve_doc): clearing retrieve_doc skips the body.
  using THeaderReceivedEvent =
      std::function<void(long status_code, const std::string& headers, bool& retrieve_doc)>;
  using TIdleEvent = std::function<void()>;

  std::string application_name = "http generic";
  // Connect, send and receive time-out, in seconds.
  int timeout = 30;
  // The size of each read, in bytes.
  uint32_t buffer_size = 16384;
  // Not 0: the server port, in place of the address's own.
  uint16_t port = 0;
  TOpenOptions open_options = TOpenOptions::ooPreconfig;
  TOpenUrlOptions open_url_options = 0;
  // Extra request header lines, separated by CR LF or LF.
  std::string headers;
  std::string post_data;
  TIdleEvent on_idle;
  THeaderReceivedEvent on_header_received;
  TStatusEvent on_status;

  // Splits the address into scheme, host (with its port, when it names one) and object.
  void SetUrl(const std::string& url);
  const std::string& Url() const { return url_; }
  const std::string& Scheme() const { return scheme_; }
  const std::string& HostName() const { return host_name_; }
  const std::string& ObjectName() const { return object_name_; }
  // The address the request goes to: the scheme and host of Url, on port when it is set.
  std::string RequestUrl() const;

  // True when a body was received, possibly truncated. Never throws.
  bool Get() { return Request(false); }
  bool Post() { return Request(true); }
  // Stops a running request; may be called from any thread.
  void Cancel() { cancel_ = true; }
  void Clear();

  const std::string& ResponseText() const { return body_; }
  const std::string& StatusMessage() const { return status_message_; }
  bool Error() const { return error_; }
  // The HTTP status of a refused request, or the transfer library's error number.
  long LastError() const { return last_error_; }
  int64_t ByteCount() const { return byte_count_; }

 private:
  bool Request(bool post);

  std::string url_, scheme_ = "http", host_name_, object_name_ = "/";
  std::string body_, status_message_;
  bool error_ = false;
  long last_error_ = 0;
  int64_t byte_count_ = 0;
  std::atomic<bool> cancel_{false};
};

}  // namespace quillora
