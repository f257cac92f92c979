#include "sites/web_forms.h"

#include <gtest/gtest.h>

#include "foundation/stream.h"
#include "sites/site.h"
#include "sites_fakes.h"
#include "support/temp_dir.h"

namespace quillora {
namespace {

using test::FixturePath;
using test::TempDir;

TFormField& AddField(TWebForm& form, const std::string& name, int type) {
  TFormField& f = form.AddField();
  if (!name.empty()) f.SetFieldName(name);
  f.SetFieldType(type);
  return f;
}

TEST(WebFormsTest, FingerprintSkipsHiddenAndUnnamedFields) {
  TWebForm form;
  AddField(form, "login", ftText);
  AddField(form, "sid", ftHidden);
  AddField(form, "pwd", ftPassword);
  AddField(form, "", ftButton);
  form.UpdateFingerprint();
  EXPECT_EQ(form.Fingerprint, "FNG2.0-lnpd");
  AddField(form, "x", ftCheck);
  form.UpdateFingerprint();
  EXPECT_EQ(form.Fingerprint, "FNG2.0-lnpdxx");
  TWebForm empty;
  empty.UpdateFingerprint();
  EXPECT_EQ(empty.Fingerprint, "FNG2.0-");
}

TEST(WebFormsTest, FieldTypesAndDefaults) {
  TFormField f;
  EXPECT_EQ(f.Text(), "Field Type=Unknown\r\n");
  EXPECT_EQ(f.MaxLength(), -1);
  const std::vector<std::pair<int, std::string>> writes = {{1, "Text"},     {9, "Password"},
                                                           {0, "Unknown"},  {10, "Unknown"},
                                                           {135, "Hidden"}, {-1, "Unknown"}};
  for (const auto& [code, text] : writes) {
    f.SetFieldType(code);
    EXPECT_EQ(f.GetString("Field Type"), text) << code;
  }
  f.SetString("Field Type", "checkbox");
  EXPECT_EQ(f.FieldType(), ftUnknown);
  f.SetString("Field Type", "List");
  EXPECT_EQ(f.FieldType(), ftList);
}

TEST(WebFormsTest, FindByFingerprint) {
  TFormsList forms;
  forms.AddForm().Fingerprint = "";
  forms.AddForm().Fingerprint = "FNG2.0-ab";
  forms.AddForm().Fingerprint = "abcd";
  forms.AddForm().Fingerprint = "FNG2.0-ab";
  EXPECT_EQ(forms.FindByFingerprint("", ""), nullptr);  // even though a stored one is empty
  EXPECT_EQ(forms.FindByFingerprint("abcd", "FNG2.0-ab"), forms.FormAt(1));
  EXPECT_EQ(forms.FindByFingerprint("abcd", "FNG2.0-zz"), forms.FormAt(2));
  EXPECT_EQ(forms.FindByFingerprint("zz", "FNG2.0-zz"), nullptr);
}

TEST(WebFormsTest, FindSimilarByFieldCountThenAddress) {
  auto add = [](TFormsList& list, const std::string& url, int fields) {
    TWebForm& f = list.AddForm();
    f.URL = url;
    for (int i = 0; i < fields; ++i) f.AddField();
    return &f;
  };
  {
    TFormsList forms;
    add(forms, "http://a/submit", 15);
    EXPECT_EQ(forms.FindSimilar("http://a/submit", 9), nullptr);  // 6 is not below 2*9/3
    TWebForm* close = add(forms, "http://a/submit", 14);
    EXPECT_EQ(forms.FindSimilar("http://a/submit", 9), close);
  }
  {
    // Two elements match only two fields; one element matches nothing.
    TFormsList forms;
    add(forms, "http://a/x", 3);
    add(forms, "http://a/x", 1);
    EXPECT_EQ(forms.FindSimilar("http://a/x", 2), nullptr);
    EXPECT_EQ(forms.FindSimilar("http://a/x", 1), nullptr);
    TWebForm* two = add(forms, "http://a/x", 2);
    EXPECT_EQ(forms.FindSimilar("http://a/x", 2), two);
  }
  {
    // Equal scores and equal distances: the one nearer the start of the list wins.
    TFormsList forms;
    TWebForm* first = add(forms, "http://site/add", 10);
    add(forms, "http://site/add", 10);
    EXPECT_EQ(forms.FindSimilar("http://site/add", 10), first);
  }
  {
    // A longer address prefix wins only when its count is at least as close.
    TFormsList forms;
    TWebForm* same_url_far = add(forms, "http://site/submit/form", 13);
    TWebForm* other_url_near = add(forms, "http://site/other", 10);
    EXPECT_EQ(forms.FindSimilar("http://site/submit/form", 10), other_url_near);
    TWebForm* same_url_near = add(forms, "http://site/submit/form?x", 11);
    EXPECT_EQ(forms.FindSimilar("http://site/submit/form", 10), same_url_near);
    (void)same_url_far;
  }
  {
    // A prefix shorter than two thirds of the shorter address counts as no match at all.
    // Without that rule the second form's 12 common bytes would beat the first one's 7.
    TFormsList forms;
    TWebForm* a = add(forms, "http://other/", 10);
    add(forms, "http://site/zzzzzzzz", 10);
    EXPECT_EQ(forms.FindSimilar("http://site/abcdefgh", 10), a);
  }
}

TEST(WebFormsTest, BinaryRoundTripKeepsEverythingButOptionsAndInnerText) {
  TWebForm form;
  form.FormName = "add";
  form.Action = "/save";
  form.Method = mtPost;
  form.Encoding = "multipart/form-data";
  form.URL = "http://site/add";
  form.InnerText = "captured text";
  form.OuterHTML = "<form>";
  form.Purpose = fpSubmit;
  form.Created = 45000.25;
  form.LastUpdated = 45001.75;
  TFormField& list = AddField(form, "cat", ftList);
  list.SetFillWith("|Program_Category|");
  list.OptionList = {"Games", "Home & Hobby", "Tools, misc", ""};
  list.StoreOptions();
  TFormField& text = AddField(form, "name", ftText);
  text.SetMaxLength(60);
  text.SetFieldValue("caf\xE9\r\n%");
  form.UpdateFingerprint();

  TMemoryStream stream;
  form.SaveToStream(stream);
  EXPECT_EQ(stream.Data().find("Field Options"), std::string::npos);
  EXPECT_TRUE(list.HasKey("Field Options"));  // only the file leaves them out
  stream.Rewind();
  TWebForm back;
  back.LoadFromStream(stream);
  EXPECT_EQ(back.FormName, "add");
  EXPECT_EQ(back.Action, "/save");
  EXPECT_EQ(back.Method, mtPost);
  EXPECT_EQ(back.Encoding, "multipart/form-data");
  EXPECT_EQ(back.URL, "http://site/add");
  EXPECT_EQ(back.InnerText, "");
  EXPECT_EQ(back.Fingerprint, "FNG2.0-ctne");
  EXPECT_EQ(back.Purpose, fpSubmit);
  EXPECT_DOUBLE_EQ(back.Created, 45000.25);
  EXPECT_DOUBLE_EQ(back.LastUpdated, 45001.75);
  ASSERT_EQ(back.FieldCount(), 2);
  EXPECT_EQ(back.FieldAt(0).Name, list.Name);
  EXPECT_FALSE(back.FieldAt(0).HasKey("Field Options"));
  EXPECT_EQ(back.FieldAt(0).FillWith(), "|Program_Category|");
  EXPECT_EQ(back.FieldAt(1).FieldValue(), "caf\xE9\r\n%");
  EXPECT_EQ(back.FieldAt(1).MaxLength(), 60);
  EXPECT_EQ(list.Options(), (std::vector<std::string>{"Games", "Home & Hobby", "Tools, misc", ""}));
}

TEST(WebFormsTest, BinaryLayoutOfAFormWithoutFields) {
  TWebForm form;
  form.FormName = "f";
  form.Method = mtGet;
  form.Purpose = fpLogin;
  form.Created = 0;
  TMemoryStream s;
  form.SaveToStream(s);
  const std::string expected = std::string(
                                   "\x01\x00"
                                   "f",
                                   3) +
                               std::string("\x00\x00", 2) + std::string(1, '\0') +
                               std::string(6, '\0') + std::string("\x00\x00\x02", 3) +
                               std::string("\x08\x00", 2) + std::string(8, '\0') +
                               std::string("\x08\x00", 2) + std::string(8, '\0');
  EXPECT_EQ(s.Data(), expected);
}

TEST(WebFormsTest, MethodAndPurposeBytesOutsideTheirNamesAreKept) {
  TWebForm form;
  form.FormName = "f";
  TMemoryStream first;
  form.SaveToStream(first);
  std::string bytes = first.Data();
  // The method follows the name and the empty action; the purpose follows the method and four
  // empty texts (address, encoding, inner text, fingerprint).
  const size_t method_at = 3 + 2;
  const size_t purpose_at = method_at + 1 + 4 * 2;
  bytes[method_at] = '\x07';
  bytes[purpose_at] = '\xC8';
  TMemoryStream in(bytes);
  TWebForm back;
  back.LoadFromStream(in);
  EXPECT_NE(back.Method, mtGet);  // anything but GET is sent as POST
  TMemoryStream out;
  back.SaveToStream(out);
  EXPECT_EQ(out.Data(), bytes);
}

TEST(WebFormsTest, CutShortFormsAndHostileCountsAreRefused) {
  TWebForm form;
  form.FormName = "name";
  AddField(form, "a", ftText);
  TMemoryStream whole;
  form.SaveToStream(whole);
  for (size_t cut : {size_t{0}, size_t{1}, size_t{5}, size_t{20}}) {
    TMemoryStream part(whole.Data().substr(0, cut));
    TWebForm back;
    EXPECT_THROW(back.LoadFromStream(part), std::runtime_error) << cut;
  }
  TMemoryStream list;
  WriteSizedInt(list, 1000000);
  list.Rewind();
  TFormsList forms;
  EXPECT_THROW(forms.LoadForms(list, false), std::runtime_error);
  list.Rewind();
  EXPECT_THROW(forms.LoadForms(list, true), std::runtime_error);
}

TEST(WebFormsTest, AssignCopiesFieldsAndMembers) {
  TWebForm source;
  source.FormName = "n";
  source.Action = "a";
  source.Method = mtPost;
  source.URL = "u";
  source.Encoding = "e";
  source.OuterHTML = "<form>";
  source.InnerText = "t";
  source.Fingerprint = "FNG2.0-xy";
  source.Purpose = fpLogin;
  source.Created = 1;
  source.LastUpdated = 2;
  AddField(source, "x", ftText).Index = 5;
  TWebForm copy;
  AddField(copy, "old", ftText);
  copy.Assign(source);
  ASSERT_EQ(copy.FieldCount(), 1);
  EXPECT_EQ(copy.FieldAt(0).FieldName(), "x");
  EXPECT_EQ(copy.FieldAt(0).Name, source.FieldAt(0).Name);
  EXPECT_EQ(copy.FormName, "n");
  EXPECT_EQ(copy.OuterHTML, "<form>");
  EXPECT_EQ(copy.InnerText, "t");
  EXPECT_EQ(copy.Fingerprint, "FNG2.0-xy");
  EXPECT_EQ(copy.Purpose, fpLogin);
  EXPECT_DOUBLE_EQ(copy.LastUpdated, 2);
}

TEST(WebFormsTest, HiddenFieldOperations) {
  TWebForm form;
  AddField(form, "a", ftText).SetFieldValue("keep");
  EXPECT_FALSE(form.HasHiddenFields());
  AddField(form, "h", ftHidden).SetFieldValue("token");
  EXPECT_TRUE(form.HasHiddenFields());
  form.ClearHiddenValues();
  EXPECT_EQ(form.FieldAt(0).FieldValue(), "keep");
  EXPECT_FALSE(form.FieldAt(1).HasKey("Field Value"));
}

TEST(WebFormsTest, RulesExportAndImport) {
  TWebForm form;
  AddField(form, "email", ftText).SetFillWith("|Company_Info/Contact_Info/Contact_Email|");
  AddField(form, "", ftButton).SetFillWith("skipped");
  TFormField& user = AddField(form, "user", ftText);
  user.SetFillWith("a=b%c\r\n");
  user.SetLogin(true);
  AddField(form, "sid", ftHidden).SetIgnored(true);
  TMultiOptions rules;
  ExportRules(form, rules);
  EXPECT_EQ(
      rules.Text(),
      "[Fill with]\r\nemail=|Company_Info/Contact_Info/Contact_Email|\r\nuser=a=b%25c%0D%0A\r\n"
      "sid=\r\n\r\n[Ignore]\r\nemail=FALSE\r\nuser=FALSE\r\nsid=TRUE\r\n\r\n"
      "[Treat as login]\r\nemail=FALSE\r\nuser=TRUE\r\nsid=FALSE\r\n\r\n");

  TWebForm target;
  AddField(target, "sid", ftHidden);
  AddField(target, "user", ftText);
  TFormField& untouched = AddField(target, "other", ftText);
  untouched.SetFillWith("mine");
  ImportRules(target, rules);
  EXPECT_EQ(target.FieldAt(0).FillWith(), "");
  EXPECT_TRUE(target.FieldAt(0).IsIgnored());
  EXPECT_EQ(target.FieldAt(1).FillWith(), "a=b%c\r\n");
  EXPECT_TRUE(target.FieldAt(1).IsLogin());
  EXPECT_FALSE(target.FieldAt(1).IsIgnored());
  EXPECT_EQ(untouched.FillWith(), "mine");
  EXPECT_EQ(rules.Section("Fill with").Count(), 3);  // the caller's tree is not consumed
}

TEST(WebFormsTest, TmlFileWithDuplicateNames) {
  TWebForm form;
  AddField(form, "email", ftText);
  AddField(form, "name", ftText);
  AddField(form, "email", ftText);
  AddField(form, "email", ftText).SetFillWith("third keeps its rule");
  LoadRulesFile(form, FixturePath("sites/duplicate_names.tml"));
  EXPECT_EQ(form.FieldAt(0).FillWith(), "|Company_Info/Contact_Info/Contact_Email|");
  EXPECT_FALSE(form.FieldAt(0).IsIgnored());
  EXPECT_EQ(form.FieldAt(1).FillWith(), "|Program_Info/Program_Name|");
  EXPECT_EQ(form.FieldAt(2).FillWith(), "|Company_Info/Contact_Info/Author_Email|");
  EXPECT_TRUE(form.FieldAt(2).IsIgnored());  // "true" in lower case counts
  EXPECT_EQ(form.FieldAt(3).FillWith(), "third keeps its rule");

  TempDir tmp;
  SaveRulesFile(form, tmp / "out.tml");
  TWebForm again;
  AddField(again, "email", ftText);
  AddField(again, "name", ftText);
  LoadRulesFile(again, tmp / "out.tml");
  EXPECT_EQ(again.FieldAt(1).FillWith(), "|Program_Info/Program_Name|");
  EXPECT_THROW(LoadRulesFile(again, tmp / "missing.tml"), std::runtime_error);
}

TEST(WebFormsTest, CommaText) {
  const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
      {"a,b,c", {"a", "b", "c"}},
      {"\"a b\",\"say \"\"hi\"\"\",c", {"a b", "say \"hi\"", "c"}},
      {"a,,b", {"a", "", "b"}},
      {"a,", {"a", ""}},
      {"  a  ,  b  ", {"a", "b"}},
      {"a b", {"a", "b"}},  // a blank outside quotes separates too
      {"", {}},
      {"\"\"", {""}},
  };
  for (const auto& [text, items] : cases) EXPECT_EQ(ParseCommaText(text), items) << text;
  for (const auto& items : std::vector<std::vector<std::string>>{
           {"a", "b c", "d,e", "q\"x", ""}, {""}, {"\xE9t\xE9", "tab\there"}, {}}) {
    EXPECT_EQ(ParseCommaText(MakeCommaText(items)), items) << MakeCommaText(items);
  }
  EXPECT_EQ(MakeCommaText({"a", "b c", "d,e"}), "a,\"b c\",\"d,e\"");
}

}  // namespace
}  // namespace quillora
