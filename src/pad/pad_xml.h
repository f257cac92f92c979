// PAD XML files as option lists: a record key is the path of element names below the root
// element (or ends at an attribute), read and written through libxml2.
#pragma once

#include <string>
#include <vector>

#include "foundation/option_list.h"

namespace quillora {

// ExportXml results.
inline constexpr int kXmlWritten = 0;
inline constexpr int kXmlNoDocument = 1;
inline constexpr int kXmlNotSaved = 2;
// ImportXml results (1 as above).
inline constexpr int kXmlRead = 0;
inline constexpr int kXmlNotParsed = 3;

// Writes every line of list into the XML file at path: an existing file is loaded and keeps
// everything in it, otherwise the document starts with an empty root element of root_name. The
// saved file is UTF-8 (whatever the loaded file declared) and new elements are indented. A line
// whose key cannot be an element path is skipped.
int ExportXml(const TOptionsList& list, const std::string& path, const std::string& root_name);

// Reads every attribute and text of the file into list (see the .cpp for the key rules); every
// key read is appended to names when given. A file that cannot be parsed shows the parser's
// message as an error and returns kXmlNotParsed; list is then unchanged.
int ImportXml(const std::string& path, TOptionsList& list,
              std::vector<std::string>* names = nullptr);
// The same on bytes already in memory (the fuzz target; url names them in messages).
int ImportXmlMemory(const std::string& bytes, const std::string& url, TOptionsList& list,
                    std::vector<std::string>* names = nullptr, bool show_errors = true);

// The default name of a PAD file.
inline constexpr const char* kDefaultPadFileName = "pad_file.xml";
// The text a new PAD file starts from: the data folder's "pad/pad_template.xml". Throws
// std::runtime_error when it cannot be read.
std::string PadTemplateText();
// Writes the template to path. False when it could not be written.
bool WritePadTemplate(const std::string& path);

}  // namespace quillora
