#include "template/url_helpers.h"

#include "foundation/text_utils.h"

namespace quillora {

namespace {

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    char c = s[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    if (c != prefix[i]) return false;
  }
  return true;
}

}  // namespace

std::string UrlDirectory(std::string_view address) {
  std::string s = Trim(address);
  if (size_t q = s.find('?'); q != std::string::npos) s.resize(q);
  size_t dslash = s.find("//");
  size_t from = dslash == std::string::npos ? 1 : dslash + 2;
  size_t last = s.rfind('/');
  if (last != std::string::npos && last >= from) return s.substr(0, last + 1);
  return s + "/";
}

std::string ResolveUrl(std::string_view base_in, std::string_view relative) {
  std::string base(base_in);
  // root: 0-based index of the "/" that starts the path; the part up to it is kept for
  // addresses relative to the root.
  size_t root;
  size_t scheme = base.find("://");
  if (scheme != std::string::npos) {
    root = base.find('/', scheme + 3);
  } else {
    root = base.find('/');
  }
  if (root != std::string::npos) {
    if (base.back() != '/') base += '/';
  } else {
    // No "/" after the host (or none at all): the appended "/" starts the path. Taking the
    // second "/" of "://" instead would lose the host for root-relative addresses.
    base += '/';
    root = base.size() - 1;
  }

  std::string rel = Trim(relative);
  std::string result =
      !rel.empty() && rel.front() == '/' ? base.substr(0, root + 1) + rel.substr(1) : base + rel;

  for (;;) {
    size_t up = result.find("/../");
    if (up == std::string::npos) break;
    if (up > root) {
      size_t prev = result.rfind('/', up - 1);
      if (prev == std::string::npos) break;
      result.erase(prev + 1, up + 4 - (prev + 1));
    } else {
      result.erase(up + 1, 3);
    }
  }
  for (size_t dot; (dot = result.find("/./")) != std::string::npos;) result.erase(dot + 1, 2);
  return result;
}

bool IsAbsoluteUrl(std::string_view address) {
  if (address.find("://") != std::string_view::npos) return true;
  for (size_t i = 0; i + 7 <= address.size(); ++i)
    if (StartsWithNoCase(address.substr(i), "mailto:")) return true;
  return false;
}

size_t LastOccurrence(std::string_view sub, std::string_view text) {
  if (sub.empty()) return 0;
  size_t p = text.rfind(sub);
  return p == std::string_view::npos ? 0 : p + 1;
}

TUrlParts SplitUrl(std::string_view address) {
  TUrlParts parts;
  if (address.empty()) return parts;
  std::string_view rest;
  if (size_t p = address.find("://"); p != std::string_view::npos) {
    parts.scheme = address.substr(0, p);
    rest = address.substr(p + 3);
  } else if (address.front() == '/') {
    parts.scheme = "http";
    if (address.size() < 2 || address[1] != '/') {
      parts.path = address;
      return parts;
    }
    rest = address.substr(2);
  } else if (StartsWithNoCase(address, "http:")) {
    parts.scheme = "http";
    if (address.size() > 6 && address[6] != '/') {
      parts.path = address.substr(5);
      return parts;
    }
    rest = address.substr(std::min<size_t>(6, address.size()));
  } else if (StartsWithNoCase(address, "mailto:")) {
    parts.scheme = "mailto";
    rest = address.substr(address.find(':') + 1);
  } else {
    rest = address;
  }

  size_t slash = rest.find('/');
  std::string_view authority = rest.substr(0, slash);
  if (slash != std::string_view::npos) parts.path = rest.substr(slash);

  size_t at = LastOccurrence("@", authority);     // 1-based
  size_t colon = LastOccurrence(":", authority);  // 1-based
  if (at == 0 && colon == 0) {
    parts.host = authority;
    return parts;
  }
  if (colon > at) {
    parts.port = authority.substr(colon);
    parts.host = authority.substr(at, colon - 1 - at);
    if (at == 0) return parts;
  } else {
    parts.host = authority.substr(at);
  }
  std::string_view info = authority.substr(0, at - 1);
  size_t c = info.find(':');
  parts.user = info.substr(0, c);
  if (c != std::string_view::npos) parts.password = info.substr(c + 1);
  return parts;
}

}  // namespace quillora
