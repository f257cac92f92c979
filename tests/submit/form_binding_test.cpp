#include "submit/form_binding.h"

#include <gtest/gtest.h>

#include "dom_fakes.h"

namespace quillora::test {
namespace {

TFormField& AddField(TWebForm& form, const std::string& name, int field_index = -1) {
  TFormField& f = form.AddField();
  if (!name.empty()) f.SetFieldName(name);
  f.SetFieldType(ftText);
  if (field_index >= 0) f.SetFieldIndex(field_index);
  return f;
}

TEST(FormBinding, ElementByCapturedIndexThenPositionThenName) {
  FakeForm page;
  page.Add("", "FIELDSET");  // listed by the page, never captured as a field
  FakeElement* user = page.Add("user");
  FakeElement* first_lic = page.Add("lic");
  FakeElement* second_lic = page.Add("lic");

  TWebForm form;
  AddField(form, "user");     // position 0 is the fieldset: by name
  AddField(form, "lic", 3);   // position 1 is "user": the captured index, not the first "lic"
  AddField(form, "lic", 2);   // position 2 carries the name
  AddField(form, "user", 9);  // a captured index the page does not have: by name
  AddField(form, "gone");     // nothing of that name
  form.FieldAt(4).SetString("Field Index", "x");  // not a number: ignored
  const struct {
    int field;
    TDomElement* element;
  } expected[] = {{0, user}, {1, second_lic}, {2, first_lic}, {3, user}, {4, nullptr}};

  TFormBinding binding;
  binding.Bind(form, &page);
  EXPECT_EQ(binding.LiveForm(form), &page);
  for (const auto& e : expected)
    EXPECT_EQ(binding.LiveElement(form.FieldAt(e.field)), e.element) << "field " << e.field;

  // A fieldset before a radio group: the captured index wins over a position that holds an
  // earlier button of the same group.
  FakeForm radios;
  radios.Add("", "FIELDSET");
  FakeElement* yes = radios.Add("free");
  FakeElement* no = radios.Add("free");
  TWebForm group;
  AddField(group, "free", 1);
  AddField(group, "free", 2);
  binding.Bind(group, &radios);
  EXPECT_EQ(binding.LiveElement(group.FieldAt(0)), yes);
  EXPECT_EQ(binding.LiveElement(group.FieldAt(1)), no);

  // A page that cannot hand out elements by position still answers by name, unless the field
  // had a captured index (that look-up fails too).
  page.positions_fail = true;
  TWebForm other;
  AddField(other, "lic");
  AddField(other, "user", 1);
  binding.Bind(other, &page);
  EXPECT_EQ(binding.LiveElement(other.FieldAt(0)), first_lic);
  EXPECT_EQ(binding.LiveElement(other.FieldAt(1)), nullptr);
  // Binding a second form leaves the first one's links alone.
  EXPECT_EQ(binding.LiveElement(form.FieldAt(1)), second_lic);
}

TEST(FormBinding, RebindUnbindAndClear) {
  FakeForm page1, page2;
  page1.Add("a");
  FakeElement* a2 = page2.Add("a");
  TWebForm form, untouched;
  AddField(form, "a");
  AddField(untouched, "a");
  TFormBinding binding;
  EXPECT_EQ(binding.LiveForm(form), nullptr);
  EXPECT_EQ(binding.LiveElement(form.FieldAt(0)), nullptr);

  binding.Bind(form, &page1);
  binding.Bind(untouched, &page1);
  binding.Bind(form, &page2);
  EXPECT_EQ(binding.LiveForm(form), &page2);
  EXPECT_EQ(binding.LiveElement(form.FieldAt(0)), a2);

  binding.Bind(form, nullptr);
  EXPECT_EQ(binding.LiveForm(form), nullptr);
  EXPECT_EQ(binding.LiveElement(form.FieldAt(0)), nullptr);
  EXPECT_EQ(binding.LiveForm(untouched), &page1);

  binding.Clear();
  EXPECT_EQ(binding.LiveForm(untouched), nullptr);
  EXPECT_EQ(binding.LiveElement(untouched.FieldAt(0)), nullptr);
}

}  // namespace
}  // namespace quillora::test
