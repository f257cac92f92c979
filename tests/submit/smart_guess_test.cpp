#include "submit/smart_guess.h"

#include <gtest/gtest.h>

#include "fill_fixture.h"
#include "form_corpus.h"
#include "foundation/app_state.h"
#include "foundation/codepage.h"
#include "submit/form_filler.h"
#include "submit/html_document.h"

namespace quillora::test {
namespace {

class SmartGuess : public FillTest {
 protected:
  void SetUp() override {
    FillTest::SetUp();
    Settings().SetBool("Smart Guessing", true);
  }

  // Fills the page as an unknown form and gives what each named control shows.
  std::map<std::string, std::string> Fill(const std::string& html) {
    doc_ = std::make_unique<THtmlDocument>(html, "http://downloads.example/submit.html");
    FillDocument(doc_.get(), nullptr, false);
    std::map<std::string, std::string> shown;
    for (int i = 0; i < doc_->ControlCount(); ++i) {
      const THtmlElement& e = *doc_->ControlAt(i);
      std::string name = WideToUtf8(e.Name());
      if (e.Type() == u"checkbox" || e.Type() == u"radio") name += "=" + WideToUtf8(e.Value());
      shown[name] = ShownValue(e);
    }
    return shown;
  }
  std::string Value(const std::string& key) {
    return WideToUtf8(ExpandTemplateToWide("|" + key + "|", FillValues(nullptr), ""));
  }
  std::unique_ptr<THtmlDocument> doc_;
};

TEST_F(SmartGuess, KeysFromLabelNamePlaceholderInSeveralLanguages) {
  const struct {
    const char* markup;
    const char* key;
  } cases[] = {
      {"<label for=a>Programmname</label><input id=a name=f1>", "Program_Info/Program_Name"},
      {"<table><tr><td>Hersteller:</td><td><input name=x1></td></tr></table>",
       "Company_Info/Company_Name"},
      {"<input name='ctl00$main$TextBox3' placeholder='Lien de téléchargement'>",
       "Web_Info/Download_URLs/Primary_Download_URL"},
      {"<label>Correo electrónico<br><input name=c7></label>",
       "Company_Info/Contact_Info/Contact_Email"},
      {"<input name=q9 aria-label='Цена'>", "Program_Info/Program_Cost_Dollars"},
      {"<span id=l>Название компании</span><input name=r1 aria-labelledby=l>",
       "Company_Info/Company_Name"},
      {"<input name=developerUrl>", "Company_Info/Company_WebSite_URL"},
      {"<input name=input_4 title='Support e-mail'>", "Company_Info/Support_Info/Support_Email"},
      {"<p>Nazwa programu: <input name=p_1></p>", "Program_Info/Program_Name"},
      {"<label for=d>Dateigröße in Bytes</label><input id=d name=u_gr>", "@size"},
      {"<label for=d>Date of this version</label><input id=d name=rel>", "@date"},
      {"<label for=k>Kurzbeschreibung</label><input id=k name=kurz>", "@desc"},
      // The label of the field before does not carry over to this one.
      {"<label for=v>Version</label><input id=v name=a1> <input name=a2>", ""},
      {"<label for=z>Lieblingsfarbe</label><input id=z name=farbe>", ""},
  };
  for (const auto& c : cases) {
    THtmlDocument doc(std::string("<form>") + c.markup + "</form>");
    const std::vector<TControlEvidence> evidence = ReadControlEvidence(doc.FormAt(0));
    const TControlEvidence& last = evidence.back();
    ASSERT_TRUE(last.present) << c.markup;
    EXPECT_EQ(SmartTextKey(last), c.key) << c.markup;
  }
}

TEST_F(SmartGuess, FillsEachClassTheClassicRulesMiss) {
  // One page with a field of each class: boxes and radios decided from the product, opaque
  // names, a country list holding "Russian Federation", dates, units, which e-mail and URL,
  // description lengths, a localised language list, an OS multi-select and a category tree.
  const std::map<std::string, std::string> shown = Fill(R"(
<form><table>
<tr><td>Platform</td><td>
 <input type=checkbox name=os value=w10> Windows 10 <input type=checkbox name=os value=xp> Windows XP
 <input type=checkbox name=os value=mac> macOS <input type=checkbox name=os value=and> Android</td></tr>
<tr><td>License</td><td><input type=radio name=lic value=f checked> Freeware
 <input type=radio name=lic value=s> Shareware <input type=radio name=lic value=c> Commercial</td></tr>
<tr><td>Update type</td><td><input type=radio name=ut value=n> New program
 <input type=radio name=ut value=maj> Major update <input type=radio name=ut value=min> Minor update</td></tr>
<tr><td>Installer</td><td><input type=radio name=in value=1> Install only
 <input type=radio name=in value=2> Installer with uninstaller</td></tr>
</table>
<fieldset><legend>Langues</legend><label><input type=checkbox name=l value=fr> Français</label>
 <label><input type=checkbox name=l value=es> Espagnol</label></fieldset>
<label for=t3>Company / Author</label><input id=t3 name='ctl00$main$TextBox3'>
<label for=co>Country</label><select id=co name=country><option>Canada</option>
 <option>Russian Federation</option><option>United States</option></select>
<label for=id>Idioma</label><select id=id name=idioma><option>Español</option>
 <option>Inglés</option><option>Francés</option></select>
<label for=d1>Datum (TT.MM.JJJJ)</label><input id=d1 name=d1>
<label for=d2>Released</label><input type=date id=d2 name=d2>
<label for=d3>Release date</label><input id=d3 name=d3>
<label for=s1>Größe (KB)</label><input id=s1 name=s1>
<label for=s2>File size</label><input id=s2 name=s2> MB
<label for=m1>Support e-mail</label><input id=m1 name=m1>
<label for=m2>E-mail for notifications</label><input id=m2 name=m2>
<label for=u1>Company home page</label><input id=u1 name=u1>
<label for=u2>Product page</label><input id=u2 name=u2>
<label for=h1>Summary</label><input id=h1 name=h1 maxlength=80>
<label for=h2>Tagline</label><input id=h2 name=h2 maxlength=45>
<p><label for=h3>Short description</label><input id=h3 name=h3><br><small>Up to 80 characters</small></p>
<p><label for=h4>Full description</label><textarea id=h4 name=h4></textarea></p>
<label for=os2>Operating systems</label><select id=os2 name=os2 multiple>
 <option>Windows 11</option><option>Windows XP</option><option>Linux</option></select>
<label for=cat>Category</label><select id=cat name=cat><option>Games » Arcade</option>
 <option>Business » Accounting</option><option>Business » PIMS &amp; Calendars</option></select>
<label for=fav>Favourite colour</label><input id=fav name=fav value=blue>
</form>)");
  const std::map<std::string, std::string> expected = {
      {"os=w10", "off"},
      {"os=xp", "on"},
      {"os=mac", "on"},
      {"os=and", "off"},
      {"lic=f", "off"},
      {"lic=s", "on"},
      {"lic=c", "off"},
      {"ut=n", "off"},
      {"ut=maj", "on"},
      {"ut=min", "off"},
      {"in=1", "off"},
      {"in=2", "on"},
      {"l=fr", "on"},
      {"l=es", "off"},
      {"ctl00$main$TextBox3", Value("Company_Info/Company_Name")},
      {"country", "United States"},
      {"idioma", "Inglés"},
      {"d1", "14.03.2024"},
      {"d2", "2024-03-14"},
      {"d3", "03/14/2024"},
      {"s1", Value("Program_Info/File_Info/File_Size_K")},
      {"s2", Value("Program_Info/File_Info/File_Size_MB")},
      {"m1", Value("Company_Info/Support_Info/Support_Email")},
      {"m2", Value("Company_Info/Contact_Info/Contact_Email")},
      {"u1", Value("Company_Info/Company_WebSite_URL")},
      {"u2", Value("Web_Info/Application_URLs/Application_Info_URL")},
      {"h1", Value("Program_Descriptions/English/Char_Desc_80")},
      {"h2", Value("Program_Descriptions/English/Char_Desc_45")},
      // The help text under the field before is that field's, not this one's limit.
      {"h3", Value("Program_Descriptions/English/Char_Desc_80")},
      {"h4", Value("Program_Descriptions/English/Char_Desc_450")},
      {"os2", "Windows XP,Linux"},
      {"cat", "Business » PIMS & Calendars"},
      {"fav", "blue"},  // unknown: left as the page had it
  };
  for (const auto& [name, value] : expected) {
    ASSERT_TRUE(shown.count(name)) << name;
    EXPECT_EQ(shown.at(name), value) << name;
  }
}

TEST_F(SmartGuess, ConsentBoxesAreLeftAsTheyAreAndMarked) {
  Fill(R"(<form><input name=pname> Program name
<label><input type=checkbox name=tos> I agree to the Terms of Service</label>
<label><input type=checkbox name=news checked> Send me the newsletter</label>
<input type=checkbox id=ds name=ds><label for=ds>Ich stimme der Datenschutzerklärung zu</label>
</form>)");
  const struct {
    const char16_t* name;
    bool checked;
  } boxes[] = {{u"tos", false}, {u"news", true}, {u"ds", false}};
  for (const auto& b : boxes) {
    TDomElement* e = doc_->FormAt(0)->ElementByName(b.name);
    EXPECT_EQ(e->Checked(), b.checked);
    EXPECT_EQ(e->RuntimeStyle(TDomStyle::Color), u"#FF0000");
    EXPECT_EQ(e->RuntimeStyle(TDomStyle::BackgroundColor), u"#FFFFFF");
  }
}

// With the setting off every corpus page fills exactly as the classic steps fill it.
TEST_F(SmartGuess, SettingOffFillsAsTheClassicRules) {
  Settings().SetBool("Smart Guessing", false);
  for (const std::string& path : CorpusPages(FixturePath("forms"))) {
    const std::string html = FileToString(path);
    THtmlDocument engine(html, "http://downloads.example/p.html");
    FillDocument(&engine, nullptr, false);
    THtmlDocument by_hand(html, "http://downloads.example/p.html");
    for (int f = 0; f < by_hand.FormCount(); ++f) {
      TWebForm captured;
      CaptureLiveForm(by_hand.FormAt(f), captured);
      AssignTemplates(captured, false);
      AdjustTemplatesToSize(captured, true);
      TFormBinding binding;
      FillForm(by_hand.FormAt(f), captured, fmGuessed, nullptr, binding);
    }
    ASSERT_EQ(engine.ControlCount(), by_hand.ControlCount());
    for (int i = 0; i < engine.ControlCount(); ++i) {
      const THtmlElement& a = *engine.ControlAt(i);
      const THtmlElement& b = *by_hand.ControlAt(i);
      EXPECT_EQ(ShownValue(a), ShownValue(b)) << path << " " << WideToUtf8(a.Name());
      EXPECT_EQ(a.RuntimeStyle(TDomStyle::Background), b.RuntimeStyle(TDomStyle::Background));
    }
  }
}

TEST_F(SmartGuess, CorpusHeldOutPagesMeetTheGoal) {
  const CorpusScore smart = RunCorpus(FixturePath("forms"), false, CorpusPart::HeldOut);
  EXPECT_GE(smart.pages, 26);
  EXPECT_GE(smart.Share(), 95.0) << "run bench_fill_quality for the figures";
}

TEST(HtmlNesting, DeepPagesAreCappedAsBrowsersDo) {
  // A shallow page is parsed as it is.
  const std::string shallow = "<div><p>a<div><span>b</span></div></div><form><input name=x></form>";
  EXPECT_EQ(CapNesting(shallow, 512), shallow);
  // Unclosed paragraphs, cells and void elements never count as nesting.
  std::string flat;
  for (int i = 0; i < 2000; ++i) flat += "<p>x<br><input name=i" + std::to_string(i) + ">";
  EXPECT_EQ(CapNesting(flat, 512), flat);

  std::string deep;
  for (int i = 0; i < 3000; ++i) deep += "<div><b>";
  deep +=
      "<form><label>Program name <input name=pname></label><script>if (a<b) x='<div>'</script>"
      "<select name=s><option>x</select></form>";
  const std::string capped = CapNesting(deep, 512);
  EXPECT_NE(capped, deep);
  EXPECT_EQ(CapNesting(capped, 512), capped);  // nothing nests deeper any more
  THtmlDocument doc(deep);
  ASSERT_EQ(doc.FormCount(), 1);
  EXPECT_EQ(doc.FormAt(0)->ElementCount(), 2);
  EXPECT_EQ(doc.FormAt(0)->ElementAt(0)->Name(), u"pname");
}

}  // namespace
}  // namespace quillora::test
