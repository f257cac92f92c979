#include "submit/form_filler.h"

#include <gtest/gtest.h>

#include "fill_fixture.h"
#include "form_corpus.h"
#include "foundation/app_state.h"
#include "foundation/codepage.h"
#include "sites/site.h"
#include "submit/html_document.h"

namespace quillora::test {
namespace {

std::u16string U(const std::string& s) {
  return Utf8ToWide(s);
}

TDomElement* El(THtmlDocument& doc, const char16_t* name, int form = 0) {
  return doc.FormAt(form)->ElementByName(name);
}

std::u16string Selected(TDomElement* e) {
  const int i = e->SelectedIndex();
  return i < 0 ? u"" : e->OptionAt(i)->Text();
}

// A stored form with one field per (name, type, rule).
struct FieldSpec {
  const char* name;
  int type;
  const char* rule;
};
TWebForm& AddStoredForm(TWebSite& site, std::initializer_list<FieldSpec> fields,
                        const std::string& url = {}) {
  TWebForm& f = site.Forms().AddForm();
  f.URL = url;
  for (const FieldSpec& s : fields) {
    TFormField& field = f.AddField();
    field.SetFieldName(s.name);
    field.SetFieldType(s.type);
    field.SetFillWith(s.rule);
  }
  f.UpdateFingerprint();
  return f;
}

using FillEngine = FillTest;

TEST_F(FillEngine, Readiness) {
  struct Case {
    const char* html;
    const char16_t* state;
    int element_state;
    bool ready;
  } cases[] = {
      {"<form><input name=a></form>", u"complete", 4, true},
      {"<form><input name=a></form>", u"interactive", 3, true},
      {"<form><input name=a></form>", u"loading", 4, false},
      {"<form><input name=a></form>", u"complete", 2, false},  // a control still loading
      {"<p>no forms</p>", u"complete", 4, false},
  };
  for (const Case& c : cases) {
    THtmlDocument doc(c.html);
    doc.SetReadyState(c.state);
    if (doc.ControlCount() > 0) doc.ControlAt(0)->SetReadyState(c.element_state);
    EXPECT_EQ(IsDocumentReady(&doc), c.ready) << c.html;
  }
  EXPECT_FALSE(IsDocumentReady(nullptr));
}

TEST_F(FillEngine, KnownFormFieldsByType) {
  TWebSite site;
  TWebForm& stored =
      AddStoredForm(site, {{"short", ftText, "|Program_Descriptions/English/Char_Desc_45|"},
                           {"agree", ftCheck, "TRUE"},
                           {"news", ftCheck, "FALSE"},
                           {"lic", ftRadio, "FALSE"},
                           {"month", ftList, "|Program_Info/Program_Release_Month|"},
                           {"day", ftList, "|Program_Info/Program_Release_Day|"},
                           {"icon", ftFile, "|Web_Info/Application_URLs/Application_Icon_URL|"},
                           {"untouched", ftText, ""}});
  stored.FieldAt(0).SetMaxLength(10);
  stored.Purpose = fpSubmit;
  stored.UpdateFingerprint();
  THtmlDocument doc(R"(<form><input name="short"><input type=checkbox name=agree>
    <input type=checkbox name=news checked><input type=radio name=lic checked>
    <select name=month><option>Month</option><option>01</option><option>02</option>
      <option>03</option></select>
    <select name=day><option>Day</option><option>1</option><option>2</option>
      <option>14</option></select>
    <input type=file name=icon><input name=untouched value=keep></form>)");
  int forms = 0;
  TFillMode mode = fmGuessed;
  const TData1 r = FillDocument(&doc, &site, true, [&](TDomForm*, TFillMode m, TFormPurpose) {
    ++forms;
    mode = m;
  });
  EXPECT_EQ(forms, 1);
  EXPECT_EQ(mode, fmKnown);
  EXPECT_EQ(r.result, fpSubmit);
  EXPECT_EQ(r.result_form, doc.FormAt(0));
  EXPECT_EQ(El(doc, u"short")->Value(), u"Fast, sear");  // cut to the stored maximum length
  EXPECT_TRUE(El(doc, u"agree")->Checked());
  EXPECT_FALSE(El(doc, u"news")->Checked());      // a check box is cleared by FALSE
  EXPECT_TRUE(El(doc, u"lic")->Checked());        // a radio button is not
  EXPECT_EQ(Selected(El(doc, u"month")), u"03");  // padded: the third option starts with 0
  EXPECT_EQ(Selected(El(doc, u"day")), u"14");
  EXPECT_EQ(El(doc, u"icon")->Value(),
            U("http://sample-company.localhost:8765/sample-notes/icon.png"));
  EXPECT_EQ(El(doc, u"untouched")->Value(), u"");  // an empty rule writes an empty value
  EXPECT_FALSE(El(doc, u"untouched")->RuntimeStyle(TDomStyle::Color).has_value());
  EXPECT_EQ(*El(doc, u"agree")->RuntimeStyle(TDomStyle::Color), u"#0000FF");
  EXPECT_EQ(*El(doc, u"agree")->RuntimeStyle(TDomStyle::BackgroundColor), u"#FFFFFF");
}

TEST_F(FillEngine, ListStrategies) {
  Profile().SetString("Program_Info/Program_Release_Month", "03");
  struct Case {
    const char* options;
    const char* rule;
    const char16_t* expected;
    bool red;
  } cases[] = {
      // Month without leading zeros: the value loses its zero.
      {"<option>Month<option>1<option>2<option>3", "|Program_Info/Program_Release_Month|", u"3",
       false},
      {"<option>Freeware<option>Shareware<option>Demo", "|Program_Info/Program_Type|", u"Shareware",
       false},
      {"<option>Select<option>Home &amp; Garden<option>Games<option>Productivity Tools",
       "|Program_Category|", u"Productivity Tools", true},  // the best option, below 80
      // Nothing like the product's categories: the closest option is still chosen, in red.
      {"<option>Games<option>Drivers<option>Fonts", "|Program_Category|", nullptr, true},
      {"<option>Windows 3.1<option>Windows XP<option>Linux", "|Program_Info/Program_OS_Support|",
       u"Windows XP", false},
      {"<option>New program<option>Update of a listed program", "|Runtime/IsNew|", u"New program",
       true},
      {"<option>Update<option>New", "|Runtime/IsNew|", u"New", false},
      {"<option>English<option>German", "German", u"German", false},
  };
  for (const Case& c : cases) {
    TWebSite site;
    AddStoredForm(site, {{"l", ftList, c.rule}});
    THtmlDocument doc(std::string("<form><select name=l>") + c.options + "</select></form>");
    FillDocument(&doc, &site, true);
    TDomElement* l = El(doc, u"l");
    if (c.expected) {
      EXPECT_EQ(Selected(l), c.expected) << c.rule;
    }
    EXPECT_GE(l->SelectedIndex(), 0);
    EXPECT_EQ(*l->RuntimeStyle(TDomStyle::Color), c.red ? u"#FF0000" : u"#0000FF") << c.rule;
  }

  // A category chosen for the site wins over the product's own.
  TWebSite site;
  Profile().ProgramCategory.SetString(site.UIN(), "Games");
  AddStoredForm(site, {{"l", ftList, "|Program_Category|"}});
  THtmlDocument doc("<form><select name=l><option>Productivity<option>Games</select></form>");
  FillDocument(&doc, &site, true);
  EXPECT_EQ(Selected(El(doc, u"l")), u"Games");
}

TEST_F(FillEngine, MultipleChoiceListAndHugeList) {
  TWebSite site;
  AddStoredForm(site, {{"os", ftList, "|Program_Info/Program_OS_Support|"}});
  THtmlDocument doc(R"(<form><select name=os multiple><option selected>Win95<option>WinXP
    <option>Linux<option>Palm</select></form>)");
  FillDocument(&doc, &site, true);
  TDomElement* os = El(doc, u"os");
  EXPECT_FALSE(os->OptionAt(0)->Selected());
  EXPECT_TRUE(os->OptionAt(1)->Selected());
  EXPECT_TRUE(os->OptionAt(2)->Selected());
  EXPECT_FALSE(os->OptionAt(3)->Selected());

  std::string big = "<form><select name=l>";
  for (int i = 0; i < 10000; ++i) big += "<option>Option number " + std::to_string(i) + "</option>";
  big += "</select></form>";
  THtmlDocument huge(big);
  TWebSite s2;
  AddStoredForm(s2, {{"l", ftList, "|Program_Category|"}});
  FillDocument(&huge, &s2, true);  // the bound is measured in the benchmark
  EXPECT_GE(El(huge, u"l")->SelectedIndex(), 0);
}

TEST_F(FillEngine, SimilarFormsMergeRulesAndBreakTiesByListOrder) {
  TWebSite site;
  AddStoredForm(site, {{"title", ftText, "first"}, {"x1", ftText, ""}, {"x2", ftText, ""}},
                "http://host/submit.php");
  AddStoredForm(site, {{"title", ftText, "second"}, {"x1", ftText, ""}, {"x2", ftText, ""}},
                "http://host/submit.php");
  // Different names, so no fingerprint matches; same address and field count.
  THtmlDocument doc("<form><input name=title><input name=other><input name=more></form>",
                    "http://host/submit.php?step=2");
  TFillMode mode = fmGuessed;
  FillDocument(&doc, &site, false, [&](TDomForm*, TFillMode m, TFormPurpose) { mode = m; });
  EXPECT_EQ(mode, fmSimilar);
  EXPECT_EQ(El(doc, u"title")->Value(), u"first");
  // A field without a rule is shown as guessed in this mode.
  EXPECT_EQ(*El(doc, u"other")->RuntimeStyle(TDomStyle::Background), u"#DCDDC4");

  // A 2-field page form matches only 2-field stored forms.
  THtmlDocument two("<form><input name=title><input name=q></form>", "http://host/submit.php");
  FillDocument(&two, &site, false, [&](TDomForm*, TFillMode m, TFormPurpose) { mode = m; });
  EXPECT_EQ(mode, fmGuessed);
  AddStoredForm(site, {{"title", ftText, "pair"}, {"zz", ftText, ""}}, "http://host/");
  FillDocument(&two, &site, false, [&](TDomForm*, TFillMode m, TFormPurpose) { mode = m; });
  EXPECT_EQ(mode, fmSimilar);
  EXPECT_EQ(El(two, u"title")->Value(), u"pair");
}

TEST_F(FillEngine, LoginVariablesPerSite) {
  TWebSite site;
  const std::string uin = site.UIN();
  Profile().CompanySiteLogins.SetString(uin, "company-login");
  Profile().ProductSitePasswords.SetString(uin, "product-pass");
  AddStoredForm(site, {{"a", ftText, "|Company_Login|"},
                       {"b", ftText, "|Product_Login|"},
                       {"c", ftText, "|Company_Password|"},
                       {"d", ftText, "|Common_Login|"},
                       {"e", ftText, "|Product_Password|"}});
  THtmlDocument doc(
      "<form><input name=a><input name=b><input name=c><input name=d><input name=e></form>");
  FillDocument(&doc, &site, true);
  EXPECT_EQ(El(doc, u"a")->Value(), u"company-login");
  EXPECT_EQ(El(doc, u"b")->Value(), u"company-login");  // no product login: the company's
  EXPECT_EQ(El(doc, u"c")->Value(), u"product-pass");
  EXPECT_EQ(El(doc, u"d")->Value(), u"samplecompany");
  EXPECT_EQ(El(doc, u"e")->Value(), u"product-pass");
  // Without a site every login is the common one.
  TFormBinding binding;
  FillFormElement(doc.FormAt(0), nullptr, binding);
  EXPECT_EQ(Profile().GetString("Company_Login"), "samplecompany");
}

TEST_F(FillEngine, CaptureContextTexts) {
  THtmlDocument doc(
      "<form><table><tr><td><b>Program&nbsp;name</b> &lt;required&gt;:</td><td>"
      "<input name=a></td></tr>\n<tr><td>A&#10;very long label that goes on and on about the "
      "field &amp; more:</td><td><textarea name=b>x</textarea></td></tr></table>"
      "<select name=c><option>Freeware<option>Shareware</select></form>");
  TWebForm form;
  CaptureLiveForm(doc.FormAt(0), form);
  ASSERT_EQ(form.FieldCount(), 3);
  EXPECT_EQ(form.FieldAt(0).FieldContext(), "Program\xA0name <required>:");
  const std::string second = form.FieldAt(1).FieldContext();
  EXPECT_EQ(second.size(), 41u);
  EXPECT_EQ(second, std::string(" very long label that goes on and on about the field & more:")
                        .substr(60 - 41 + 0));
  EXPECT_EQ(form.FieldAt(1).FieldType(), ftArea);
  EXPECT_EQ(form.FieldAt(2).FillWith(), "|Program_Info/Program_Type|");
  EXPECT_EQ(form.Fingerprint, "FNG2.0-aabbcc");
}

TEST_F(FillEngine, AssignTemplatesLearnAndGuess) {
  THtmlDocument doc(R"(<form>
    <input name="f1" value="Sample Notes 2.4.1 now">
    Program name: <input name="xyz" size="40">
    <input name="sw_title" size="40">
    Short description <input name="d" size="60" maxlength="80">
    <input type=password name=pw></form>)");
  TWebForm learned;
  CaptureLiveForm(doc.FormAt(0), learned);
  AssignTemplates(learned, true);
  EXPECT_EQ(learned.FieldAt(0).FillWith(),
            "|Program_Info/Program_Name| |Program_Info/Program_Version| now");

  TWebForm guessed;
  CaptureLiveForm(doc.FormAt(0), guessed);
  AssignTemplates(guessed, false);
  AdjustTemplatesToSize(guessed, true);
  EXPECT_EQ(guessed.FieldAt(1).FillWith(), "|Program_Info/Program_Name|");  // by context
  EXPECT_EQ(guessed.FieldAt(2).FillWith(), "|Program_Info/Program_Name|");  // by name
  EXPECT_EQ(guessed.FieldAt(3).FillWith(), "|Program_Descriptions/English/Char_Desc_80|");
  EXPECT_EQ(guessed.FieldAt(4).FillWith(), "|Company_Password|");

  EXPECT_TRUE(AliasPatternMatches("prog+name-company", "program name"));
  EXPECT_FALSE(AliasPatternMatches("prog+name-company", "company program name"));
  EXPECT_FALSE(AliasPatternMatches("", "anything"));
}

TEST_F(FillEngine, FindSubmittedForm) {
  TWebSite site;
  TWebForm& login = AddStoredForm(site, {{"user", ftText, ""},
                                         {"pass", ftPassword, ""},
                                         {"go", ftButton, ""},
                                         {"remember", ftCheck, ""}});
  login.Purpose = fpLogin;
  TWebForm& upload = AddStoredForm(site, {{"file", ftFile, ""}});
  upload.Method = mtPost;
  upload.Encoding = "multipart/form-data";
  upload.Action = "upload.php?x=1";
  // Text fields plus the clicked image button's coordinates: c / u = 1.
  EXPECT_EQ(FindSubmittedForm(&site, "http://h/login.php", "http://h/do.php", 1.0, "", ""),
            nullptr);
  EXPECT_EQ(FindSubmittedForm(&site, "http://h/login.php",
                              "http://h/do.php?user=a&pass=b&go.x=3&go.y=4", 1.0, "", ""),
            &login);
  EXPECT_EQ(FindSubmittedForm(&site, "http://h/dir/page.php", "http://h/dir/upload.php", 0.5,
                              "--boundary", ""),
            &upload);
  EXPECT_EQ(FindSubmittedForm(&site, "http://h/dir/page.php", "http://h/other.php", 0.9, "a=1", ""),
            nullptr);
}

TEST_F(FillEngine, LinksToThePageLiveInTheBinding) {
  TWebSite site;
  TWebForm& login =
      AddStoredForm(site, {{"user", ftText, "|Company_Login|"}, {"pass", ftText, ""}});
  TWebForm& search = AddStoredForm(site, {{"q", ftText, ""}});
  THtmlDocument doc("<form><input name=q></form><form><input name=user><input name=pass></form>");
  THtmlDocument earlier("<form><input name=q></form>");

  TFormBinding binding;
  binding.Bind(search, earlier.FormAt(0));
  LinkLiveForms(&doc, &site, binding);
  EXPECT_EQ(binding.LiveForm(search), doc.FormAt(0));  // the earlier page's link is gone
  EXPECT_EQ(binding.LiveForm(login), doc.FormAt(1));
  EXPECT_EQ(binding.LiveElement(login.FieldAt(1)), El(doc, u"pass", 1));

  THtmlDocument login_only("<form><input name=user><input name=pass></form>");
  LinkLiveForms(&login_only, &site, binding);
  EXPECT_EQ(binding.LiveForm(search), nullptr);
  EXPECT_EQ(binding.LiveForm(login), login_only.FormAt(0));
  LinkLiveForms(&login_only, nullptr, binding);
  EXPECT_EQ(binding.LiveForm(login), nullptr);

  // A fill leaves the stored forms it recognised bound to their page forms.
  TFormBinding filled;
  FillDocument(&doc, &site, true, filled);
  EXPECT_EQ(filled.LiveForm(login), doc.FormAt(1));
  EXPECT_EQ(filled.LiveElement(login.FieldAt(0)), El(doc, u"user", 1));
  EXPECT_EQ(El(doc, u"user", 1)->Value(), u"samplecompany");
}

TEST_F(FillEngine, FocusedControlAcrossFrames) {
  THtmlDocument doc(
      R"(<form><input name=top></form><iframe srcdoc="<form><input name=in></form>"></iframe>)");
  auto* frame = static_cast<THtmlDocument*>(doc.FrameAt(0));
  frame->SetActiveElement(frame->ControlAt(0));
  EXPECT_EQ(FocusedControl(&doc), frame->ControlAt(0));
  EXPECT_EQ(FocusedForm(&doc), frame->FormAt(0));
}

}  // namespace
}  // namespace quillora::test

namespace quillora::test {
namespace {

TEST_F(FillEngine, CorpusMeetsItsTargets) {
  const CorpusScore known = RunCorpus(FixturePath("forms"), true);
  // The corpus' guessing target is the shipped guesser's: smart guessing.
  Settings().SetBool("Smart Guessing", true);
  const CorpusScore guessed = RunCorpus(FixturePath("forms"), false);
  EXPECT_GE(known.pages, 25);
  EXPECT_EQ(known.right, known.fields);
  EXPECT_GE(guessed.Share(), 90.0) << "run bench_fill_quality for the misses";
}

}  // namespace
}  // namespace quillora::test
