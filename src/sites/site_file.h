// The ".wsd" site file layout: "WSD 2.1" (written: header, JPEG cover, LZH-coded body) and the
// older "WSD 1.0" / "WSD 2.0" (read: header, then one bzip2 stream), read into its stored parts
// as they are, before a site applies its corrections to them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "foundation/stream.h"
#include "sites/site.h"
#include "sites/web_forms.h"

namespace quillora {

struct TSiteFileParts {
  std::array<uint8_t, kSiteHeaderSize> header{};
  std::string cover;         // JPEG bytes
  std::string address_text;  // option-tree text of the address records
  std::string option_text;   // option-tree text of the site's sections
  uint8_t protected_flag = 0;
  // The stored forms block as read (checked, not parsed) when ReadSiteFileParts had no list to
  // read them into; forms_unwrapped tells LoadForms which layout it holds.
  std::string forms_block;
  bool forms_unwrapped = false;

  std::string Signature() const;
};

// Reads a whole site file from the stream's position. False, with only the header read, when
// the signature is not one of a site file. Damaged or truncated content raises
// std::runtime_error; no allocation goes beyond what the data can hold (or, for the bzip2 body
// of old files, kMaxOldSiteBodySize). With `forms` nullptr the forms block is checked and left
// in parts.forms_block.
bool ReadSiteFileParts(TStream& s, TSiteFileParts& parts, TFormsList* forms);

// Writes a "WSD 2.1" file of these parts exactly as given (the header's signature is set).
void WriteSiteFileParts(TStream& s, const TSiteFileParts& parts, const TFormsList& forms);

}  // namespace quillora
