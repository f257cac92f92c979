#include "net/page_fetcher.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <thread>

#include <curl/curl.h>

#include "net/curl_global.h"

namespace quillora {

std::string StatusText(int status) {
  switch (status) {
    case isResolvingName:
      return "Resolving Name";
    case isNameResolved:
      return "Name Resolved";
    case isConnectingToServer:
      return "Connecting to Server";
    case isConnectedToServer:
      return "Connected to Server";
    case isSendingRequest:
      return "Sending Request";
    case isRequestSent:
      return "Request Sent";
    case isReceivingResponse:
      return "Receiving Response";
    case isResponseReceived:
      return "Response Received";
    // The misspelling is what the search status lines have always shown.
    case isCtlResponseReceived:
      return "CTL Response Recieved";
    case isPrefetch:
      return "Prefetch";
    case isClosingConnection:
      return "Closing Connection";
    case isConnectionClosed:
      return "Connection Closed";
    case isHandleClosed:
      return "Handle Closed";
    case isHandleClosing:
      return "Handle Closing";
    case isRequestComplete:
      return "Request Complete";
    case isRedirect:
      return "Redirect";
    default:
      return "Unknown StatusCode";
  }
}

namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() && Lower(text.substr(0, prefix.size())) == prefix;
}

// "host", "host:port", "[v6]" or "[v6]:port" without its port.
std::string WithoutPort(const std::string& host) {
  if (!host.empty() && host.front() == '[') {
    const auto close = host.find(']');
    return close == std::string::npos ? host : host.substr(0, close + 1);
  }
  const auto colon = host.find(':');
  return colon == std::string::npos ? host : host.substr(0, colon);
}

// Why reading stopped before the body ran dry.
enum class TStop { kNone, kRefused, kDenied, kTruncated, kReadCap, kCancelled };

struct TFetch {
  TFetch(const TWIGetURL& f, const std::atomic<bool>& c, std::string& b, int64_t& n)
      : fetcher(f), cancel(c), body(b), byte_count(n) {}

  const TWIGetURL& fetcher;
  const std::atomic<bool>& cancel;
  std::string& body;
  int64_t& byte_count;
  CURL* curl = nullptr;
  bool follow = false;
  size_t block_size = 1;

  // The response being received: its status line and header lines.
  long status = -1;
  std::string reason, header_block;
  bool redirecting = false, headers_complete = false, headers_handled = false;
  bool refused = false;
  std::string refused_reason;

  std::string block;
  int reads = 0;
  // When the server last sent anything, or the request last went out further.
  std::chrono::steady_clock::time_point last_activity = std::chrono::steady_clock::now();
  curl_off_t sent = 0;
  TStop stop = TStop::kNone;
  bool name_resolved = false, connected = false;

  void Notify(int code, const std::string& information = {}) const {
    if (fetcher.on_status) fetcher.on_status(code, information);
  }

  void ReportConnected() {
    if (!name_resolved) {
      name_resolved = true;
      Notify(isNameResolved, PrimaryIp());
      Notify(isConnectingToServer, PrimaryIp());
    }
    if (!connected) {
      connected = true;
      Notify(isConnectedToServer, PrimaryIp());
    }
  }

  std::string PrimaryIp() const {
    const char* ip = nullptr;
    if (curl_easy_getinfo(curl, CURLINFO_PRIMARY_IP, &ip) == CURLE_OK && ip) return ip;
    return {};
  }

  // The response is final: the caller sees the status and decides whether to read the body.
  bool HandleHeaders() {
    headers_handled = true;
    bool retrieve = true;
    if (fetcher.on_header_received) fetcher.on_header_received(status, header_block, retrieve);
    if (status < 200 || status > 299) {
      refused = true;
      refused_reason = reason;
      stop = TStop::kRefused;
      return false;
    }
    if (!retrieve) {
      stop = TStop::kDenied;
      return false;
    }
    return true;
  }

  // One read as the fetcher counts them: a full block, or what was left when the body ended.
  bool CompleteRead(size_t bytes) {
    body.append(block, 0, bytes);
    block.erase(0, bytes);
    byte_count += static_cast<int64_t>(bytes);
    ++reads;
    Notify(isResponseReceived, std::to_string(bytes));
    if (fetcher.on_idle) fetcher.on_idle();
    // Each read gives the other workers a turn, as the search pool expects.
    std::this_thread::yield();
    if (byte_count >= TWIGetURL::kMaxBytes)
      stop = TStop::kTruncated;
    else if (reads >= TWIGetURL::kMaxReads)
      stop = TStop::kReadCap;
    else if (cancel)
      stop = TStop::kCancelled;
    return stop == TStop::kNone;
  }
};

size_t OnHeader(char* data, size_t size, size_t count, void* p) {
  auto& f = *static_cast<TFetch*>(p);
  const std::string line(data, size * count);
  f.last_activity = std::chrono::steady_clock::now();
  if (StartsWithNoCase(line, "http/")) {
    // A new response (after a redirect or an interim 1xx) replaces the previous one.
    f.header_block.clear();
    f.headers_complete = false;
    f.redirecting = false;
    const auto first = line.find(' ');
    f.status = -1;
    f.reason.clear();
    if (first != std::string::npos) {
      f.status = std::strtol(line.c_str() + first + 1, nullptr, 10);
      const auto second = line.find(' ', first + 1);
      if (second != std::string::npos) {
        f.reason = line.substr(second + 1);
        while (!f.reason.empty() && (f.reason.back() == '\r' || f.reason.back() == '\n'))
          f.reason.pop_back();
      }
    }
    f.Notify(isReceivingResponse);
  }
  f.header_block += line;
  if (f.follow && f.status >= 300 && f.status <= 399 && StartsWithNoCase(line, "location:")) {
    std::string target = line.substr(9);
    const auto begin = target.find_first_not_of(" \t");
    const auto end = target.find_last_not_of(" \t\r\n");
    target = begin == std::string::npos ? std::string() : target.substr(begin, end - begin + 1);
    f.redirecting = true;
    f.Notify(isRedirect, target);
  }
  if (line == "\r\n" || line == "\n") {
    f.Notify(isResponseReceived, std::to_string(f.header_block.size()));
    if (f.status >= 100 && f.status <= 199) return size * count;
    if (f.redirecting) {
      // The next connection may go elsewhere: report its progress afresh.
      f.name_resolved = f.connected = false;
    } else {
      f.headers_complete = true;
    }
  }
  return size * count;
}

size_t OnWrite(char* data, size_t size, size_t count, void* p) {
  auto& f = *static_cast<TFetch*>(p);
  const size_t bytes = size * count;
  f.last_activity = std::chrono::steady_clock::now();
  if (f.redirecting) return bytes;  // the body of a redirect that is being followed
  if (!f.headers_handled && !f.HandleHeaders()) return 0;
  if (f.stop != TStop::kNone) return 0;
  if (f.cancel) {
    f.stop = TStop::kCancelled;
    return 0;
  }
  f.block.append(data, bytes);
  while (f.block.size() >= f.block_size)
    if (!f.CompleteRead(f.block_size)) return 0;
  return bytes;
}

int OnXferInfo(void* p, curl_off_t, curl_off_t, curl_off_t, curl_off_t sent) {
  auto& f = *static_cast<TFetch*>(p);
  const auto now = std::chrono::steady_clock::now();
  if (sent != f.sent) {
    f.sent = sent;
    f.last_activity = now;
  }
  // The library's own low-speed check averages over several seconds; a silent server should
  // time out after the time-out itself.
  if (f.fetcher.timeout > 0 && now - f.last_activity > std::chrono::seconds(f.fetcher.timeout))
    return 1;
  if (!f.name_resolved) {
    curl_off_t lookup = 0;
    if (curl_easy_getinfo(f.curl, CURLINFO_NAMELOOKUP_TIME_T, &lookup) == CURLE_OK && lookup > 0) {
      f.name_resolved = true;
      f.Notify(isNameResolved, f.PrimaryIp());
      f.Notify(isConnectingToServer, f.PrimaryIp());
    }
  }
  return f.cancel ? 1 : 0;
}

int OnPrereq(void* p, char*, char*, int, int) {
  static_cast<TFetch*>(p)->ReportConnected();
  return CURL_PREREQFUNC_OK;
}

int OnDebug(CURL*, curl_infotype type, char*, size_t size, void* p) {
  auto& f = *static_cast<TFetch*>(p);
  if (type == CURLINFO_HEADER_OUT) {
    f.ReportConnected();
    f.Notify(isSendingRequest);
    f.Notify(isRequestSent, std::to_string(size));
  }
  return 0;
}

}  // namespace

void TWIGetURL::SetUrl(const std::string& url) {
  url_ = url;
  std::string rest = url;
  scheme_ = "http";
  if (StartsWithNoCase(rest, "http://")) {
    rest.erase(0, 7);
  } else if (StartsWithNoCase(rest, "https://")) {
    scheme_ = "https";
    rest.erase(0, 8);
  }
  // The trailing "/" stays: "/dir/" and "/dir" are different resources, and a query may end in one.
  const auto slash = rest.find('/');
  host_name_ = rest.substr(0, slash);
  object_name_ = slash == std::string::npos ? "/" : rest.substr(slash);
}

std::string TWIGetURL::RequestUrl() const {
  const std::string host = port ? WithoutPort(host_name_) + ":" + std::to_string(port) : host_name_;
  return scheme_ + "://" + host + object_name_;
}

void TWIGetURL::Clear() {
  body_.clear();
  status_message_.clear();
  error_ = false;
  last_error_ = 0;
  byte_count_ = 0;
}

bool TWIGetURL::Request(bool post) {
  Clear();
  cancel_ = false;
  EnsureCurlStarted();
  CURL* curl = curl_easy_init();
  if (!curl) {
    status_message_ = "Unable to Open Internet Session";
    error_ = true;
    return false;
  }
  if (WithoutPort(host_name_).empty()) {
    curl_easy_cleanup(curl);
    status_message_ = "Unable to Open Internet Connection";
    error_ = true;
    return false;
  }

  TFetch f{*this, cancel_, body_, byte_count_};
  f.curl = curl;
  f.follow = !(open_url_options & ouNoAutoRedirect);
  f.block_size = std::max<size_t>(1, buffer_size);

  const std::string url = RequestUrl();
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_USERAGENT, application_name.c_str());
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  if (open_options == TOpenOptions::ooDirect) curl_easy_setopt(curl, CURLOPT_PROXY, "");
  if (timeout > 0) {
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(timeout));
    // A server that sends nothing for this long has timed out, whether it owes the response
    // or the rest of the body.
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(timeout));
  }
  curl_easy_setopt(curl, CURLOPT_BUFFERSIZE,
                   static_cast<long>(std::clamp<size_t>(f.block_size, 1024, CURL_MAX_READ_SIZE)));
  if (f.follow) {
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    // A redirect keeps to the address's scheme unless a flag lets it change over.
    std::string allowed = scheme_;
    if (open_url_options & ouIgnoreRedirectToHTTPS) allowed += ",https";
    if (open_url_options & ouIgnoreRedirectToHTTP) allowed += ",http";
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, allowed.c_str());
  }
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  if (open_url_options & ouIgnoreCertCNInvalid) curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);

  curl_slist* header_list = nullptr;
  size_t start = 0;
  while (start < headers.size()) {
    auto end = headers.find('\n', start);
    if (end == std::string::npos) end = headers.size();
    std::string line = headers.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) header_list = curl_slist_append(header_list, line.c_str());
    start = end + 1;
  }
  if (open_url_options & ouPragmaNoCache)
    header_list = curl_slist_append(header_list, "Pragma: no-cache");
  if (post) {
    // The request carries exactly the headers it was given: no content type of our own, and
    // no waiting for a go-ahead before the data.
    const std::string lower = Lower(headers);
    if (lower.find("content-type:") == std::string::npos)
      header_list = curl_slist_append(header_list, "Content-Type:");
    header_list = curl_slist_append(header_list, "Expect:");
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, post_data.c_str());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(post_data.size()));
  }
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, header_list);

  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, OnHeader);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &f);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnWrite);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &f);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnXferInfo);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &f);
  curl_easy_setopt(curl, CURLOPT_PREREQFUNCTION, OnPrereq);
  curl_easy_setopt(curl, CURLOPT_PREREQDATA, &f);
  // The debug channel is the only one that tells when the request went out.
  curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, OnDebug);
  curl_easy_setopt(curl, CURLOPT_DEBUGDATA, &f);
  curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);

  f.Notify(isResolvingName, WithoutPort(host_name_));
  CURLcode rc = curl_easy_perform(curl);
  if (rc == CURLE_PEER_FAILED_VERIFICATION && !f.headers_handled) {
    // A certificate from an unknown authority is accepted on a second try.
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
    rc = curl_easy_perform(curl);
  }
  f.Notify(isRequestComplete);
  if (!f.headers_handled && f.headers_complete) f.HandleHeaders();
  // What arrived after the last full block is one more read.
  if (f.headers_handled && f.stop == TStop::kNone && !f.block.empty())
    f.CompleteRead(f.block.size());

  f.Notify(isHandleClosing);
  f.Notify(isClosingConnection);
  curl_easy_cleanup(curl);
  curl_slist_free_all(header_list);
  f.Notify(isConnectionClosed);
  f.Notify(isHandleClosed);

  if (!f.headers_handled) {
    status_message_ = "Unable to Send HTTP Request";
    last_error_ = static_cast<long>(rc);
    error_ = true;
    return false;
  }
  switch (f.stop) {
    case TStop::kRefused:
      last_error_ = f.status;
      status_message_ = f.refused_reason;
      error_ = true;
      return false;
    case TStop::kDenied:
      status_message_ = "Retrieval Denied";
      return false;
    case TStop::kTruncated:
      status_message_ = "Data truncated";
      return true;
    case TStop::kReadCap:
      status_message_ = "Loop aborted";
      return true;
    case TStop::kNone:
      if (rc == CURLE_OK) {
        status_message_ = post ? "" : "Success";
        return true;
      }
      break;
    case TStop::kCancelled:
      break;
  }
  status_message_ = "Retrieval Interrupted";
  error_ = true;
  return false;
}

}  // namespace quillora
