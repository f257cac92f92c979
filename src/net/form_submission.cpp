#include "net/form_submission.h"

#include <cctype>

#include <curl/curl.h>

#include "foundation/codepage.h"
#include "net/web_charset.h"
#include "submit/html_document.h"

namespace quillora {

namespace {

std::u16string LowerAscii(std::u16string s) {
  for (char16_t& c : s) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return s;
}

std::u16string TrimAscii(std::u16string_view s) {
  const auto blank = [](char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f';
  };
  size_t b = 0, e = s.size();
  while (b < e && blank(s[b])) ++b;
  while (e > b && blank(s[e - 1])) --e;
  return std::u16string(s.substr(b, e - b));
}

bool IsSubmitButton(const THtmlElement& e) {
  if (e.TagName() == u"INPUT") return e.Type() == u"submit" || e.Type() == u"image";
  if (e.TagName() == u"BUTTON") {
    const std::u16string type = LowerAscii(TrimAscii(e.Attribute(u"type")));
    return type.empty() || type == u"submit" ||
           (type != u"button" && type != u"reset" && type != u"menu");
  }
  return false;
}

bool IsButton(const THtmlElement& e) {
  if (e.TagName() == u"BUTTON") return true;
  const std::u16string type = e.Type();
  return e.TagName() == u"INPUT" &&
         (type == u"submit" || type == u"image" || type == u"reset" || type == u"button");
}

// Every line break as CR LF, as a form data set is serialised.
std::u16string NormalizeNewlines(std::u16string_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == u'\r') {
      out += u"\r\n";
      if (i + 1 < s.size() && s[i + 1] == u'\n') ++i;
    } else if (s[i] == u'\n') {
      out += u"\r\n";
    } else {
      out.push_back(s[i]);
    }
  }
  return out;
}

// A single-line input cannot hold a line break: browsers strip them from its value.
std::u16string StripNewlines(std::u16string_view s) {
  std::u16string out;
  for (char16_t c : s) {
    if (c != u'\r' && c != u'\n') out.push_back(c);
  }
  return out;
}

std::string FormByteEncode(std::string_view bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (std::isalnum(c) || c == '*' || c == '-' || c == '.' || c == '_') {
      out.push_back(ch);
    } else if (c == ' ') {
      out.push_back('+');
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 15]);
    }
  }
  return out;
}

std::string Encoded(std::u16string_view text, std::string_view charset) {
  return EncodeWide(NormalizeNewlines(text), charset);
}

// The file name a GET or plain-text submission sends for a file entry.
std::u16string FileNameOf(std::u16string_view path) {
  const size_t slash = path.find_last_of(u"/\\");
  return std::u16string(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
}

// The address with its query (and fragment) replaced.
std::string WithQuery(const std::string& url, const std::string& query) {
  CURLU* u = curl_url();
  std::string out;
  if (u && curl_url_set(u, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK) {
    curl_url_set(u, CURLUPART_FRAGMENT, nullptr, 0);
    curl_url_set(u, CURLUPART_QUERY, query.empty() ? nullptr : query.c_str(), 0);
    char* full = nullptr;
    if (curl_url_get(u, CURLUPART_URL, &full, 0) == CURLUE_OK && full) out = full;
    curl_free(full);
  }
  curl_url_cleanup(u);
  if (out.empty()) {
    out = url.substr(0, url.find_first_of("?#"));
    if (!query.empty()) out += "?" + query;
  }
  return out;
}

}  // namespace

std::string ResolveWebAddress(std::string_view base, std::string_view relative) {
  const std::string rel(relative);
  CURLU* u = curl_url();
  std::string out = rel;
  if (u &&
      curl_url_set(u, CURLUPART_URL, std::string(base).c_str(), CURLU_NON_SUPPORT_SCHEME) ==
          CURLUE_OK &&
      curl_url_set(u, CURLUPART_URL, rel.c_str(), CURLU_NON_SUPPORT_SCHEME) == CURLUE_OK) {
    char* full = nullptr;
    if (curl_url_get(u, CURLUPART_URL, &full, 0) == CURLUE_OK && full) out = full;
    curl_free(full);
  }
  curl_url_cleanup(u);
  return out;
}

THtmlElement* DefaultButton(const THtmlForm& form) {
  for (int i = 0; i < form.ElementCount(); ++i) {
    auto* e = dynamic_cast<THtmlElement*>(form.ElementAt(i));
    if (e && IsSubmitButton(*e) && !e->HasAttribute(u"disabled")) return e;
  }
  return nullptr;
}

TFormSubmission BuildFormSubmission(const THtmlForm& form, const THtmlElement* submitter,
                                    std::string_view document_url,
                                    std::string_view document_charset) {
  TFormSubmission s;
  auto attribute = [&](std::u16string_view button_name, std::u16string_view form_name) {
    if (submitter && submitter->HasAttribute(button_name)) return submitter->Attribute(button_name);
    return form.Attribute(form_name);
  };

  const std::u16string method = LowerAscii(TrimAscii(attribute(u"formmethod", u"method")));
  s.method = method == u"post" ? "POST" : "GET";
  const std::u16string enctype = LowerAscii(TrimAscii(attribute(u"formenctype", u"enctype")));
  s.enctype = enctype == u"multipart/form-data" ? "multipart/form-data"
              : enctype == u"text/plain"        ? "text/plain"
                                                : "application/x-www-form-urlencoded";
  const std::string action = WideToUtf8(TrimAscii(attribute(u"formaction", u"action")));
  std::string lower_action = action;
  for (char& c : lower_action) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  s.script_action = lower_action.rfind("javascript:", 0) == 0;
  s.action = action.empty() ? std::string(document_url) : ResolveWebAddress(document_url, action);
  // The fragment stays with the browser.
  if (const size_t hash = s.action.find('#'); hash != std::string::npos) s.action.resize(hash);

  // The first set of accept-charset that is known, else the page's own.
  const std::string accept = WideToUtf8(form.Attribute(u"accept-charset"));
  size_t start = 0;
  while (s.charset.empty() && start < accept.size()) {
    size_t end = accept.find_first_of(" \t\r\n,", start);
    if (end == std::string::npos) end = accept.size();
    s.charset = KnownCharset(accept.substr(start, end - start));
    start = end + 1;
  }
  if (s.charset.empty()) s.charset = KnownCharset(document_charset);
  if (s.charset.empty() || s.charset.rfind("UTF-16", 0) == 0) s.charset = "UTF-8";

  for (int i = 0; i < form.ElementCount(); ++i) {
    const auto* e = dynamic_cast<const THtmlElement*>(form.ElementAt(i));
    if (!e || e->HasAttribute(u"disabled")) continue;
    const std::u16string tag = e->TagName();
    if (tag != u"INPUT" && tag != u"SELECT" && tag != u"TEXTAREA" && tag != u"BUTTON") continue;
    const std::u16string type = e->Type();
    if (IsButton(*e) && e != submitter) continue;
    const std::u16string name = e->Name();
    if (tag == u"INPUT" && type == u"image") {
      // The click's coordinates; a browser pressing it by keyboard sends 0,0.
      const std::u16string prefix = name.empty() ? u"" : name + u".";
      s.entries.push_back({prefix + u"x", u"0"});
      s.entries.push_back({prefix + u"y", u"0"});
      continue;
    }
    if (name.empty()) continue;
    if ((type == u"checkbox" || type == u"radio") && !e->Checked()) continue;
    if (tag == u"SELECT") {
      for (int k = 0; k < e->OptionCount(); ++k) {
        const auto* o = dynamic_cast<const THtmlOption*>(e->OptionAt(k));
        if (o && o->Selected() && !o->Disabled()) s.entries.push_back({name, o->Value()});
      }
      continue;
    }
    if (tag == u"INPUT" && type == u"file") {
      s.entries.push_back({name, e->Value(), true});
      continue;
    }
    if (tag == u"INPUT" && type == u"hidden" && LowerAscii(name) == u"_charset_" &&
        e->Value().empty()) {
      s.entries.push_back({name, Utf8ToWide(s.charset)});
      continue;
    }
    if (tag == u"BUTTON") {
      s.entries.push_back({name, e->Attribute(u"value")});
    } else if (tag == u"TEXTAREA") {
      s.entries.push_back({name, e->Value()});
    } else {
      s.entries.push_back({name, StripNewlines(e->Value())});
    }
  }
  return s;
}

std::string UrlEncodedFormData(const std::vector<TFormEntry>& entries, std::string_view charset) {
  std::string out;
  for (const TFormEntry& entry : entries) {
    if (!out.empty()) out.push_back('&');
    out += FormByteEncode(Encoded(entry.name, charset));
    out.push_back('=');
    out += FormByteEncode(Encoded(entry.is_file ? FileNameOf(entry.value) : entry.value, charset));
  }
  return out;
}

TBrowserRequest FormRequest(const TFormSubmission& submission, std::string_view referer) {
  TBrowserRequest r;
  r.referer = std::string(referer);
  if (submission.method == "GET") {
    r.method = "GET";
    r.url =
        WithQuery(submission.action, UrlEncodedFormData(submission.entries, submission.charset));
    return r;
  }
  r.method = "POST";
  r.url = submission.action;
  if (submission.enctype == "multipart/form-data") {
    for (const TFormEntry& entry : submission.entries) {
      TMultipartPart part;
      part.name = Encoded(entry.name, submission.charset);
      if (entry.is_file) {
        part.is_file = true;
        part.file_path = WideToUtf8(entry.value);
      } else {
        part.value = Encoded(entry.value, submission.charset);
      }
      r.parts.push_back(std::move(part));
    }
    // A form without a single entry still sends a multipart body, with no part in it.
    if (r.parts.empty()) {
      r.content_type = "multipart/form-data; boundary=----QuilloraFormBoundary";
      r.body = "------QuilloraFormBoundary--\r\n";
    }
  } else if (submission.enctype == "text/plain") {
    r.content_type = "text/plain";
    for (const TFormEntry& entry : submission.entries) {
      r.body += Encoded(entry.name, submission.charset) + "=" +
                Encoded(entry.is_file ? FileNameOf(entry.value) : entry.value, submission.charset) +
                "\r\n";
    }
  } else {
    r.content_type = "application/x-www-form-urlencoded";
    r.body = UrlEncodedFormData(submission.entries, submission.charset);
  }
  return r;
}

}  // namespace quillora
