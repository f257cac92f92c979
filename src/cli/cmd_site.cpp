#include "cli/cmd_site.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>
#include <ostream>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "foundation/codepage.h"
#include "foundation/encoding.h"
#include "foundation/files.h"
#include "foundation/option_list.h"
#include "foundation/stream.h"
#include "sites/cover.h"
#include "sites/site_file.h"

namespace quillora::cli {

namespace {

using Json = nlohmann::ordered_json;

// Byte strings that are not UTF-8 are written with every byte >= 0x80 as \u00XX. nlohmann has
// no such mode, so those bytes travel through it as code points of a private range
// (U+10FF80..U+10FFFF) and are turned into the escapes afterwards; reading does the reverse.
constexpr uint32_t kByteMarkerBase = 0x10FF00;

bool IsMarker(int32_t cp) {
  return cp >= static_cast<int32_t>(kByteMarkerBase + 0x80) &&
         cp <= static_cast<int32_t>(kByteMarkerBase + 0xFF);
}

// The byte a marker at s[i] stands for, with i moved past the marker; -1, i unchanged, when
// there is none.
int MarkedByteAt(std::string_view s, size_t& i) {
  size_t next = i;
  const int32_t cp = NextUtf8CodePoint(s, next);
  if (!IsMarker(cp)) return -1;
  i = next;
  return static_cast<int>(cp - static_cast<int32_t>(kByteMarkerBase));
}

// Plain UTF-8 that holds no marker code point goes through as it is.
bool IsPlainUtf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    const int32_t cp = NextUtf8CodePoint(s, i);
    if (cp < 0 || IsMarker(cp)) return false;
  }
  return true;
}

Json BytesToJson(std::string_view bytes) {
  if (IsPlainUtf8(bytes)) return std::string(bytes);
  std::string text;
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80)
      text += c;
    else
      AppendUtf8(text, kByteMarkerBase + b);
  }
  return text;
}

// Replaces the markers in nlohmann's output by \u00XX escapes.
std::string FinishJsonText(const std::string& dumped) {
  std::string out;
  out.reserve(dumped.size());
  static const char* kHex = "0123456789abcdef";
  for (size_t i = 0; i < dumped.size();) {
    const int b = MarkedByteAt(dumped, i);
    if (b >= 0) {
      out += "\\u00";
      out += kHex[b >> 4];
      out += kHex[b & 15];
      continue;
    }
    out += dumped[i++];
  }
  return out;
}

bool IsHex(char c) {
  return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

// Turns \u0080..\u00FF escapes into marker escapes so they come back out as single bytes.
std::string PrepareJsonText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    if (text[i] != '\\' || i + 1 >= text.size()) {
      out += text[i++];
      continue;
    }
    if (text[i + 1] == 'u' && i + 6 <= text.size() && text[i + 2] == '0' && text[i + 3] == '0' &&
        IsHex(text[i + 4]) && IsHex(text[i + 5])) {
      const int b = std::stoi(std::string(text.substr(i + 4, 2)), nullptr, 16);
      if (b >= 0x80) {
        // The marker as a surrogate pair: U+10FF00 + b = D8FF-based high, DF-based low.
        const uint32_t v = kByteMarkerBase + static_cast<uint32_t>(b) - 0x10000;
        char buf[16];
        std::snprintf(buf, sizeof buf, "\\u%04X\\u%04X", 0xD800 + (v >> 10), 0xDC00 + (v & 0x3FF));
        out += buf;
        i += 6;
        continue;
      }
    }
    out += text[i];
    out += text[i + 1];
    i += 2;
  }
  return out;
}

std::string JsonToBytes(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    const int b = MarkedByteAt(utf8, i);
    if (b >= 0) {
      out += static_cast<char>(b);
      continue;
    }
    out += utf8[i++];
  }
  return out;
}

std::string HexDecode(std::string_view hex) {
  if (hex.size() % 2) throw CliError("header_tail_hex: an odd number of digits");
  std::string out;
  for (size_t i = 0; i < hex.size(); i += 2) {
    if (!IsHex(hex[i]) || !IsHex(hex[i + 1])) throw CliError("header_tail_hex: not hexadecimal");
    out += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
  }
  return out;
}

Json FieldToJson(const TFormField& field) {
  Json pairs = Json::array();
  for (const std::string& line : field.Lines()) {
    const size_t eq = line.find('=');
    const std::string key = eq == std::string::npos ? std::string() : line.substr(0, eq);
    const std::string raw = eq == std::string::npos ? line : line.substr(eq + 1);
    pairs.push_back(Json::array({BytesToJson(key), BytesToJson(DecodeValue(raw))}));
  }
  return pairs;
}

// Typed look-ups with the key named in the message.
const Json* Member(const Json& object, const char* key) {
  auto it = object.find(key);
  return it == object.end() || it->is_null() ? nullptr : &*it;
}

std::string StringMember(const Json& object, const char* key) {
  const Json* v = Member(object, key);
  if (!v) return {};
  if (!v->is_string()) throw CliError(std::string("'") + key + "' must be a string");
  return JsonToBytes(v->get<std::string>());
}

double NumberMember(const Json& object, const char* key) {
  const Json* v = Member(object, key);
  if (!v) return 0;
  if (!v->is_number()) throw CliError(std::string("'") + key + "' must be a number");
  return v->get<double>();
}

uint8_t ByteMember(const Json& object, const char* key) {
  const Json* v = Member(object, key);
  if (!v) return 0;
  if (!v->is_number_integer() || v->get<int64_t>() < 0 || v->get<int64_t>() > 255)
    throw CliError(std::string("'") + key + "' must be a whole number from 0 to 255");
  return static_cast<uint8_t>(v->get<int64_t>());
}

}  // namespace

void RunSiteDump(const std::string& file, const std::string& cover_out, std::ostream& out) {
  TSiteFileParts parts;
  TFormsList forms;
  try {
    if (FileSizeOf(file) > kMaxSiteFileSize) throw std::runtime_error("the file is too large");
    TMemoryStream stream(FileToString(file));
    if (!ReadSiteFileParts(stream, parts, &forms))
      throw CliError("'" + file + "' is not a site file");
  } catch (const CliError&) {
    throw;
  } catch (const std::exception& e) {
    throw CliError("Cannot load site from " + file + ": " + e.what());
  }
  Json doc;
  doc["signature"] = BytesToJson(parts.Signature());
  doc["protected"] = parts.protected_flag;
  doc["header_tail_hex"] = HexEncode(std::string_view(
      reinterpret_cast<const char*>(parts.header.data()) + 8, kSiteHeaderSize - 8));
  doc["cover_size"] = parts.cover.size();
  doc["urls"] = BytesToJson(parts.address_text);
  doc["options"] = BytesToJson(parts.option_text);
  Json list = Json::array();
  for (int i = 0; i < forms.Count(); ++i) {
    const TWebForm& f = *forms.FormAt(i);
    Json form;
    form["name"] = BytesToJson(f.FormName);
    form["action"] = BytesToJson(f.Action);
    form["method"] = static_cast<uint8_t>(f.Method);  // the stored byte, whatever it holds
    form["url"] = BytesToJson(f.URL);
    form["encoding"] = BytesToJson(f.Encoding);
    form["fingerprint"] = BytesToJson(f.Fingerprint);
    form["purpose"] = static_cast<uint8_t>(f.Purpose);
    form["created"] = f.Created;
    form["last_updated"] = f.LastUpdated;
    Json fields = Json::array();
    for (int k = 0; k < f.FieldCount(); ++k) fields.push_back(FieldToJson(f.FieldAt(k)));
    form["fields"] = std::move(fields);
    list.push_back(std::move(form));
  }
  doc["forms"] = std::move(list);
  out << FinishJsonText(doc.dump(2)) << '\n';
  if (!cover_out.empty()) {
    try {
      StringToFile(cover_out, parts.cover);
    } catch (const std::exception& e) {
      throw CliError(e.what());
    }
  }
}

void RunSiteBuild(const std::string& json_file, const std::string& out_file) {
  Json doc;
  try {
    doc = Json::parse(PrepareJsonText(FileToString(json_file)));
  } catch (const std::exception& e) {
    throw CliError("Cannot read " + json_file + ": " + e.what());
  }
  if (!doc.is_object()) throw CliError(json_file + ": the JSON must be an object");
  TSiteFileParts parts;
  TFormsList forms;
  try {
    const std::string tail = HexDecode(StringMember(doc, "header_tail_hex"));
    if (tail.size() > kSiteHeaderSize - 8) throw CliError("header_tail_hex: more than 64 bytes");
    std::copy(tail.begin(), tail.end(), parts.header.begin() + 8);
    parts.protected_flag = ByteMember(doc, "protected");
    parts.address_text = StringMember(doc, "urls");
    parts.option_text = StringMember(doc, "options");
    const std::string cover_file = StringMember(doc, "cover_file");
    if (cover_file.empty()) {
      parts.cover = DefaultCoverJpeg();
    } else {
      const std::string path =
          IsAbsolutePath(cover_file) ? cover_file : ExtractFilePath(json_file) + cover_file;
      parts.cover = FileToString(path);
    }
    if (const Json* list = Member(doc, "forms")) {
      if (!list->is_array()) throw CliError("'forms' must be a list");
      for (const Json& f : *list) {
        if (!f.is_object()) throw CliError("each form must be an object");
        const int form_number = forms.Count() + 1;
        TWebForm& form = forms.AddForm();
        form.FormName = StringMember(f, "name");
        form.Action = StringMember(f, "action");
        form.Method = static_cast<TFormMethod>(ByteMember(f, "method"));
        form.URL = StringMember(f, "url");
        form.Encoding = StringMember(f, "encoding");
        form.Fingerprint = StringMember(f, "fingerprint");
        form.Purpose = static_cast<TFormPurpose>(ByteMember(f, "purpose"));
        form.Created = NumberMember(f, "created");
        form.LastUpdated = NumberMember(f, "last_updated");
        const Json* fields = Member(f, "fields");
        if (!fields) continue;
        if (!fields->is_array()) throw CliError("'fields' must be a list");
        for (const Json& pairs : *fields) {
          if (!pairs.is_array()) throw CliError("each field must be a list of [key, value] pairs");
          TFormField& field = form.AddField();
          // The dump leaves out the fields' section names; made up in the shape of the default
          // names but from the positions, the same JSON always builds the same file.
          field.Name = std::to_string(form.FieldCount()) + "6-" + std::to_string(form_number) + "2";
          field.Clear();
          for (const Json& pair : pairs) {
            if (!pair.is_array() || pair.size() != 2 || !pair[0].is_string() ||
                !pair[1].is_string())
              throw CliError("each field entry must be a [key, value] pair of strings");
            field.AddLine(JsonToBytes(pair[0].get<std::string>()) + "=" +
                          EncodeValue(JsonToBytes(pair[1].get<std::string>())));
          }
        }
      }
    }
    TMemoryStream out;
    WriteSiteFileParts(out, parts, forms);
    StringToFile(out_file, out.Data());
  } catch (const CliError&) {
    throw;
  } catch (const std::exception& e) {
    throw CliError(e.what());
  }
}

void SetupSiteCommands(CLI::App& root, CliContext& ctx) {
  auto* site = root.add_subcommand("site", "Read and write single site files");
  site->require_subcommand(1);
  auto file = std::make_shared<std::string>();
  auto cover_out = std::make_shared<std::string>();
  auto* dump = site->add_subcommand("dump", "Print a site file's stored parts as JSON");
  dump->add_option("FILE", *file, "The .wsd file")->required();
  dump->add_option("--cover-out", *cover_out, "Also write the cover's JPEG bytes to this file");
  dump->callback([&ctx, file, cover_out] { RunSiteDump(*file, *cover_out, ctx.out); });

  auto json = std::make_shared<std::string>();
  auto out = std::make_shared<std::string>();
  auto* build = site->add_subcommand("build", "Write a site file from JSON in the dump's shape");
  build->add_option("JSON", *json)->required();
  build->add_option("OUT", *out, "The .wsd file to write")->required();
  build->callback([json, out] { RunSiteBuild(*json, *out); });
}

}  // namespace quillora::cli
