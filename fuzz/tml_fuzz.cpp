// ".tml" rule files from arbitrary bytes: importing never fails and never touches fields beyond
// their rules; exporting the result and importing it into a copy gives the same rules.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "foundation/option_list.h"
#include "sites/web_forms.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quillora;
  TMultiOptions rules;
  rules.SetText(std::string_view(reinterpret_cast<const char*>(data), size));

  TWebForm form;
  for (const char* name : {"email", "name", "email", "user", "", "pass"}) {
    TFormField& f = form.AddField();
    if (*name) f.SetFieldName(name);
    f.SetFieldType(ftText);
  }
  ImportRules(form, rules);

  TMultiOptions exported;
  ExportRules(form, exported);
  TWebForm copy;
  copy.Assign(form);
  for (int i = 0; i < copy.FieldCount(); ++i) {
    copy.FieldAt(i).SetFillWith("");
    copy.FieldAt(i).SetIgnored(false);
    copy.FieldAt(i).SetLogin(false);
  }
  TMultiOptions reread;
  reread.SetText(exported.Text());
  ImportRules(copy, reread);
  for (int i = 0; i < form.FieldCount(); ++i) {
    const TFormField& a = form.FieldAt(i);
    const TFormField& b = copy.FieldAt(i);
    if (a.FieldName().empty()) continue;
    if (a.FillWith() != b.FillWith() || a.IsIgnored() != b.IsIgnored() ||
        a.IsLogin() != b.IsLogin())
      std::abort();
  }
  return 0;
}
