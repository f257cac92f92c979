// A browser-like HTTP session on libcurl for headless work: one cookie jar kept across requests,
// redirects with a browser's method rules, urlencoded and multipart posts, bounded waits.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "net/transfer_result.h"

namespace quillora {

class TTransferAbort;

// How long a request may take and how much of a reply is kept.
struct TBrowserLimits {
  long connect_seconds = 30;
  // The whole request, redirects included.
  long total_seconds = 120;
  // A server that sends nothing for this long ends the request.
  long stall_seconds = 60;
  // Bytes of a reply body kept; the rest is not read (the reply is marked truncated).
  size_t max_body = 8 * 1024 * 1024;
  long max_redirects = 10;
};

// One part of a multipart/form-data body: a value, or a local file sent under its own name.
struct TMultipartPart {
  std::string name;   // bytes as sent
  std::string value;  // a value part's bytes
  bool is_file = false;
  // A file part: the file to send; empty for a file input left empty (sent as an empty part
  // with an empty file name, as browsers do).
  std::string file_path;
};

struct TBrowserRequest {
  std::string method = "GET";  // "GET" or "POST"
  std::string url;
  // A POST body and its type (default application/x-www-form-urlencoded).
  std::string body;
  std::string content_type;
  // Not empty: a multipart/form-data POST of these parts instead of the body.
  std::vector<TMultipartPart> parts;
  std::string referer;
  // Further "Name: value" headers; CR LF separated text is accepted too.
  std::vector<std::string> headers;
};

struct TBrowserReply {
  // A transfer error (no reply, time-out, a file part that cannot be read); an HTTP status
  // of 400 or more is a reply like any other and leaves trNoError.
  TTransferResult result = trNoError;
  // What went wrong, for messages: libcurl's text, or for trCannotLoad the file that could not
  // be read.
  std::string error_text;
  long status = 0;  // the last response's HTTP status; 0 when none came
  std::string final_url;
  std::string content_type;
  std::string body;
  bool truncated = false;
};

class TBrowserSession {
 public:
  explicit TBrowserSession(TBrowserLimits limits = {}, const TTransferAbort* abort = nullptr);
  ~TBrowserSession();
  TBrowserSession(const TBrowserSession&) = delete;
  TBrowserSession& operator=(const TBrowserSession&) = delete;

  // Sends the request and follows redirects: 301, 302 and 303 after a POST continue as a GET
  // without the body, 307 and 308 repeat the request. Cookies set by any reply are sent with
  // every later request of this session.
  TBrowserReply Send(const TBrowserRequest& request);

  // The cookies the session holds, in libcurl's Netscape line form (diagnostics and tests).
  std::vector<std::string> Cookies() const;

  // What the session calls itself: a current desktop browser's user agent, since sites answer
  // other agents with different pages or not at all.
  static const char* UserAgent();

 private:
  TBrowserLimits limits_;
  const TTransferAbort* abort_;
  void* curl_ = nullptr;  // the easy handle: its cookie engine is the jar
};

}  // namespace quillora
