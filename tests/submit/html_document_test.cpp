#include "submit/html_document.h"

#include <string>

#include <gtest/gtest.h>

namespace quillora {
namespace {

std::vector<std::u16string> Names(const TDomForm* f) {
  std::vector<std::u16string> out;
  for (int i = 0; i < f->ElementCount(); ++i) out.push_back(f->ElementAt(i)->Name());
  return out;
}

TEST(HtmlDocument, FormOwnershipAsBrowsersResolveIt) {
  // A form opened inside a table is closed by the parser at once, yet owns the controls up to
  // its end tag; form= reaches across the page; a nested form tag is ignored.
  THtmlDocument doc(R"(<html><body>
    <table><form name="t" action="/go"><tr><td>Name</td><td><input name="a"></td></tr>
    <tr><td><select name="b"><option>x</option></select></td></tr></form></table>
    <input name="outside">
    <form id="f2" method="post" enctype="multipart/form-data"><input name="c">
      <form name="nested"><input name="d"></form>
    </form>
    <textarea name="e" form="f2">hi</textarea>
    <input name="orphan" form="nope">
  </body></html>)",
                    "http://example.test/submit/");
  ASSERT_EQ(doc.FormCount(), 2);
  const TDomForm* t = doc.FormAt(0);
  EXPECT_EQ(t->Name(), u"t");
  EXPECT_EQ(t->Action(), u"/go");
  EXPECT_EQ(Names(t), (std::vector<std::u16string>{u"a", u"b"}));
  const TDomForm* f2 = doc.FormAt(1);
  EXPECT_EQ(f2->Method(), u"post");
  EXPECT_EQ(f2->Encoding(), u"multipart/form-data");
  EXPECT_EQ(Names(f2), (std::vector<std::u16string>{u"c", u"d", u"e"}));
  EXPECT_EQ(doc.ControlCount(), 7);
  EXPECT_EQ(doc.ControlAt(2)->Form(), nullptr);  // "outside"
  EXPECT_EQ(doc.ControlAt(6)->Form(), nullptr);  // form= naming no form
  EXPECT_EQ(f2->ElementByName(u"e")->Value(), u"hi");
  EXPECT_EQ(f2->Document(), &doc);
  EXPECT_EQ(doc.URL(), u"http://example.test/submit/");
  EXPECT_EQ(doc.ReadyState(), u"complete");

  // Each control's outer HTML is found in its form's outer HTML, in order.
  const std::u16string outer = t->OuterHTML();
  size_t pos = 0;
  for (int i = 0; i < t->ElementCount(); ++i) {
    const size_t at = outer.find(t->ElementAt(i)->OuterHTML(), pos);
    ASSERT_NE(at, std::u16string::npos) << i;
    pos = at + 1;
  }
  EXPECT_NE(outer.find(u"Name</td>"), std::u16string::npos);
}

TEST(HtmlDocument, ControlStatesFromTheMarkup) {
  THtmlDocument doc(R"(<form>
    <input name="t" value="v" maxlength="12" size="30">
    <input name="plain" type="bogus">
    <input type="checkbox" name="c1" checked><input type="checkbox" name="c2">
    <input type="radio" name="r" value="1" checked><input type="radio" name="r" value="2" checked>
    <select name="s"><option>First</option><optgroup label="g"><option selected>  Two
      words </option></optgroup><option disabled>Off</option></select>
    <select name="none"><option disabled>-</option><option>A</option></select>
    <select name="m" multiple><option selected>A</option><option selected>B</option></select>
    <input type="file" name="icon"><input type="image" name="go" src="go.png">
    <textarea name="ta" maxlength="5"></textarea><button name="b">Send</button>
  </form>)");
  const TDomForm* f = doc.FormAt(0);
  auto el = [&](const char16_t* n) { return f->ElementByName(n); };
  EXPECT_EQ(el(u"t")->Value(), u"v");
  EXPECT_EQ(el(u"t")->MaxLength(), 12);
  EXPECT_EQ(el(u"t")->Size(), 30);
  EXPECT_EQ(el(u"plain")->Type(), u"text");
  EXPECT_EQ(el(u"plain")->MaxLength(), 2147483647);
  EXPECT_EQ(el(u"plain")->Size(), 20);
  EXPECT_TRUE(el(u"c1")->Checked());
  EXPECT_FALSE(el(u"c2")->Checked());
  EXPECT_EQ(el(u"c1")->Value(), u"on");
  EXPECT_FALSE(f->ElementAt(4)->Checked());  // the later checked radio wins
  EXPECT_TRUE(f->ElementAt(5)->Checked());
  f->ElementAt(4)->SetChecked(true);
  EXPECT_FALSE(f->ElementAt(5)->Checked());

  TDomElement* s = el(u"s");
  ASSERT_EQ(s->OptionCount(), 3);
  EXPECT_EQ(s->OptionAt(1)->Text(), u"Two words");
  EXPECT_EQ(s->SelectedIndex(), 1);
  s->OptionAt(0)->SetSelected(true);
  EXPECT_EQ(s->SelectedIndex(), 0);
  EXPECT_FALSE(s->OptionAt(1)->Selected());
  EXPECT_EQ(el(u"none")->SelectedIndex(), 1);  // first enabled option of a drop-down
  TDomElement* m = el(u"m");
  EXPECT_TRUE(m->Multiple());
  EXPECT_TRUE(m->OptionAt(0)->Selected() && m->OptionAt(1)->Selected());

  EXPECT_EQ(el(u"icon")->Type(), u"file");
  el(u"icon")->SetFileValue(u"/tmp/icon.png");
  EXPECT_EQ(el(u"icon")->Value(), u"/tmp/icon.png");
  EXPECT_EQ(el(u"go")->Type(), u"image");  // image buttons are part of the collection
  EXPECT_EQ(el(u"ta")->TagName(), u"TEXTAREA");
  EXPECT_EQ(el(u"ta")->MaxLength(), 5);
  EXPECT_EQ(el(u"b")->TagName(), u"BUTTON");
  EXPECT_FALSE(el(u"t")->RuntimeStyle(TDomStyle::Color).has_value());
  el(u"t")->SetRuntimeStyle(TDomStyle::Color, u"#0000FF");
  EXPECT_EQ(*el(u"t")->RuntimeStyle(TDomStyle::Color), u"#0000FF");
}

TEST(HtmlDocument, FramesFromSrcdocAndLoader) {
  int loads = 0;
  THtmlDocument doc(
      R"(<iframe srcdoc="<form><input name=inner></form>"></iframe>
         <iframe src="framed.html"></iframe><iframe src="missing.html"></iframe>
         <iframe src="self.html"></iframe>)",
      "http://example.test/dir/page.html", [&](const std::string& address) {
        ++loads;
        if (address == "http://example.test/dir/framed.html") {
          return std::optional<std::string>("<form name=fr><input name=x></form>");
        }
        if (address == "http://example.test/dir/self.html") {
          return std::optional<std::string>("<iframe src='self.html'></iframe>");
        }
        return std::optional<std::string>();
      });
  ASSERT_EQ(doc.FrameCount(), 3);
  EXPECT_EQ(doc.FrameAt(0)->FormAt(0)->ElementAt(0)->Name(), u"inner");
  EXPECT_EQ(doc.FrameAt(1)->FormAt(0)->Name(), u"fr");
  EXPECT_EQ(doc.FrameAt(1)->URL(), u"http://example.test/dir/framed.html");
  EXPECT_EQ(doc.FrameAt(1)->TopDocument(), &doc);
  EXPECT_LT(loads, 2 + THtmlDocument::kMaxFrameDepth + 2);  // a page framing itself stops
}

TEST(HtmlDocument, HostileInputParses) {
  std::string deep(20000, '<');
  for (size_t i = 0; i < deep.size(); i += 5) deep.replace(i, 5, "<div>");
  THtmlDocument a(deep + "<form><input name=x>");
  EXPECT_EQ(a.FormCount(), 1);
  THtmlDocument b(std::string("<form><input name=\"\xE9t\xE9\"></form>"));  // code-page bytes
  EXPECT_EQ(b.FormAt(0)->ElementAt(0)->Name(), u"\u00E9t\u00E9");
  THtmlDocument c("");
  EXPECT_EQ(c.FormCount(), 0);
}

}  // namespace
}  // namespace quillora
