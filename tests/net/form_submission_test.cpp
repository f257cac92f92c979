#include "net/form_submission.h"

#include <gtest/gtest.h>

#include "net/headless_submit.h"
#include "net/web_charset.h"
#include "sites/site.h"
#include "submit/html_document.h"

namespace quillora {
namespace {

struct Case {
  const char* what;
  const char* html;  // one form; the page's address is http://site.test/dir/page.html
  const char* charset;
  const char* method;
  const char* action;
  const char* data;  // the urlencoded entries
};

// What a browser puts into the form data set, and how it encodes it.
TEST(FormSubmissionTest, SuccessfulControlsInDocumentOrder) {
  const Case cases[] = {
      {"unchecked boxes, disabled controls, other buttons and nameless controls stay out",
       R"(<form method=post action="send.php"><input name=a value="x y">
          <input type=checkbox name=c1 value=1 checked><input type=checkbox name=c2 value=2>
          <input type=checkbox name=c3 checked><input name=d value=no disabled>
          <input value=nameless><input type=submit name=go value=Go>
          <input type=submit name=other value=Other><input type=reset name=r>
          <button type=button name=b>b</button><input type=hidden name=h value="a&b=c"></form>)",
       "UTF-8", "POST", "http://site.test/dir/send.php", "a=x+y&c1=1&c3=on&go=Go&h=a%26b%3Dc"},
      {"selected options send their values (or texts); a multiple list sends each",
       R"(<form><select name=s><option value=1>One<option selected value=2>Two</select>
          <select name=m multiple><option selected>Red<option>Green<option selected>Blue</select>
          <select name=n><option selected disabled value=z>Z</select></form>)",
       "UTF-8", "GET", "http://site.test/dir/page.html", "s=2&m=Red&m=Blue"},
      {"line breaks: CR LF in a text area, none in a text input; bytes outside *-._ escaped",
       "<form method=POST action=/abs><textarea name=t>l1\nl2</textarea>"
       "<input name=u value='a\xC3\xA9~!'><input type=image name=pic src=go.gif></form>",
       "UTF-8", "POST", "http://site.test/abs", "t=l1%0D%0Al2&u=a%C3%A9%7E%21&pic.x=0&pic.y=0"},
      {"the first known set of accept-charset wins; characters it cannot hold become references",
       "<form method=post accept-charset='x-unknown windows-1251'>"
       "<input name=n value='\xD0\x96\xE2\x82\xAC\xE4\xB8\xAD'></form>",
       "UTF-8", "POST", "http://site.test/dir/page.html", "n=%C6%88%26%2320013%3B"},
      {"the page's own set without accept-charset; a button's value; form overrides",
       "<form action=a method=get><input name=n value='\xC3\xA9'>"
       "<button name=b value=v formaction='../b?x=1#f' formmethod=post>Go</button></form>",
       "windows-1252", "POST", "http://site.test/b?x=1", "n=%E9&b=v"},
  };
  for (const Case& c : cases) {
    THtmlDocument doc(c.html, "http://site.test/dir/page.html");
    ASSERT_EQ(doc.FormCount(), 1) << c.what;
    const auto& form = dynamic_cast<const THtmlForm&>(*doc.FormAt(0));
    const TFormSubmission s =
        BuildFormSubmission(form, DefaultButton(form), "http://site.test/dir/page.html", c.charset);
    EXPECT_EQ(s.method, c.method) << c.what;
    EXPECT_EQ(s.action, c.action) << c.what;
    EXPECT_EQ(UrlEncodedFormData(s.entries, s.charset), c.data) << c.what;
  }
}

TEST(FormSubmissionTest, RequestsCarryTheDataAsABrowserSendsIt) {
  THtmlDocument doc(
      R"html(<form action="find?old=1#top"><input name=q value="a b"><input type=submit></form>
         <form method=post enctype="multipart/form-data" action=up><input name=t value=v>
         <input type=file name=f><input type=file name=empty></form>
         <form action="javascript:send()"><input name=x value=1></form>)html",
      "http://site.test/dir/page.html");
  auto form = [&](int i) -> const THtmlForm& {
    return dynamic_cast<const THtmlForm&>(*doc.FormAt(i));
  };
  // GET replaces the action's query; the page is the referer.
  TBrowserRequest get = FormRequest(
      BuildFormSubmission(form(0), DefaultButton(form(0)), "http://site.test/dir/page.html", ""),
      "http://site.test/dir/page.html");
  EXPECT_EQ(get.method, "GET");
  EXPECT_EQ(get.url, "http://site.test/dir/find?q=a+b");
  EXPECT_EQ(get.referer, "http://site.test/dir/page.html");

  doc.ControlAt(3)->SetFileValue(u"/tmp/icon.png");
  const TBrowserRequest post =
      FormRequest(BuildFormSubmission(form(1), nullptr, "http://site.test/dir/page.html", ""), "");
  EXPECT_EQ(post.method, "POST");
  EXPECT_EQ(post.url, "http://site.test/dir/up");
  ASSERT_EQ(post.parts.size(), 3u);
  EXPECT_FALSE(post.parts[0].is_file);
  EXPECT_EQ(post.parts[0].value, "v");
  EXPECT_TRUE(post.parts[1].is_file);
  EXPECT_EQ(post.parts[1].file_path, "/tmp/icon.png");
  EXPECT_TRUE(post.parts[2].is_file);
  EXPECT_EQ(post.parts[2].file_path, "");

  EXPECT_TRUE(BuildFormSubmission(form(2), nullptr, "http://site.test/", "").script_action);
}

TEST(FormSubmissionTest, RepliesAreReadInTheirCharacterSet) {
  EXPECT_EQ(ReplyCharset("text/html; charset=\"Windows-1251\"", ""), "Windows-1251");
  EXPECT_EQ(ReplyCharset("text/html", "<head><meta charset=koi8-r>"), "koi8-r");
  EXPECT_EQ(ReplyCharset("", "<meta http-equiv=Content-Type content='text/html; charset=utf-8'>"),
            "UTF-8");
  EXPECT_EQ(ReplyCharset("", "plain \xE9"), "windows-1252");
  EXPECT_EQ(ReplyCharset("text/html; charset=nonsense", "ok"), "UTF-8");
  EXPECT_EQ(DecodeToUtf8("\xC6", "windows-1251"), "\xD0\x96");
  EXPECT_EQ(DecodeToUtf8("caf\xE9", "iso-8859-1"), "caf\xC3\xA9");
}

TEST(ReplyErrorTextTest, TheBlockHoldingTheFirstPhraseIsTheError) {
  const std::vector<std::string> phrases = {"is required", "ERROR:"};
  struct {
    const char* html;
    long status;
    const char* expected;
  } cases[] = {
      {"<p>Thank you, Sample Notes was received.</p>", 200, ""},
      {"<h1>Almost</h1><div class=e>The field <b>Version</b>\n is required.</div><p>Error: x</p>",
       200, "The field Version is required."},
      {"<script>var s='is required'</script><p>Fine</p>", 200, ""},
      {"<title>Bad request</title><p>Nope</p>", 400, "Bad request"},
      {"<p>Nope</p>", 500, "Nope"},
      {"", 404, "HTTP 404"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ReplyErrorText(c.html, c.status, phrases), c.expected) << c.html;
}

// A popup note that quotes the site's error texts gives those texts; a note without quotes is a
// phrase as a whole. Submit's notes come first, repeats are dropped.
TEST(ReplyErrorTextTest, PhrasesComeFromThePopupMessages) {
  TWebSite site;
  TOptionsList& popups = site.Info.PopupMessages();
  popups.SetString("Search", "Submission failed.");
  popups.SetString("Submit",
                   "Errors start with \"Submission failed.\" or \"Fehler\".\r\n  Closed  for now ");
  EXPECT_EQ(SiteErrorPhrases(site),
            (std::vector<std::string>{"Submission failed.", "Fehler", "Closed for now"}));
}

}  // namespace
}  // namespace quillora
