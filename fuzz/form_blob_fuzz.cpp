// Stored-form blobs from arbitrary bytes: one form, and a forms block in both layouts. Reading
// succeeds or raises an error; a form that was read writes and reads back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/stream.h"
#include "sites/web_forms.h"

namespace {

bool SameForm(const quillora::TWebForm& a, const quillora::TWebForm& b) {
  if (a.FormName != b.FormName || a.Action != b.Action || a.Method != b.Method || a.URL != b.URL ||
      a.Encoding != b.Encoding || a.Fingerprint != b.Fingerprint || a.Purpose != b.Purpose ||
      a.FieldCount() != b.FieldCount())
    return false;
  // Dates are compared as bits: a stored NaN must come back as the same NaN.
  if (std::memcmp(&a.Created, &b.Created, sizeof a.Created) != 0 ||
      std::memcmp(&a.LastUpdated, &b.LastUpdated, sizeof a.LastUpdated) != 0)
    return false;
  for (int i = 0; i < a.FieldCount(); ++i) {
    const quillora::TFormField& fa = a.FieldAt(i);
    const quillora::TFormField& fb = b.FieldAt(i);
    if (fa.Name != fb.Name) return false;
    // Saving leaves out the first "Field Options" line of each field.
    std::vector<std::string> lines = fa.Lines();
    const int skip = fa.IndexOfName("Field Options");
    if (skip >= 0) lines.erase(lines.begin() + skip);
    if (lines != fb.Lines()) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quillora;
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  TWebForm form;
  TMemoryStream in(bytes);
  bool loaded = true;
  try {
    form.LoadFromStream(in);
  } catch (const std::runtime_error&) {
    loaded = false;
  }
  if (loaded) {
    TMemoryStream out;
    form.SaveToStream(out);
    out.Rewind();
    TWebForm back;
    back.LoadFromStream(out);
    // A second pass must be stable: the first may merge repeated section headers.
    TMemoryStream out2;
    back.SaveToStream(out2);
    out2.Rewind();
    TWebForm back2;
    back2.LoadFromStream(out2);
    if (!SameForm(back, back2)) std::abort();
    back.UpdateFingerprint();
  }

  for (bool unwrapped : {false, true}) {
    TFormsList forms;
    TMemoryStream block(bytes);
    try {
      forms.LoadForms(block, unwrapped);
    } catch (const std::runtime_error&) {
      continue;
    }
    forms.FindSimilar("http://site/submit", 7);
    forms.FindByFingerprint("", "FNG2.0-");
  }
  return 0;
}
