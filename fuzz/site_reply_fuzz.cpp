// An arbitrary reply of a site, read as headless submission reads it: its character set guessed
// and decoded, its error text looked for, and every form of it serialised as a browser would.
// Never crashes; replies are cut at 64 KB.
#include <cstddef>
#include <cstdint>
#include <string>

#include "net/form_submission.h"
#include "net/headless_submit.h"
#include "net/web_charset.h"
#include "submit/form_filler.h"
#include "submit/html_document.h"

using namespace quillora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 64 * 1024) return 0;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  // The first line stands for the reply's Content-Type.
  const size_t eol = bytes.find('\n');
  const std::string content_type = eol == std::string::npos ? "" : bytes.substr(0, eol);
  const std::string body = eol == std::string::npos ? bytes : bytes.substr(eol + 1);
  const std::string charset = ReplyCharset(content_type, body);
  const std::string html = DecodeToUtf8(body, charset);
  ReplyErrorText(html, 400, {"error", "is required"});
  try {
    THtmlDocument doc(html, "http://site.test/dir/page.html");
    ForEachDocument(&doc, [&](TDomDocument& d) {
      for (int i = 0; i < d.FormCount(); ++i) {
        const auto* form = dynamic_cast<const THtmlForm*>(d.FormAt(i));
        if (!form) continue;
        const TFormSubmission s = BuildFormSubmission(*form, DefaultButton(*form),
                                                      "http://site.test/dir/page.html", charset);
        FormRequest(s, "http://site.test/dir/page.html");
        EncodeWide(u"\u0416\u20AC", s.charset);
      }
    });
  } catch (const std::exception&) {
    // A page the parser refuses is not a crash.
  }
  return 0;
}
