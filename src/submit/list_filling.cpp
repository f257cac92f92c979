// Choosing list options: exact, part-wise and fuzzy matches of a value against option texts,
// the category, month/day, new/update and operating-system strategies.
#include <algorithm>
#include <cstdlib>

#include "foundation/app_state.h"
#include "foundation/codepage.h"
#include "foundation/text_utils.h"
#include "submit/form_filler.h"
#include "template/template.h"

namespace quillora {

int FuzzyScore(std::string_view needle, std::string_view haystack) {
  const size_t shorter = std::min(needle.size(), haystack.size());
  const size_t t = shorter < 4 ? shorter : shorter / 3;
  size_t score = 0, run = 0, p = 0;
  for (size_t i = 0; i < haystack.size() && p < needle.size(); ++i) {
    if (haystack[i] == needle[p]) {
      ++p;
      ++run;
      continue;
    }
    if (run < t) {
      p -= run;
    } else {
      score += run;
    }
    run = 0;
  }
  if (run >= t) score += run;
  return static_cast<int>(score);
}

namespace {

const char16_t kNbsp = 0xA0;

std::u16string TrimOption(std::u16string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] <= 32 || s[b] == kNbsp)) ++b;
  while (e > b && (s[e - 1] <= 32 || s[e - 1] == kNbsp)) --e;
  return std::u16string(s.substr(b, e - b));
}

bool IsTokenChar(unsigned char c, bool with_dot) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
         (with_dot && c == '.') || c >= 192;
}

std::vector<std::string> Tokens(std::string_view value, bool with_dot) {
  std::vector<std::string> out;
  std::string cur;
  for (char ch : value) {
    if (IsTokenChar(static_cast<unsigned char>(ch), with_dot)) {
      cur.push_back(ch);
    } else if (!cur.empty()) {
      out.push_back(std::move(cur));
      cur.clear();
    }
  }
  if (!cur.empty()) out.push_back(std::move(cur));
  return out;
}

// Matches values against one live list. In a multiple-choice list a match selects the option
// and matching goes on; in a single-choice list it records the option's index in `best`.
class TListMatcher {
 public:
  TListMatcher(TDomElement& element, const std::vector<std::string>& options)
      : element_(element), multiple_(element.Multiple()) {
    lower_.reserve(options.size());
    for (const std::string& o : options) lower_.push_back(AnsiLowerCase(o));
  }

  int best = -1;

  bool Exact(std::string_view value) {
    const std::string v = AnsiLowerCase(value);
    bool found = false;
    for (size_t i = 0; i < lower_.size(); ++i) {
      if (lower_[i] != v) continue;
      if (!multiple_) {
        best = static_cast<int>(i);
        return true;
      }
      Select(i);
      found = true;
    }
    return found;
  }

  bool ExactParts(std::string_view value, std::string_view separators) {
    bool found = false;
    for (const std::string& part : SplitAtAny(value, separators, TSplitMode::TrimDropEmpty)) {
      if (Exact(part)) {
        found = true;
        if (!multiple_) return true;
      }
    }
    return found;
  }

  bool PartsFuzzy(std::string_view value, std::string_view separators) {
    if (ExactParts(value, separators)) return true;
    std::vector<std::string> parts =
        SplitAtAny(AnsiLowerCase(value), separators, TSplitMode::TrimDropEmpty);
    if (multiple_) {
      for (size_t i = 0; i < lower_.size(); ++i) {
        if (Excluded(i)) continue;
        const std::string& o = lower_[i];
        for (const std::string& p : parts) {
          if (4 * p.size() < 5 * static_cast<size_t>(FuzzyScore(p, o)) ||
              4 * o.size() < 5 * static_cast<size_t>(FuzzyScore(o, p))) {
            Select(i);
            break;
          }
        }
      }
      return true;
    }
    int best_score = -1;
    for (size_t i = 0; i < lower_.size(); ++i) {
      if (Excluded(i) || lower_[i].empty()) continue;
      int score = 0;
      for (const std::string& p : parts) {
        score =
            std::max(score, FuzzyScore(p, lower_[i]) * 100 / static_cast<int>(lower_[i].size()));
      }
      if (score > best_score) best_score = score, best = static_cast<int>(i);
    }
    return best_score >= 80;
  }

  bool TokenFuzzy(std::string_view value) {
    const std::string v = AnsiLowerCase(value);
    const std::vector<std::string> tokens = Tokens(v, true);
    int best_score = -1;
    for (size_t i = 0; i < lower_.size(); ++i) {
      if (Excluded(i)) continue;
      const std::string& o = lower_[i];
      int score = 0;
      for (const std::string& t : tokens) score += FuzzyScore(t, o) + FuzzyScore(o, t);
      if (multiple_) {
        if (4 * v.size() < 5 * static_cast<size_t>(score) ||
            4 * o.size() < 5 * static_cast<size_t>(score)) {
          Select(i);
        }
      } else if (score > best_score) {
        best_score = score, best = static_cast<int>(i);
      }
    }
    if (multiple_) return true;
    return best_score >= 0 && 2 * v.size() <= 3 * static_cast<size_t>(best_score);
  }

  // Categories: the option sharing the most text with the comma parts, relative to its length.
  bool BestOption(std::string_view value) {
    if (ExactParts(value, ",")) return true;
    const std::vector<std::string> parts =
        SplitAt(AnsiLowerCase(value), ',', TSplitMode::TrimDropEmpty);
    size_t total = 0;
    for (const std::string& p : parts) total += p.size();
    int best_score = -1, best_index = -1;
    for (size_t i = 0; i < lower_.size(); ++i) {
      if (Excluded(i)) continue;
      int sum = 0;
      for (const std::string& p : parts) sum += FuzzyScore(p, lower_[i]);
      const size_t denominator = lower_[i].size() + total;
      const int score = denominator > 0 ? static_cast<int>(sum * 200 / denominator) : 0;
      if (score > best_score) best_score = score, best_index = static_cast<int>(i);
    }
    if (best_index >= 0 && best_score >= 80) {
      Pick(static_cast<size_t>(best_index));
      return true;
    }
    const std::vector<std::string> tokens = Tokens(AnsiLowerCase(value), false);
    best_score = -1, best_index = -1;
    for (size_t i = 0; i < lower_.size(); ++i) {
      if (Excluded(i) || lower_[i].empty()) continue;
      int score = 0;
      for (const std::string& t : tokens) {
        score += FuzzyScore(t, lower_[i]) * 100 / static_cast<int>(lower_[i].size());
      }
      if (score > best_score) best_score = score, best_index = static_cast<int>(i);
    }
    if (best_index >= 0) Pick(static_cast<size_t>(best_index));
    return false;
  }

 private:
  bool Excluded(size_t i) const { return lower_[i].find("---") != std::string::npos; }
  void Select(size_t i) {
    if (TDomOption* o = element_.OptionAt(static_cast<int>(i))) o->SetSelected(true);
  }
  void Pick(size_t i) {
    if (multiple_) {
      Select(i);
    } else {
      best = static_cast<int>(i);
    }
  }

  TDomElement& element_;
  bool multiple_;
  std::vector<std::string> lower_;
};

std::string ListVariable(std::string_view list, std::string_view value) {
  if (value.empty()) return {};
  const TOptionsList* section = Tables().list_vars.FindSection(list);
  return section ? section->GetString(value) : std::string();
}

// The operating-system rule lines as option texts, best first: more "+" flags, then fewer "-".
std::vector<std::string> RankOperatingSystems(const TOptionsList& values) {
  struct Ranked {
    std::string text;
    int plus = 0, minus = 0;
  };
  std::vector<Ranked> ranked;
  const TOptionsList& rules = Tables().os_rules;
  for (int i = 0; i < rules.Count(); ++i) {
    const std::string& line = rules.Line(i);
    const size_t eq = line.find('=');
    if (eq == std::string::npos || eq == 0) continue;
    Ranked r{line.substr(0, eq)};
    bool emptied = false;
    for (const std::string& raw :
         SplitAt(std::string_view(line).substr(eq + 1), ',', TSplitMode::TrimDropEmpty)) {
      char sign = 0;
      std::string flag = raw;
      if (flag[0] == '+' || flag[0] == '-') sign = flag[0], flag = Trim(flag.substr(1));
      const bool on = IsTemplateTrue(values.GetString("Runtime/OS_Flags/" + flag));
      if ((sign == '-' && on) || (sign == '+' && !on)) {
        emptied = true;
        break;
      }
      if (on || sign == '-') {
        ++r.plus;
      } else {
        ++r.minus;
      }
    }
    // A line whose required flags fail names a system the product does not run on: it is
    // never offered, so a list without any matching system is not given a wrong one.
    if (emptied || r.plus == 0) continue;
    ranked.push_back(std::move(r));
  }
  std::stable_sort(ranked.begin(), ranked.end(), [](const Ranked& a, const Ranked& b) {
    if (a.plus != b.plus) return a.plus > b.plus;
    return a.minus < b.minus;
  });
  std::vector<std::string> out;
  out.reserve(ranked.size());
  for (Ranked& r : ranked) out.push_back(std::move(r.text));
  return out;
}

void Colour(TDomElement& element, TFillMode mode, bool ok) {
  if (!ok) {
    element.SetRuntimeStyle(TDomStyle::Color, u"#FF0000");
    element.SetRuntimeStyle(TDomStyle::BackgroundColor, u"#FFFFFF");
  } else if (mode == fmGuessed) {
    element.SetRuntimeStyle(TDomStyle::Color, u"#000000");
    element.SetRuntimeStyle(TDomStyle::Background, u"#DCDDC4");
  } else {
    element.SetRuntimeStyle(TDomStyle::Color, u"#0000FF");
    element.SetRuntimeStyle(TDomStyle::BackgroundColor, u"#FFFFFF");
  }
}

}  // namespace

bool FillListField(TFormField& field, TDomElement& element, TFillMode mode,
                   const TOptionsList& values, std::string_view language_prefix) {
  const std::string rule = field.FillWith();
  if (rule.empty()) return true;

  const int count = element.OptionCount();
  std::vector<std::string>& options = field.OptionList;
  options.clear();
  options.reserve(static_cast<size_t>(std::max(count, 0)));
  const bool multiple = element.Multiple();
  for (int i = 0; i < count; ++i) {
    TDomOption* o = nullptr;
    try {
      o = element.OptionAt(i);
    } catch (const std::exception&) {
      o = nullptr;
    }
    options.push_back(o ? WideToAnsi(TrimOption(o->Text())) : std::string());
    if (multiple && o) o->SetSelected(false);
  }
  field.StoreOptions();

  std::string value = rule;
  ExpandTemplate(values, kTemplateDelimiter, value, language_prefix);
  TListMatcher m(element, options);
  bool ok = false;
  const bool has_bar = rule.find('|') != std::string::npos;

  if (!has_bar) {
    ok = m.Exact(rule);
  } else if (rule.find("Program_Category") != std::string::npos) {
    ok = m.ExactParts(value, ",");
    if (!ok) {
      std::string text = values.GetString("Program_Info/Program_Categories") + "," +
                         values.GetString("Program_Info/Program_Specific_Category");
      const std::string extra =
          ListVariable("Program_Info/Program_Specific_Category",
                       values.GetString("Program_Info/Program_Specific_Category"));
      if (!extra.empty()) text += "," + extra;
      ok = m.BestOption(text);
    }
  } else if (rule == "|Runtime/IsNew|" || rule == "|Runtime/IsUpdate|") {
    const bool is_new = rule == "|Runtime/IsNew|";
    const bool flag =
        IsTemplateTrue(values.GetString(is_new ? "Runtime/IsNew" : "Runtime/IsUpdate"));
    value = (is_new == flag) ? "new,add" : "update";
    ok = m.PartsFuzzy(value, ",");
  } else if (rule == "|Program_Info/Program_Release_Month|" ||
             rule == "|Program_Info/Program_Release_Day|" ||
             rule == "|Program_Info/Expire_Info/Expire_Month|" ||
             rule == "|Program_Info/Expire_Info/Expire_Day|") {
    if (options.size() >= 3 && !options[2].empty() && options[2][0] == '0') {
      while (value.size() < options[2].size()) value.insert(value.begin(), '0');
    } else {
      const size_t nz = value.find_first_not_of('0');
      value = nz == std::string::npos ? std::string() : value.substr(nz);
    }
    ok = m.Exact(value);
  } else if (rule == "|Program_Info/Program_OS_Support|" && !multiple) {
    const std::vector<std::string> ranked = RankOperatingSystems(values);
    for (const std::string& text : ranked) {
      if ((ok = m.Exact(text))) break;
    }
    if (!ok) {
      for (const std::string& text : ranked) {
        if ((ok = m.TokenFuzzy(text))) break;
      }
    }
    if (!ok) ok = m.TokenFuzzy(rule);
  } else {
    const std::string list = rule.substr(1, rule.size() >= 2 ? rule.size() - 2 : 0);
    if (multiple) {
      for (const std::string& item : SplitAt(value, ',', TSplitMode::TrimDropEmpty)) {
        if (m.Exact(item)) ok = true;
        const std::string text = ListVariable(list, item);
        if (text.empty()) continue;
        if (m.Exact(text) || m.PartsFuzzy(text, ",")) ok = true;
      }
    } else {
      ok = m.Exact(value);
      if (!ok) {
        const std::string text = ListVariable(list, value);
        ok = !text.empty() ? m.PartsFuzzy(text, ",") : m.TokenFuzzy(value);
      }
    }
  }

  if (!multiple && m.best >= 0) element.SetSelectedIndex(m.best);
  Colour(element, mode, ok);
  return ok;
}

}  // namespace quillora
