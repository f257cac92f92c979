#include "pad/pad_validator.h"

#include <algorithm>
#include <optional>
#include <regex>
#include <stdexcept>

#include "foundation/codepage.h"
#include "foundation/stream.h"
#include "foundation/text_utils.h"

namespace quillora {

namespace {

constexpr const char* kEnglish = "Program_Descriptions/English/";

bool StartsWith(const std::string& s, const std::string& prefix) {
  return s.rfind(prefix, 0) == 0;
}

// Characters, not bytes: the values are UTF-8.
size_t Length(const std::string& s) {
  if (!IsValidUtf8(s)) return s.size();
  size_t n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

std::vector<char32_t> CodePoints(const std::string& s) {
  std::vector<char32_t> out;
  if (!IsValidUtf8(s)) {
    for (unsigned char c : s) out.push_back(c);
    return out;
  }
  for (size_t i = 0; i < s.size();) out.push_back(static_cast<char32_t>(NextUtf8CodePoint(s, i)));
  return out;
}

bool AsciiAlnum(char32_t c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Which characters a kind of text may hold.
bool CharAllowed(const std::string& kind, char32_t c) {
  if (kind == "text") return c != '<' && c != '\t';
  if (kind == "line") return c != '<' && c != '\t' && c != '\r' && c != '\n';
  if (kind == "multiline") return c != '<';
  const bool latin = AsciiAlnum(c) || (c >= 0xBC && c <= 0xFF) || c == ' ';
  if (kind == "addr")
    return latin || std::u32string_view(U".-,#/'").find(c) != std::u32string::npos;
  if (kind == "state") return latin || std::u32string_view(U".-,/").find(c) != std::u32string::npos;
  if (kind == "country") return (latin && !(c >= '0' && c <= '9')) || c == '\'' || c == '-';
  return true;
}

bool Matches(const std::string& value, const std::string& pattern) {
  return std::regex_match(value, std::regex(pattern));
}

// One rule of the table's notation; empty when the value keeps it, otherwise the rule broken.
class RuleCheck {
 public:
  explicit RuleCheck(const TPadRules& rules) : rules_(rules) {}

  // nullopt: nothing to check (not in this version, or not validated).
  std::optional<std::string> Check(std::string rule, const std::string& value, bool present) const {
    if (rule.empty() || rule == "-" || rule.find("not validated") != std::string::npos)
      return std::string();
    bool may_be_empty = false;
    if (StartsWith(rule, "empty | ")) {
      may_be_empty = true;
      rule = rule.substr(8);
    }
    const size_t space = rule.find(" (");
    const std::string note = space == std::string::npos ? "" : rule.substr(space + 2);
    if (space != std::string::npos) rule = rule.substr(0, space);
    if (!rule.empty() && rule.back() == '?') {
      may_be_empty = true;
      rule.pop_back();
    }
    if (StartsWith(rule, "enum?:")) {
      may_be_empty = true;
      rule.erase(4, 1);
    }
    // A server-assigned identifier is checked only when the file has one.
    if (note.find("server-assigned") != std::string::npos) may_be_empty = true;

    std::string kind = rule;
    size_t lo = 0, hi = SIZE_MAX;
    const size_t brace = rule.find('{');
    if (brace != std::string::npos) {
      kind = rule.substr(0, brace);
      const size_t dots = rule.find("..", brace), close = rule.find('}', brace);
      if (dots != std::string::npos && close != std::string::npos) {
        lo = std::stoul(rule.substr(brace + 1, dots - brace - 1));
        hi = std::stoul(rule.substr(dots + 2, close - dots - 2));
      }
    }
    const bool sized_text = kind == "text" || kind == "line" || kind == "multiline" ||
                            kind == "addr" || kind == "state" || kind == "country";
    if (brace != std::string::npos && lo == 0) may_be_empty = true;
    if (value.empty()) {
      if (may_be_empty) return std::string();
      return std::string(present ? "required (empty)" : "required");
    }
    if (sized_text) {
      const size_t n = Length(value);
      if (n < lo || n > hi)
        return "length " + std::to_string(lo) + ".." + std::to_string(hi) + " (" +
               std::to_string(n) + ")";
      for (char32_t c : CodePoints(value))
        if (!CharAllowed(kind, c)) {
          if (kind == "line" && (c == '\r' || c == '\n')) return std::string("single line");
          return "characters of " + kind;
        }
      return std::string();
    }
    if (kind == "decimal") return Verdict(Matches(value, "[0-9]\\.[0-9]+"), "format d.d");
    if (kind == "email")
      return Verdict(Matches(value, "[^@\\s]{2,30}@[^@\\s]{2,63}\\.[^@\\s.]{2,20}"), "email");
    if (kind == "phone") return Verdict(Matches(value, "\\+{0,2}([0-9#*()/_-] *){7,40}"), "phone");
    if (kind == "version")
      return Verdict(
          Matches(value, "[A-Za-z0-9_.-]{" + std::to_string(lo) + "," + std::to_string(hi) + "}"),
          "version{" + std::to_string(lo) + ".." + std::to_string(hi) + "}");
    if (kind == "mm") return Verdict(Matches(value, "0[1-9]|1[0-2]"), "month 01..12");
    if (kind == "dd") return Verdict(Matches(value, "0[1-9]|[12][0-9]|3[01]"), "day 01..31");
    if (kind == "yyyy")
      return Verdict(Matches(value, "19[0-9]{2}|2[01][0-9]{2}"), "year 1900..2199");
    if (kind == "money") return Verdict(Matches(value, "[0-9]+(\\.[0-9]{2})?"), "money");
    if (kind == "digits" || kind == "number") {
      const std::string cls = kind == "digits" ? "[0-9]" : "[0-9.]";
      return Verdict(
          Matches(value, cls + "{" + std::to_string(lo) + "," + std::to_string(hi) + "}"),
          kind + "{" + std::to_string(lo) + ".." + std::to_string(hi) + "}");
    }
    if (kind == "yn")
      return Verdict(value == "Y" || value == "y" || value == "N" || value == "n", "Y/N");
    if (StartsWith(kind, "enum:")) return Enum(kind.substr(5), value, note);
    if (StartsWith(kind, "enumlist:")) {
      for (const std::string& item : SplitAt(value, ',', TSplitMode::TrimDropEmpty))
        if (const auto broken = Enum(kind.substr(9), item, note); !broken->empty()) return broken;
      return std::string();
    }
    if (StartsWith(kind, "url[")) return Url(rule, value);
    if (StartsWith(kind, "'crt-'")) return Verdict(Matches(value, "crt-[0-9A-Z]{12}"), "crt-ID");
    if (StartsWith(kind, "'pid-'")) return Verdict(Matches(value, "pid-[0-9a-z]{12}"), "pid-ID");
    if (StartsWith(kind, "'app-'")) return Verdict(Matches(value, "app-[0-9a-z]{12}"), "app-ID");
    if (StartsWith(kind, "certificate URL"))
      return Verdict(std::regex_search(value, std::regex("crt-[0-9a-z]{12}$")), "certificate URL");
    return std::string();
  }

 private:
  static std::string Verdict(bool ok, const std::string& rule) { return ok ? std::string() : rule; }

  const std::vector<std::string>* List(const std::string& name) const {
    const auto it = rules_.enums.find(name);
    return it == rules_.enums.end() ? nullptr : &it->second;
  }

  std::optional<std::string> Enum(const std::string& name, const std::string& value,
                                  const std::string& note) const {
    const std::vector<std::string>* list = List(name);
    if (!list) return std::string();
    bool ok = std::find(list->begin(), list->end(), value) != list->end();
    // The older list lacks what 4.0 added.
    if (ok && note.find("3.11 list") != std::string::npos)
      if (const auto* added = List(name + "_added_in_4.0"))
        ok = std::find(added->begin(), added->end(), value) == added->end();
    return Verdict(ok, "enum " + name);
  }

  std::optional<std::string> Url(const std::string& rule, const std::string& value) const {
    const size_t close = rule.find(']');
    const std::vector<std::string> schemes =
        SplitAt(rule.substr(4, close - 4), '|', TSplitMode::DropEmpty);
    const size_t sep = value.find("://");
    const std::string scheme = sep == std::string::npos ? "" : AnsiLowerCase(value.substr(0, sep));
    if (std::find(schemes.begin(), schemes.end(), scheme) == schemes.end())
      return "url scheme " + rule.substr(4, close - 4);
    const size_t brace = rule.find('{'), dots = rule.find(".."), end = rule.find('}');
    if (brace != std::string::npos && dots != std::string::npos && end != std::string::npos) {
      const size_t lo = std::stoul(rule.substr(brace + 1, dots - brace - 1));
      const size_t hi = std::stoul(rule.substr(dots + 2, end - dots - 2));
      const size_t n = Length(value.substr(sep + 3));
      if (n < lo || n > hi)
        return "url length " + std::to_string(lo) + ".." + std::to_string(hi) + " (" +
               std::to_string(n) + ")";
    }
    const size_t open = rule.find(".(");
    if (open == std::string::npos) return std::string();
    const std::string spec = rule.substr(open + 2, rule.find(')', open) - open - 2);
    std::vector<std::string> exts;
    if (spec == "download-ext") {
      if (const auto* l = List("Download_URL_Extension")) exts = *l;
    } else {
      exts = SplitAt(spec, '|', TSplitMode::DropEmpty);
    }
    const size_t dot = value.rfind('.');
    const std::string ext = dot == std::string::npos ? "" : AnsiLowerCase(value.substr(dot + 1));
    if (std::find(exts.begin(), exts.end(), ext) == exts.end())
      return "url extension (" + spec + ")";
    return std::string();
  }

  const TPadRules& rules_;
};

}  // namespace

void TPadRules::Load(const std::string& folder) {
  fields.clear();
  enums.clear();
  const std::vector<std::string> rule_lines = SplitLines(FileToString(folder + "field-rules.tsv"));
  for (size_t i = 1; i < rule_lines.size(); ++i) {
    const std::vector<std::string> cells = SplitAt(rule_lines[i], '\t', TSplitMode::KeepEmpty);
    if (cells.size() < 3 || cells[0].empty()) continue;
    fields.push_back({cells[0], cells[1], cells[2]});
  }
  std::string section;
  for (const std::string& line : SplitLines(FileToString(folder + "enums.txt"))) {
    const std::string t = Trim(line);
    if (t.empty()) continue;
    if (t.front() == '[' && t.back() == ']')
      section = t.substr(1, t.size() - 2);
    else if (!section.empty())
      enums[section].push_back(t);
  }
  auto& classes = enums["Program_Category_Class"];
  for (const std::string& line : SplitLines(FileToString(folder + "category-classes.txt")))
    if (!Trim(line).empty()) classes.push_back(Trim(line));
}

std::string PadVersionOf(const TOptionsList& values) {
  const std::string v = Trim(values.GetString("MASTER_PAD_VERSION_INFO/MASTER_PAD_VERSION"));
  return StartsWith(v, "4") ? "4.0" : "3.11";
}

std::vector<TPadProblem> ValidatePad(const TOptionsList& values, const std::string& version,
                                     const TPadRules& rules) {
  std::vector<TPadProblem> problems;
  const RuleCheck check(rules);
  // The description languages the file has (English is always checked).
  std::vector<std::string> languages = {"English"};
  for (int i = 0; i < values.Count(); ++i) {
    const std::string key = values.NameAt(i);
    if (!StartsWith(key, "Program_Descriptions/")) continue;
    const std::string language = NthField(key, 1, '/');
    if (std::find(languages.begin(), languages.end(), language) == languages.end())
      languages.push_back(language);
  }
  const auto* known =
      rules.enums.count("Program_Language") ? &rules.enums.at("Program_Language") : nullptr;
  for (size_t l = 1; l < languages.size(); ++l)
    if (known && std::find(known->begin(), known->end(), languages[l]) == known->end())
      problems.push_back({"Program_Descriptions/" + languages[l], "enum Program_Language", ""});

  for (const TPadRules::Field& field : rules.fields) {
    const std::string& rule = version == "4.0" ? field.rule_40 : field.rule_311;
    std::vector<std::string> paths = {field.path};
    if (StartsWith(field.path, kEnglish)) {
      paths.clear();
      for (const std::string& language : languages)
        paths.push_back("Program_Descriptions/" + language + "/" +
                        field.path.substr(std::string(kEnglish).size()));
    }
    for (const std::string& path : paths) {
      const bool present = values.HasKey(path);
      const std::string value = values.GetString(path);
      // Only English descriptions are required to be there at all.
      if (!present && path != field.path) continue;
      const auto broken = check.Check(rule, value, present);
      if (broken && !broken->empty()) problems.push_back({path, *broken, value});
    }
  }
  return problems;
}

}  // namespace quillora
