// Company and product files come from the user's data folder and from archives: loading must
// refuse damage cleanly, what loads must save to a file that loads again, the save merge must
// cope with any file on disk, and the binary list form must refuse damage without crashing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "foundation/stream.h"
#include "pad/records.h"

using namespace quillora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);

  TProduct product;
  bool loaded = true;
  try {
    product.LoadFromText(text);
  } catch (const TRecordFileError&) {
    loaded = false;
    if (product.Count() != 0 || product.Snapshot.Count() != 0) std::abort();
  }
  if (loaded != CheckRecordText(text).empty()) std::abort();
  if (loaded) {
    TMemoryStream saved;
    product.SaveToStream(saved);
    if (!CheckRecordText(saved.Data()).empty()) std::abort();
    saved.Rewind();
    TProduct again;
    again.LoadFromStream(saved);  // must not throw

    // The merge of this record's tree into the same file, as a save does.
    product.SetString("Program_Info/Program_Version", "fuzz");
    TMultiOptions fresh, disk;
    product.BuildTree(fresh);
    disk.SetText(text);
    MergeRecordTrees(product.Snapshot, fresh, disk);
    if (disk.Section("General").GetString("Program_Info/Program_Version") != "fuzz") std::abort();

    TCompany company;
    company.LoadFromText(text);
  }

  // The same bytes as a list of records inside an archive.
  TMemoryStream archive(text);
  TProductList list;
  try {
    list.LoadFromStream(archive);
  } catch (const TRecordFileError&) {
  }
  return 0;
}
