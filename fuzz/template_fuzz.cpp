// Template expansion, templatizing and the URL helpers over arbitrary text and a small value list.
// Input: one mode byte, the template, a NUL byte, then the value list as option-list text.
// Mode bits: 0-1 engine (code page, UTF-8, wide), 2 language prefix "German/", 3 MAKEFILE's
// dialog answers "/dev/null" instead of cancelling.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "foundation/codepage.h"
#include "foundation/option_list.h"
#include "template/template.h"
#include "template/url_helpers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool init = [] {
    quillora::SetSystemCodePage(1252);
    return true;
  }();
  (void)init;
  if (size == 0) return 0;
  const unsigned mode = data[0];
  std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  size_t nul = rest.find('\0');
  std::string text(rest.substr(0, nul));
  quillora::TOptionsList values;
  if (nul != std::string_view::npos) values.SetText(rest.substr(nul + 1));

  quillora::TExpandOptions options;
  const bool answer = (mode & 8) != 0;
  options.save_dialog = [answer](const quillora::TSaveFileRequest&, std::string& path) {
    if (!answer) return false;
    path = "/dev/null";
    return true;
  };
  const std::string_view prefix = (mode & 4) ? "German/" : "";

  switch (mode & 3) {
    case 0: {
      std::string t = text;
      quillora::ExpandTemplate(values, '|', t, prefix, options);
      break;
    }
    case 1: {
      std::string t = text;
      quillora::ExpandTemplateUtf8(values, '|', t, prefix, options);
      break;
    }
    default:
      quillora::ExpandTemplateToWide(text, values, prefix, options);
      break;
  }
  quillora::TemplatizeText(text, values);

  quillora::UrlDirectory(text);
  quillora::ResolveUrl(text, text.substr(text.size() / 2));
  quillora::IsAbsoluteUrl(text);
  quillora::SplitUrl(text);
  return 0;
}
