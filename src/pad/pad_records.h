// Company and product records written to and read from PAD files: which keys go into a file,
// which come back, and the enciphered ("*") keys.
#pragma once

#include <string>
#include <vector>

#include "pad/records.h"

namespace quillora {

// kXmlNotParsed is also what these return when preparing or applying failed.
int ExportCompanyXml(const TCompany& company, const std::string& path);
// Moves "Simtel/Simtel_WinXX_Category" to "Simtel/Simtel_Category" in the record (that change
// stays); everything else of the record is as before afterwards.
int ExportProductXml(TProduct& product, const std::string& path);
// Empties the record's fields (keeping its UINs) and fills them from the file.
int ImportCompanyXml(TCompany& company, const std::string& path, std::vector<std::string>* names);
int ImportProductXml(TProduct& product, const std::string& path, std::vector<std::string>* names);

// The keys of a namespace section in file order (empty when the section is missing).
std::vector<std::string> NameSpaceKeys(const std::string& section);
// Whether the key is listed in one of the sections whose keys never come from a product's PAD
// file ("Company", "Company/Private", "Product/Private", "Runtime").
bool IsNonProductKey(const std::string& key);

// A "*" value as it stands in a PAD file: enciphered, then escaped, so any byte the cipher
// produces can be carried by XML text. DecodePadSecret reverses it.
std::string EncodePadSecret(const std::string& plain);
std::string DecodePadSecret(const std::string& stored);

}  // namespace quillora
