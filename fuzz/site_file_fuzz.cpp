// Whole site files from arbitrary bytes: loading either succeeds or raises an error, never
// crashes or allocates beyond the file's own bounds; a loaded site saves and loads again with the
// same forms and addresses; its cover, decoded as the sites view would, fails cleanly when broken.
// An input that starts with "B" is taken as the decoded body of a current file instead, so that
// mutations reach the options and forms directly rather than dying in the LZH code.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "foundation/lzh.h"
#include "foundation/stream.h"
#include "sites/site.h"
#include "sites/site_file.h"

namespace {

void LoadAndCheck(const std::string& bytes);

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  // An input starting with "B" is a body; anything else is a whole file.
  if (size == 0 || data[0] != 'B' || size > 8193) {
    LoadAndCheck(bytes);
    return 0;
  }
  // Header, an empty cover, then the rest of the input as the LZH-coded body.
  std::string file(1, '\x07');
  file += "WSD 2.1";
  file.append(64, '\0');
  file.append(4, '\0');
  file += quillora::LzhCompress(std::string_view(bytes).substr(1));
  LoadAndCheck(file);
  return 0;
}

namespace {

void LoadAndCheck(const std::string& bytes) {
  using namespace quillora;
  TWebSite site;
  TMemoryStream in(bytes);
  try {
    site.LoadFromStream(in);
  } catch (const std::runtime_error&) {
    if (site.Info.Count() != 0 || site.Forms().Count() != 0)
      std::abort();  // a failed load is empty
    return;
  }
  if (!TWebSite::IsKnownSignature(site.Signature())) return;

  TMemoryStream saved;
  site.SaveToStream(saved);
  saved.Rewind();
  TWebSite again;
  again.LoadFromStream(saved);  // what we wrote must read back
  if (again.Signature() != kSiteSignature || again.Forms().Count() != site.Forms().Count() ||
      again.Info.AddressText() != site.Info.AddressText() ||
      again.CoverBytes() != site.CoverBytes() || again.Protected != site.Protected)
    std::abort();
  for (int i = 0; i < site.Forms().Count(); ++i)
    if (again.Forms().FormAt(i)->FormName != site.Forms().FormAt(i)->FormName ||
        again.Forms().FormAt(i)->FieldCount() != site.Forms().FormAt(i)->FieldCount())
      std::abort();

  try {
    const TImage24 picture = site.GetCoverPicture();
    if (picture.bytes.size() != static_cast<size_t>(picture.width) * picture.height * 3)
      std::abort();
  } catch (const std::runtime_error&) {
  }
}

}  // namespace
