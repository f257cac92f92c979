#include "net/web_charset.h"

#include <cctype>
#include <memory>
#include <vector>

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

#include "foundation/codepage.h"

namespace quillora {

namespace {

struct TConverterDeleter {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using TConverter = std::unique_ptr<UConverter, TConverterDeleter>;

TConverter Open(std::string_view charset) {
  UErrorCode status = U_ZERO_ERROR;
  TConverter c(ucnv_open(std::string(charset).c_str(), &status));
  if (U_FAILURE(status)) c.reset();
  return c;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string Trimmed(std::string_view s) {
  const char* blanks = " \t\r\n\f\"'";
  const size_t b = s.find_first_not_of(blanks);
  if (b == std::string_view::npos) return {};
  const size_t e = s.find_last_not_of(blanks);
  return std::string(s.substr(b, e - b + 1));
}

// The value after "charset=" in text, up to a quote, blank, semicolon or '>'.
std::string CharsetParameter(std::string_view text) {
  const std::string lower = Lower(text);
  const size_t at = lower.find("charset");
  if (at == std::string::npos) return {};
  size_t i = at + 7;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  if (i >= text.size() || text[i] != '=') return {};
  ++i;
  while (i < text.size() &&
         (std::isspace(static_cast<unsigned char>(text[i])) || text[i] == '"' || text[i] == '\''))
    ++i;
  size_t end = i;
  while (end < text.size() && text[end] != '"' && text[end] != '\'' && text[end] != ';' &&
         text[end] != '>' && text[end] != '/' &&
         !std::isspace(static_cast<unsigned char>(text[end])))
    ++end;
  return std::string(text.substr(i, end - i));
}

}  // namespace

std::string KnownCharset(std::string_view name) {
  std::string n = Trimmed(name);
  if (n.empty()) return {};
  // Browsers read Latin-1 and ASCII labels as windows-1252.
  const std::string lower = Lower(n);
  if (lower == "iso-8859-1" || lower == "latin1" || lower == "us-ascii" || lower == "ascii" ||
      lower == "iso8859-1")
    n = "windows-1252";
  TConverter c = Open(n);
  if (!c) return {};
  UErrorCode status = U_ZERO_ERROR;
  const char* canonical = ucnv_getName(c.get(), &status);
  if (U_FAILURE(status) || !canonical) return {};
  // ICU names the Windows sets "ibm-5348_P100-1997" and the like: keep the web's label.
  std::string result = canonical;
  if (result.rfind("ibm-", 0) == 0 || result.find('_') != std::string::npos) return n;
  return result;
}

std::string CharsetOfContentType(std::string_view content_type) {
  return Trimmed(CharsetParameter(content_type));
}

std::string DeclaredCharset(std::string_view html) {
  const std::string head = Lower(html.substr(0, 4096));
  size_t at = 0;
  while ((at = head.find("<meta", at)) != std::string::npos) {
    const size_t end = head.find('>', at);
    const std::string_view tag =
        std::string_view(head).substr(at, end == std::string::npos ? std::string::npos : end - at);
    at += 5;
    const std::string charset = CharsetParameter(tag);
    if (!charset.empty()) return charset;
  }
  return {};
}

std::string ReplyCharset(std::string_view content_type, std::string_view body) {
  std::string charset = KnownCharset(CharsetOfContentType(content_type));
  if (charset.empty()) charset = KnownCharset(DeclaredCharset(body));
  if (charset.empty()) charset = IsValidUtf8(body) ? "UTF-8" : "windows-1252";
  return charset;
}

std::string DecodeToUtf8(std::string_view bytes, std::string_view charset) {
  const std::string known = KnownCharset(charset);
  if (known.empty() || known == "UTF-8") {
    if (IsValidUtf8(bytes)) return std::string(bytes);
    return WideToUtf8(Utf8ToWideStrict(bytes));
  }
  TConverter c = Open(known);
  if (!c) return std::string(bytes);
  UErrorCode status = U_ZERO_ERROR;
  std::u16string wide(bytes.size() * 2 + 16, u'\0');
  const int32_t n = ucnv_toUChars(c.get(), reinterpret_cast<UChar*>(wide.data()),
                                  static_cast<int32_t>(wide.size()), bytes.data(),
                                  static_cast<int32_t>(bytes.size()), &status);
  if (U_FAILURE(status)) return WideToUtf8(Utf8ToWideStrict(bytes));
  wide.resize(static_cast<size_t>(n));
  return WideToUtf8(wide);
}

std::string EncodeWide(std::u16string_view text, std::string_view charset) {
  const std::string known = KnownCharset(charset);
  if (known.empty() || known == "UTF-8") return WideToUtf8(text);
  TConverter c = Open(known);
  if (!c) return WideToUtf8(text);
  UErrorCode status = U_ZERO_ERROR;
  ucnv_setFromUCallBack(c.get(), UCNV_FROM_U_CALLBACK_ESCAPE, UCNV_ESCAPE_XML_DEC, nullptr, nullptr,
                        &status);
  if (U_FAILURE(status)) return WideToUtf8(text);
  std::string out(text.size() * 10 + 16, '\0');
  const int32_t n = ucnv_fromUChars(c.get(), out.data(), static_cast<int32_t>(out.size()),
                                    reinterpret_cast<const UChar*>(text.data()),
                                    static_cast<int32_t>(text.size()), &status);
  if (U_FAILURE(status)) return WideToUtf8(text);
  out.resize(static_cast<size_t>(n));
  return out;
}

}  // namespace quillora
