// Binary list reading: truncated or hostile streams must never read past a destination or crash.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "foundation/option_list.h"

namespace {

struct Rec : quillora::TPersistObj {
  int32_t n = 0;
  double d = 0;
  std::string s;
  quillora::TMultiOptions tree;
  void SaveToStream(quillora::TStream& out) const override {
    quillora::WriteSizedInt(out, n);
    quillora::WriteSizedDouble(out, d);
    quillora::WriteShortStr(out, s);
    quillora::WriteListBlob(out, tree);
  }
  void LoadFromStream(quillora::TStream& in) override {
    n = quillora::ReadSizedInt(in);
    d = quillora::ReadSizedDouble(in);
    s = quillora::ReadShortStr(in);
    quillora::ReadListBlob(in, tree);
  }
};

struct RecList : quillora::TPersistObjList {
  std::unique_ptr<quillora::TPersistObj> CreateItem() override { return std::make_unique<Rec>(); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quillora::TMemoryStream s(std::string(reinterpret_cast<const char*>(data), size));
  RecList list;
  try {
    list.LoadFromStream(s);
    // What was read must write and read back the same.
    quillora::TMemoryStream out;
    list.SaveToStream(out);
    out.Rewind();
    RecList again;
    again.LoadFromStream(out);
  } catch (const std::runtime_error&) {
  } catch (const std::length_error&) {
  }
  return 0;
}
