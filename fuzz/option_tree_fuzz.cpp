// Option-tree and option-list text: parse, write back, parse again; the second round must be
// stable.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "foundation/option_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  quillora::TMultiOptions tree;
  tree.SetText(text);
  std::string once = tree.Text();
  quillora::TMultiOptions again;
  again.SetText(once);
  if (again.Text() != once) std::abort();
  for (int i = 0; i < tree.Count(); ++i) {
    quillora::TOptionsList& s = tree.SectionAt(i);
    for (int j = 0; j < s.Count(); ++j) (void)s.GetValueAt(j);
  }
  quillora::TOptionsList list;
  list.SetText(text);
  if (list.Count() > 0) {
    std::string name = list.NameAt(0);
    // An empty value deletes the line, and a later line of the same name would then answer.
    if (!name.empty() && !list.GetString(name).empty()) {
      std::string v = list.GetString(name);
      list.SetString(name, v);
      if (list.GetString(name) != v) std::abort();
    }
  }
  return 0;
}
