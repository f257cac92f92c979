// The server's index as the update reads it: every "Sites" line splits into four fields, and a
// file field taken as plain never leads out of the download folder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "net/site_update.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const quillora::TUpdateIndex index = quillora::ReadUpdateIndex(text);
  (void)index.general.GetString("Build");
  for (const std::string& line : index.lines) {
    const quillora::TUpdateIndexLine fields = quillora::SplitIndexLine(line);
    if (fields.uin.find(',') != std::string::npos) std::abort();
    if (quillora::IsPlainFileField(fields.file_field) &&
        (fields.file_field.find('/') != std::string::npos || fields.file_field == ".."))
      std::abort();
  }
  return 0;
}
