// Capturing live forms into stored-form records, the text in front of each control, and the
// rules proposed for captured fields from option texts, names, context texts and sizes.
#include <algorithm>
#include <unordered_map>

#include "foundation/app_state.h"
#include "foundation/codepage.h"
#include "foundation/text_utils.h"
#include "pad/product_data.h"
#include "pad/profile.h"
#include "submit/form_filler.h"
#include "template/template.h"

namespace quillora {

namespace {

struct TAliasRule {
  std::string key;
  std::vector<std::string> names, contexts;
};

std::vector<TAliasRule> ParseAliases() {
  std::vector<TAliasRule> rules;
  const TMultiOptions& aliases = Tables().aliases;
  rules.reserve(static_cast<size_t>(aliases.Count()));
  for (int i = 0; i < aliases.Count(); ++i) {
    const TOptionsList& s = aliases.SectionAt(i);
    TAliasRule r{s.Name, SplitAt(AnsiLowerCase(s.GetString("name")), ',', TSplitMode::DropEmpty),
                 SplitAt(AnsiLowerCase(s.GetString("context")), ',', TSplitMode::DropEmpty)};
    rules.push_back(std::move(r));
  }
  return rules;
}

// The rules of the loaded table, split again only when the table was replaced or reloaded
// (its sections, line counts and sizes are the cheap sign of that): splitting them for every
// field made pages of many forms slow.
const std::vector<TAliasRule>& Aliases() {
  static std::vector<TAliasRule> parsed;
  static std::vector<size_t> parsed_shape;
  static bool done = false;
  const TMultiOptions& aliases = Tables().aliases;
  std::vector<size_t> shape{reinterpret_cast<size_t>(&aliases)};
  for (int i = 0; i < aliases.Count(); ++i) {
    const TOptionsList& s = aliases.SectionAt(i);
    size_t bytes = s.Name.size();
    for (const std::string& line : s.Lines()) bytes += line.size();
    shape.push_back(static_cast<size_t>(s.Count()) * 1000003u + bytes);
  }
  if (!done || shape != parsed_shape) {
    parsed = ParseAliases();
    parsed_shape = std::move(shape);
    done = true;
  }
  return parsed;
}

std::string Guess(const std::vector<TAliasRule>& rules, std::string_view name,
                  std::string_view context) {
  const std::string n = AnsiLowerCase(name);
  const std::string c = AnsiLowerCase(context);
  for (size_t i = rules.size(); i > 0; --i) {
    for (const std::string& p : rules[i - 1].names) {
      if (AliasPatternMatches(p, n)) return "|" + rules[i - 1].key + "|";
    }
  }
  for (size_t i = rules.size(); i > 0; --i) {
    for (const std::string& p : rules[i - 1].contexts) {
      if (AliasPatternMatches(p, c)) return "|" + rules[i - 1].key + "|";
    }
  }
  return {};
}

bool IsTextLikeInput(std::u16string_view type) {
  // Older engines reported these newer types as "text"; they take text all the same.
  return type == u"text" || type == u"email" || type == u"url" || type == u"tel" ||
         type == u"search" || type == u"number" || type == u"date" || type == u"month" ||
         type == u"week" || type == u"time" || type == u"datetime-local";
}

}  // namespace

bool AliasPatternMatches(std::string_view pattern, std::string_view text) {
  bool any = false;
  size_t i = 0;
  char sign = 0;
  while (i <= pattern.size()) {
    size_t end = pattern.find_first_of("+-", i);
    if (end == std::string_view::npos) end = pattern.size();
    const std::string_view term = pattern.substr(i, end - i);
    if (!term.empty()) {
      const bool found = text.find(term) != std::string_view::npos;
      if (sign == '-') {
        if (found) return false;
      } else {
        if (!found) return false;
        any = true;
      }
    }
    if (end >= pattern.size()) break;
    sign = pattern[end];
    i = end + 1;
  }
  return any;
}

std::string GuessKey(std::string_view name, std::string_view context) {
  return Guess(Aliases(), name, context);
}

std::string ContextText(std::u16string_view html) {
  std::u16string out;
  auto blank = [&out] {
    if (out.empty() || out.back() != u' ') out.push_back(u' ');
  };
  size_t i = 0;
  while (i < html.size()) {
    const char16_t c = html[i];
    if (c == u'<') {
      const size_t gt = html.find(u'>', i);
      if (gt == std::u16string_view::npos) break;
      i = gt + 1;
      continue;
    }
    if (c == u'&') {
      const size_t semi = html.find(u';', i);
      if (semi != std::u16string_view::npos && semi - i <= 8) {
        const std::u16string_view entity = html.substr(i + 1, semi - i - 1);
        int code = -1;
        if (entity == u"nbsp")
          code = 0xA0;
        else if (entity == u"lt")
          code = '<';
        else if (entity == u"gt")
          code = '>';
        else if (entity == u"quot")
          code = '"';
        else if (entity == u"amp")
          code = '&';
        else if (entity.size() > 1 && entity[0] == u'#') {
          code = 0;
          for (size_t k = 1; k < entity.size() && code >= 0; ++k) {
            if (entity[k] < u'0' || entity[k] > u'9')
              code = -1;
            else
              code = code * 10 + (entity[k] - u'0');
          }
          if (code > 0xFFFF) code = -1;
        }
        if (code >= 0) {
          if (code < 32) {
            blank();
          } else {
            out.push_back(static_cast<char16_t>(code));
          }
          i = semi + 1;
          continue;
        }
      }
    }
    if (c <= 30) {
      blank();
    } else {
      out.push_back(c);
    }
    ++i;
  }
  return WideToAnsi(out);
}

std::string GuessListRule(const std::vector<std::string>& options, std::string_view field_name) {
  std::string joined = "|";
  std::vector<std::string> lower;
  lower.reserve(options.size());
  for (const std::string& o : options) {
    lower.push_back(AnsiLowerCase(o));
    const std::string& l = lower.back();
    if (l.find(' ') != std::string::npos || l.find('|') != std::string::npos) {
      joined += "|" + l + "|";
    } else {
      joined += l;
    }
    joined += "|";
  }
  auto has = [&](std::string_view word) {
    return std::find(lower.begin(), lower.end(), word) != lower.end() ||
           joined.find(word) != std::string::npos;
  };
  auto any = [&](std::initializer_list<std::string_view> words) {
    return std::any_of(words.begin(), words.end(), has);
  };
  auto all = [&](std::initializer_list<std::string_view> words) {
    return std::all_of(words.begin(), words.end(), has);
  };
  const bool exp = field_name.find("exp") != std::string_view::npos;
  const size_t n = options.size();
  if (any({"internet", "audio", "utilities"})) return "|Program_Category|";
  if (any({"english", "russian"})) return "|Program_Info/Program_Language|";
  if (any({"freeware", "shareware"})) return "|Program_Info/Program_Type|";
  if (any({"target", "platform", "system", "win 95", "win95", "win 98", "win98", "winnt", " nt",
           ",nt", "/nt"})) {
    return "|Program_Info/Program_OS_Support|";
  }
  if (any({"install"})) return "|Program_Info/Program_Install_Support|";
  if (any({"united states", "germany", "canada"})) return "|Company_Info/Country|";
  if (any({"|us|", "|deu|", "|ger|", "|can|"})) return "|Company_Info/Country_Short|";
  if (any({"alabama", "arizona", "california", "oregon"})) return "|Company_Info/State_Province|";
  if (any({"|al|", "|az|", "|ca|", "|or|"})) return "|Company_Info/State_Province_Short|";
  if (all({"january", "may", "october", "december"})) {
    return exp ? "|Program_Info/Expire_Info/Expire_Month_Text|"
               : "|Program_Info/Program_Release_Month_Text|";
  }
  if (all({"|jan|", "|may|", "|oct|", "|dec|"})) {
    return exp ? "|Program_Info/Expire_Info/Expire_Month_Text_Short|"
               : "|Program_Info/Program_Release_Month_Text_Short|";
  }
  if (has("|23|") && n >= 28 && n <= 35) {
    return exp ? "|Program_Info/Expire_Info/Expire_Day|" : "|Program_Info/Program_Release_Day|";
  }
  if (has("|10|") && n >= 12 && n <= 15) {
    return exp ? "|Program_Info/Expire_Info/Expire_Month|" : "|Program_Info/Program_Release_Month|";
  }
  if (any({"|1998|", "|2001|", "|2005|"})) {
    return exp ? "|Program_Info/Expire_Info/Expire_Year|" : "|Program_Info/Program_Release_Year|";
  }
  return {};
}

void CaptureLiveForm(TDomForm* form, TWebForm& web_form) {
  web_form.OuterHTML = WideToUtf8(form->OuterHTML());
  web_form.FormName = WideToAnsi(form->Name());
  web_form.InnerText = WideToAnsi(form->InnerText());
  web_form.Action = WideToAnsi(form->Action());
  web_form.Encoding = WideToAnsi(form->Encoding());
  const std::string method = AnsiUpperCase(WideToAnsi(form->Method()));
  web_form.Method = (method.empty() || method == "GET") ? mtGet : mtPost;
  web_form.URL = form->Document() ? WideToAnsi(form->Document()->URL()) : std::string();
  CaptureForm(form, web_form);
}

namespace {

// Where each element's markup starts in the form's markup, found without searching the rest of
// the form for every element: controls inside a fieldset are not found after the fieldset's
// end, and a search to the end for each of them made large forms take quadratic time. Every
// element's markup starts with "<", so the positions of "<" are indexed by what follows them.
class TMarkupIndex {
 public:
  explicit TMarkupIndex(std::u16string_view html) : html_(html) {
    for (size_t i = html.find(u'<'); i != std::u16string_view::npos; i = html.find(u'<', i + 1))
      positions_[std::u16string(StartTag(html.substr(i)))].push_back(i);
  }

  // The first place at or after `from` where `outer` occurs, as std::u16string::find gives it.
  size_t Find(std::u16string_view outer, size_t from) const {
    const std::u16string_view key = StartTag(outer);
    if (outer.empty() || outer[0] != u'<' || (key.back() != u'>' && key.size() < kLongest))
      return html_.find(outer, from);
    auto it = positions_.find(std::u16string(key));
    if (it == positions_.end()) return std::u16string_view::npos;
    const std::vector<size_t>& at = it->second;
    for (auto p = std::lower_bound(at.begin(), at.end(), from); p != at.end(); ++p) {
      if (html_.compare(*p, outer.size(), outer) == 0) return *p;
    }
    return std::u16string_view::npos;
  }

 private:
  static constexpr size_t kLongest = 256;
  // The start tag at the beginning of s ("<input name=a>"), at most kLongest characters.
  static std::u16string_view StartTag(std::u16string_view s) {
    const size_t gt = s.substr(0, kLongest).find(u'>');
    return s.substr(0, gt == std::u16string_view::npos ? kLongest : gt + 1);
  }
  std::u16string_view html_;
  std::unordered_map<std::u16string, std::vector<size_t>> positions_;
};

}  // namespace

void CaptureForm(TDomForm* form, TWebForm& web_form) {
  if (!form) return;
  const std::u16string html = Utf8ToWide(web_form.OuterHTML);
  const TMarkupIndex index(html);
  size_t after_previous = 0;
  const int count = form->ElementCount();
  for (int i = 0; i < count; ++i) {
    try {
      TDomElement* e = form->ElementAt(i);
      if (!e) continue;
      // The context is the page text between the previous control and this one.
      std::string context;
      const std::u16string outer = e->OuterHTML();
      const size_t at = outer.empty() ? std::u16string::npos : index.Find(outer, after_previous);
      if (at != std::u16string::npos) {
        context =
            ContextText(std::u16string_view(html).substr(after_previous, at - after_previous));
        after_previous = at + outer.size();
      }
      const std::u16string tag = e->TagName();
      if (tag != u"INPUT" && tag != u"SELECT" && tag != u"TEXTAREA" && tag != u"BUTTON") continue;

      TFormField& f = web_form.AddField();
      f.SetFieldName(WideToAnsi(e->Name()));
      f.SetTagName(WideToAnsi(tag));
      f.SetFieldIndex(i);
      if (context.size() > 40) context = context.substr(context.size() - 41);
      f.SetFieldContext(context);
      f.SetMaxLength(kNoFieldLimit);
      f.SetFieldSize(kNoFieldLimit);
      if (tag == u"TEXTAREA") {
        f.SetFieldType(ftArea);
        // Pages limit text areas too nowadays; a longer text would be cut by the page or refused.
        f.SetMaxLength(e->MaxLength());
        f.SetFieldValue(WideToAnsi(e->Value()));
      } else if (tag == u"SELECT") {
        f.SetFieldType(ftList);
        f.OptionList.clear();
        for (int k = 0; k < e->OptionCount(); ++k) {
          TDomOption* o = e->OptionAt(k);
          f.OptionList.push_back(o ? WideToAnsi(o->Text()) : std::string());
        }
        f.StoreOptions();
        const int selected = e->SelectedIndex();
        if (selected >= 0 && selected < static_cast<int>(f.OptionList.size())) {
          f.SetFieldValue(f.OptionList[static_cast<size_t>(selected)]);
        }
        f.SetFillWith(GuessListRule(f.OptionList, f.FieldName()));
      } else if (tag == u"BUTTON") {
        f.SetFieldType(ftUnknown);
      } else {
        const std::u16string type = e->Type();
        if (IsTextLikeInput(type) || type == u"password" || type == u"file") {
          f.SetFieldType(type == u"password" ? ftPassword : type == u"file" ? ftFile : ftText);
          f.SetMaxLength(e->MaxLength());
          f.SetFieldSize(e->Size());
          f.SetFieldValue(WideToAnsi(e->Value()));
          if (type == u"password") f.SetFillWith("|Company_Password|");
        } else if (type == u"checkbox" || type == u"radio") {
          f.SetFieldType(type == u"checkbox" ? ftCheck : ftRadio);
          const char* state = e->Checked() ? "TRUE" : "FALSE";
          f.SetFieldValue(state);
          f.SetFillWith(state);
        } else if (type == u"hidden") {
          f.SetFieldType(ftHidden);
          f.SetFieldValue(WideToAnsi(e->Value()));
          f.SetIgnored(true);
        } else if (type == u"button" || type == u"submit" || type == u"reset" || type == u"image") {
          f.SetFieldType(ftButton);
          f.SetIgnored(true);
        } else {
          f.SetFieldType(ftUnknown);
        }
      }
    } catch (const std::exception&) {
      // An element the page cannot describe is left out.
    }
  }
  web_form.UpdateFingerprint();
}

void AssignTemplates(TWebForm& web_form, bool learn) {
  static const std::vector<TAliasRule> kNone;
  const std::vector<TAliasRule>& rules = learn ? kNone : Aliases();
  for (int i = 0; i < web_form.FieldCount(); ++i) {
    TFormField& f = web_form.FieldAt(i);
    if (!f.FillWith().empty()) continue;
    const int type = f.FieldType();
    if (type != ftText && type != ftArea && type != ftPassword && type != ftList) continue;
    if (learn) {
      f.SetFillWith(WideToAnsi(TemplatizeText(f.FieldValue(), ActiveProfile())));
      continue;
    }
    std::string context = f.FieldContext();
    if (type == ftList && context.empty()) {
      for (const std::string& o : f.Options()) context += o + " ";
    }
    f.SetFillWith(Guess(rules, f.FieldName(), context));
  }
}

void AdjustTemplatesToSize(TWebForm& web_form, bool keep_logins) {
  for (int i = 0; i < web_form.FieldCount(); ++i) {
    TFormField& f = web_form.FieldAt(i);
    const std::string rule = f.FillWith();
    if (rule.size() <= 2 || rule.front() != '|' || rule.back() != '|') continue;
    std::string key = rule.substr(1, rule.size() - 2);
    if (key.find('|') != std::string::npos) continue;
    // A missing size or length means no limit.
    auto limit = [](int v) { return v < 0 ? kNoFieldLimit : v; };
    const int s = std::min(limit(f.FieldSize()), limit(f.MaxLength()));
    const size_t desc = key.find("/Char_Desc_");
    if (key.starts_with("Program_Descriptions/") && desc != std::string::npos) {
      const char* length = s < 46 ? "45" : s <= 80 ? "80" : s <= 250 ? "250" : "450";
      key = key.substr(0, desc) + "/Char_Desc_" + length;
    } else if (((key == "Program_Info/Expire_Info/Expire_Month_Text" ||
                 key == "Program_Info/Program_Release_Month_Text") &&
                s <= 4) ||
               ((key == "Program_Info/Expire_Info/Expire_Year" ||
                 key == "Program_Info/Program_Release_Year") &&
                s <= 3) ||
               ((key == "Company_Info/Country" || key == "Company_Info/State_Province") &&
                s <= 7)) {
      key += "_Short";
    } else if (!keep_logins) {
      if (key == "Common_Login" || key == "Quillora/Common_Login")
        key = "Company_Login";
      else if (key == "Common_Password" || key == "Quillora/Common_Password")
        key = "Company_Password";
    }
    f.SetFillWith("|" + key + "|");
  }
}

}  // namespace quillora
