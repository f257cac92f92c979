#include "submit/record_page.h"

#include <gtest/gtest.h>

#include "submit/html_document.h"

namespace quillora {
namespace {

// One named form and one without a name (bound under the page caption).
constexpr const char* kPage = R"(<html><body>
<form name="Affiliates">
  <input type="text" name="Affiliates_FORM" value="Y">
  <input type="checkbox" name="Member" value="Yes" checked>
  <input type="checkbox" name="Plain">
  <input type="radio" name="Plan" value="Gold">
  <input type="radio" name="Plan" value="Silver" checked>
  <select name="Program"><option value="">Regnow</option><option value="soft">Regsoft</option>
    <option value="Soft">Other</option></select>
  <select name="Shops" multiple><option>A</option><option selected>B</option>
    <option value="c">C</option></select>
  <textarea name="Notes">first</textarea>
  <input type="hidden" name="Affiliates_FORM_VER" value="1.2">
  <input type="submit" value="Go">
  <button name="Press" value="x">Press</button>
</form>
<form><input name="Free" value="f"></form>
</body></html>)";

const TPageField& Field(const std::vector<TPageForm>& forms, const std::string& name) {
  for (const TPageForm& form : forms)
    for (const TPageField& field : form.fields)
      if (field.name == name) return field;
  throw std::runtime_error("no field " + name);
}

TEST(RecordPage, StoresEveryKindUnderItsFormOrCaption) {
  THtmlDocument document(kPage);
  TOptionsList record;
  record.SetString("Affiliates/Plain", "on");  // unchecked: removed
  record.SetString("Affiliates/Other", "kept");
  StorePageForms(PageFormsOf(document), "Extras", record);
  EXPECT_EQ(record.Text(),
            "Affiliates/Other=kept\r\n"
            "Affiliates/Affiliates_FORM=Y\r\n"
            "Affiliates/Member=Yes\r\n"
            "Affiliates/Plan=Silver\r\n"
            "Affiliates/Program=Regnow\r\n"
            "Affiliates/Shops=B\r\n"
            "Affiliates/Notes=first\r\n"
            "Affiliates/Affiliates_FORM_VER=1.2\r\n"
            "Extras/Free=f\r\n");
}

TEST(RecordPage, LoadsAndStoresBack) {
  THtmlDocument document(kPage);
  std::vector<TPageForm> forms = PageFormsOf(document);
  TOptionsList record;
  record.SetString("Affiliates/Affiliates_FORM", "N");
  record.SetString("Affiliates/Plain", "on");
  record.SetString("Affiliates/Plan", "Gold");
  record.SetString("Affiliates/Program", "SOFT");  // any case; the first match wins
  record.SetString("Affiliates/Shops", "c,a,z");
  record.SetString("Affiliates/Affiliates_FORM_VER", "0.9");  // hidden: never filled
  record.SetString("Extras/Free", "typed");
  LoadPageForms(record, "Extras", forms);

  EXPECT_EQ(Field(forms, "Affiliates_FORM").value, "N");
  EXPECT_TRUE(Field(forms, "Affiliates_FORM").changed);
  EXPECT_FALSE(Field(forms, "Member").checked);  // "" is not "Yes"
  EXPECT_TRUE(Field(forms, "Plain").checked);
  EXPECT_EQ(Field(forms, "Notes").value, "");  // a missing key empties the text
  EXPECT_EQ(Field(forms, "Affiliates_FORM_VER").value, "1.2");
  EXPECT_FALSE(Field(forms, "Affiliates_FORM_VER").changed);
  EXPECT_EQ(Field(forms, "Free").value, "typed");
  const auto& program = Field(forms, "Program").options;
  EXPECT_FALSE(program[0].selected);
  EXPECT_TRUE(program[1].selected);
  EXPECT_FALSE(program[2].selected);
  const auto& shops = Field(forms, "Shops").options;
  EXPECT_TRUE(shops[0].selected);
  EXPECT_FALSE(shops[1].selected);  // preselected by the page, not named by the record
  EXPECT_TRUE(shops[2].selected);

  std::string plans;
  for (const TPageField& f : forms[0].fields)
    if (f.name == "Plan" && f.checked) plans += f.value + ";";
  EXPECT_EQ(plans, "Gold;");

  TOptionsList stored;
  stored.SetString("Affiliates/Member", "Yes");
  StorePageForms(forms, "Extras", stored);
  EXPECT_FALSE(stored.HasKey("Affiliates/Member"));
  EXPECT_FALSE(stored.HasKey("Affiliates/Notes"));
  EXPECT_EQ(stored.GetString("Affiliates/Plan"), "Gold");
  EXPECT_EQ(stored.GetString("Affiliates/Program"), "soft");
  EXPECT_EQ(stored.GetString("Affiliates/Shops"), "A,c");
  EXPECT_EQ(stored.GetString("Affiliates/Plain"), "on");
}

TEST(RecordPage, RadioGroupWithNothingCheckedLeavesNoKey) {
  std::vector<TPageForm> forms = {{"F",
                                   {{TPageFieldKind::Radio, "R", "a", false},
                                    {TPageFieldKind::Radio, "R", "b", false},
                                    {TPageFieldKind::Text, "", "nameless"}}}};
  TOptionsList record;
  record.SetString("F/R", "b");
  StorePageForms(forms, "Page", record);
  EXPECT_TRUE(record.Empty());
}

TEST(RecordPage, KindsOfControls) {
  const struct {
    const char* tag;
    const char* type;
    bool binds;
    TPageFieldKind kind;
  } cases[] = {
      {"INPUT", "text", true, TPageFieldKind::Text},
      {"INPUT", "", true, TPageFieldKind::Text},
      {"INPUT", "password", true, TPageFieldKind::Text},
      {"INPUT", "CHECKBOX", true, TPageFieldKind::CheckBox},
      {"input", "radio", true, TPageFieldKind::Radio},
      {"INPUT", "hidden", true, TPageFieldKind::Other},
      {"INPUT", "submit", true, TPageFieldKind::Other},
      {"SELECT", "", true, TPageFieldKind::List},
      {"TEXTAREA", "", true, TPageFieldKind::TextArea},
      {"BUTTON", "submit", false, TPageFieldKind::Other},
      {"FIELDSET", "", false, TPageFieldKind::Other},
  };
  for (const auto& c : cases) {
    TPageFieldKind kind = TPageFieldKind::Other;
    EXPECT_EQ(PageFieldKindOf(c.tag, c.type, kind), c.binds) << c.tag << " " << c.type;
    if (c.binds) {
      EXPECT_EQ(kind, c.kind) << c.tag << " " << c.type;
    }
  }
}

}  // namespace
}  // namespace quillora
