#include "pad/pad_xml.h"

#include <memory>
#include <stdexcept>

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include "foundation/app_state.h"
#include "foundation/codepage.h"
#include "foundation/files.h"
#include "foundation/stream.h"
#include "foundation/text_utils.h"
#include "foundation/ui_port.h"

namespace quillora {

namespace {

// PAD files come from anywhere, so the parser is kept from doing anything a file could turn
// against us: XML_PARSE_NONET forbids network access; XML_PARSE_NOENT and XML_PARSE_DTDLOAD are
// not given, so no external DTD or entity is ever loaded and entities are not substituted into
// the tree; XML_PARSE_HUGE is not given, so libxml2 keeps its limits on text size, nesting depth
// and entity amplification. Errors go to the parser context only (never to stderr). Blank text
// is kept: an export keeps the layout of the file it adds to.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

// No PAD file comes near this; a bigger one is not parsed at all.
constexpr int64_t kMaxPadFileSize = int64_t{32} << 20;

struct DocFree {
  void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};
struct CtxtFree {
  void operator()(xmlParserCtxt* c) const { xmlFreeParserCtxt(c); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocFree>;

const xmlChar* X(const char* s) {
  return reinterpret_cast<const xmlChar*>(s);
}
std::string S(const xmlChar* s) {
  return s ? std::string(reinterpret_cast<const char*>(s)) : std::string();
}

// Parses bytes; on failure error holds the parser's message.
DocPtr ParseBytes(const std::string& bytes, const std::string& url, std::string& error) {
  std::unique_ptr<xmlParserCtxt, CtxtFree> ctxt(xmlNewParserCtxt());
  if (!ctxt) {
    error = "Cannot create the XML parser";
    return nullptr;
  }
  if (bytes.size() > static_cast<size_t>(INT32_MAX)) {
    error = "The file is too large";
    return nullptr;
  }
  DocPtr doc(xmlCtxtReadMemory(ctxt.get(), bytes.data(), static_cast<int>(bytes.size()),
                               url.c_str(), nullptr, kParseOptions));
  if (doc && xmlDocGetRootElement(doc.get())) return doc;
  const xmlError& e = ctxt->lastError;
  error = e.message ? Trim(S(X(e.message))) : std::string("The document is empty");
  if (e.line > 0) error += " (line " + std::to_string(e.line) + ")";
  return nullptr;
}

bool ReadFileLimited(const std::string& path, std::string& bytes, std::string& error) {
  const int64_t size = FileSizeOf(path);
  if (size < 0) {
    error = "Cannot open file " + path;
    return false;
  }
  if (size > kMaxPadFileSize) {
    error = "The file is too large: " + path;
    return false;
  }
  try {
    bytes = FileToString(path);
  } catch (const std::exception& e) {
    error = e.what();
    return false;
  }
  return true;
}

bool IsBlank(const std::string& s) {
  for (char c : s)
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return false;
  return true;
}

// Every line break becomes CR LF, the form the records keep.
std::string ToCrLf(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\r') continue;
    if (c == '\n')
      out += "\r\n";
    else
      out += c;
  }
  return out;
}

// Line breaks of a record value become single LFs in the file; a reader sees the same breaks.
std::string ToLf(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

struct Reader {
  TOptionsList& list;
  std::vector<std::string>* names;

  void Store(const std::string& key, const std::string& text) {
    if (key.empty()) return;
    list.SetString(key, ToCrLf(WideToUtf8(Utf8ToWide(text))));
    if (names) names->push_back(key);
  }

  void Walk(xmlNode* node, const std::string& path) {
    for (xmlAttr* a = node->properties; a; a = a->next) {
      const std::string name = S(a->name);
      xmlChar* value = xmlNodeListGetString(node->doc, a->children, 1);
      Store(path.empty() ? name : path + "/" + name, S(value));
      xmlFree(value);
    }
    for (xmlNode* c = node->children; c; c = c->next) {
      if (c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE) {
        const std::string text = S(c->content);
        // Blank text between elements is layout, not a value.
        if (c->type == XML_TEXT_NODE && IsBlank(text)) continue;
        Store(path, text);
      } else if (c->type == XML_ELEMENT_NODE) {
        const std::string name = S(c->name);
        Walk(c, path.empty() ? name : path + "/" + name);
      }
    }
  }
};

std::string Spaces(int n) {
  return std::string(static_cast<size_t>(n > 0 ? n : 0), ' ');
}

bool HasTextContent(xmlNode* node) {
  for (xmlNode* c = node->children; c; c = c->next)
    if ((c->type == XML_TEXT_NODE && !IsBlank(S(c->content))) || c->type == XML_CDATA_SECTION_NODE)
      return true;
  return false;
}

// Appends a new element below parent (at depth: the root is 0) laid out like the PAD files
// people write by hand: the root's children at the left margin, two more spaces per level.
xmlNode* AppendElement(xmlDoc* doc, xmlNode* parent, int depth, const std::string& name) {
  xmlNode* child = xmlNewDocNode(doc, nullptr, X(name.c_str()), nullptr);
  if (!child) return nullptr;
  const std::string child_indent = "\n" + Spaces(2 * depth);
  const std::string close_indent = "\n" + Spaces(2 * (depth - 1));
  // Blank text inside an element with text of its own would change that text.
  if (HasTextContent(parent)) return xmlAddChild(parent, child);
  xmlNode* last = parent->last;
  if (last && last->type == XML_TEXT_NODE) {
    // A text node added next to another text node is merged into it: the element goes in first,
    // so the indentation lands in front of it.
    xmlAddPrevSibling(last, child);
    xmlAddPrevSibling(child, xmlNewDocText(doc, X(child_indent.c_str())));
    return child;
  }
  xmlAddChild(parent, xmlNewDocText(doc, X(child_indent.c_str())));
  xmlAddChild(parent, child);
  xmlAddChild(parent, xmlNewDocText(doc, X(close_indent.c_str())));
  return child;
}

xmlNode* FindChildElement(xmlNode* parent, const std::string& name) {
  for (xmlNode* c = parent->children; c; c = c->next)
    if (c->type == XML_ELEMENT_NODE && S(c->name) == name) return c;
  return nullptr;
}

// Writes one value at the node the key names; false when the key cannot name one.
bool WriteValue(xmlDoc* doc, xmlNode* root, const std::string& key, const std::string& value) {
  std::vector<std::string> parts;
  for (std::string& p : SplitAt(key, '/', TSplitMode::DropEmpty)) parts.push_back(std::move(p));
  if (parts.empty()) return false;
  xmlNode* node = root;
  int depth = 0;
  for (const std::string& part : parts) {
    if (xmlValidateName(X(part.c_str()), 0) != 0) return false;
    if (xmlHasProp(node, X(part.c_str()))) {
      return xmlSetProp(node, X(part.c_str()), X(value.c_str())) != nullptr;
    }
    xmlNode* child = FindChildElement(node, part);
    ++depth;
    if (!child) child = AppendElement(doc, node, depth, part);
    if (!child) return false;
    node = child;
  }
  xmlNodeSetContent(node, nullptr);
  if (!value.empty()) xmlAddChild(node, xmlNewDocText(doc, X(value.c_str())));
  return true;
}

}  // namespace

int ExportXml(const TOptionsList& list, const std::string& path, const std::string& root_name) {
  DocPtr doc;
  if (FileExists(path)) {
    std::string bytes, error;
    if (ReadFileLimited(path, bytes, error)) doc = ParseBytes(bytes, path, error);
  }
  if (!doc) {
    doc.reset(xmlNewDoc(X("1.0")));
    if (!doc) return kXmlNoDocument;
    xmlNode* root = xmlNewDocNode(doc.get(), nullptr, X(root_name.c_str()), nullptr);
    if (!root) return kXmlNoDocument;
    xmlDocSetRootElement(doc.get(), root);
  }
  if (doc->encoding) xmlFree(const_cast<xmlChar*>(doc->encoding));
  doc->encoding = xmlStrdup(X("UTF-8"));
  xmlNode* root = xmlDocGetRootElement(doc.get());
  for (int i = 0; i < list.Count(); ++i) {
    const std::string key = list.NameAt(i);
    // Values of the records are code-page text or UTF-8; libxml2 takes UTF-8 only.
    const std::string value = ToLf(WideToUtf8(Utf8ToWide(Trim(list.GetValueAt(i)))));
    WriteValue(doc.get(), root, key, value);
  }
  xmlChar* mem = nullptr;
  int size = 0;
  xmlDocDumpMemoryEnc(doc.get(), &mem, &size, "UTF-8");
  if (!mem) return kXmlNotSaved;
  std::string bytes(reinterpret_cast<const char*>(mem), static_cast<size_t>(size));
  xmlFree(mem);
  try {
    SaveFileSafely(path, bytes);
  } catch (const std::exception&) {
    return kXmlNotSaved;
  }
  return kXmlWritten;
}

int ImportXmlMemory(const std::string& bytes, const std::string& url, TOptionsList& list,
                    std::vector<std::string>* names, bool show_errors) {
  std::string error;
  DocPtr doc = ParseBytes(bytes, url, error);
  if (!doc) {
    if (show_errors) ShowError(error);
    return kXmlNotParsed;
  }
  Reader reader{list, names};
  reader.Walk(xmlDocGetRootElement(doc.get()), {});
  return kXmlRead;
}

int ImportXml(const std::string& path, TOptionsList& list, std::vector<std::string>* names) {
  std::string bytes, error;
  if (!ReadFileLimited(path, bytes, error)) {
    ShowError(error);
    return kXmlNotParsed;
  }
  return ImportXmlMemory(bytes, path, list, names);
}

std::string PadTemplateText() {
  return FileToString(Folders().data + "pad/pad_template.xml");
}

bool WritePadTemplate(const std::string& path) {
  try {
    SaveFileSafely(path, PadTemplateText());
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace quillora
