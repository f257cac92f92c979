// PAD files come from anywhere: the importer must parse any bytes without crashing, reading
// outside the input or fetching anything, and what it reads must keep its key and line-end rules.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "foundation/option_list.h"
#include "pad/pad_xml.h"

using namespace quillora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  TOptionsList list;
  std::vector<std::string> names;
  const int result = ImportXmlMemory(bytes, "fuzz.xml", list, &names, false);
  if (result != kXmlRead) {
    if (list.Count() != 0 || !names.empty()) std::abort();
    return 0;
  }
  for (int i = 0; i < list.Count(); ++i) {
    const std::string key = list.NameAt(i);
    if (key.empty() || std::find(names.begin(), names.end(), key) == names.end()) std::abort();
    // Every line break of a value read is CR LF.
    const std::string value = list.GetValueAt(i);
    for (size_t p = 0; p < value.size(); ++p) {
      if (value[p] == '\r' && (p + 1 == value.size() || value[p + 1] != '\n')) std::abort();
      if (value[p] == '\n' && (p == 0 || value[p - 1] != '\r')) std::abort();
    }
  }
  return 0;
}
