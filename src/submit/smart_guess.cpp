#include "submit/smart_guess.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <unordered_map>

#include <gumbo.h>

#include "foundation/app_state.h"
#include "foundation/codepage.h"
#include "foundation/text_utils.h"
#include "submit/form_filler.h"
#include "template/template.h"

namespace quillora {

namespace {

// --- Text ----------------------------------------------------------------------------------------

// Base letters of U+0100..U+017F (Latin Extended-A), one per code point.
constexpr std::string_view kLatinExtendedA =
    "aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiiiiijjkkklllllllllln"
    "nnnnnnnnoooooooorrrrrrssssssssttttttuuuuuuuuuuuuwwyyyzzzzzzs";
static_assert(kLatinExtendedA.size() == 128);

// Appends the folded form of c: lower case, accents dropped; 0 for a separator.
void Fold(char16_t c, std::u16string& out) {
  if (c < 0x80) {
    if (c >= 'A' && c <= 'Z') {
      out.push_back(static_cast<char16_t>(c + 32));
    } else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
      out.push_back(c);
    } else {
      out.push_back(0);
    }
    return;
  }
  if (c < 0xC0 || c == 0xD7 || c == 0xF7) {
    out.push_back(0);
    return;
  }
  if (c < 0x100) {
    static constexpr std::string_view kLatin1 =
        "aaaaaaaceeeeiiiidnooooo_ouuuuyts"
        "aaaaaaaceeeeiiiidnooooo_ouuuuyty";
    if (c == 0xDF) {
      out += u"ss";
    } else if (c == 0xC6 || c == 0xE6) {
      out += u"ae";
    } else {
      out.push_back(static_cast<char16_t>(kLatin1[c - 0xC0]));
    }
    return;
  }
  if (c < 0x180) {
    if (c == 0x152 || c == 0x153) {
      out += u"oe";
    } else {
      out.push_back(static_cast<char16_t>(kLatinExtendedA[c - 0x100]));
    }
    return;
  }
  if (c >= 0x410 && c <= 0x42F) {
    out.push_back(static_cast<char16_t>(c + 0x20));
  } else if (c == 0x401 || c == 0x451) {
    out.push_back(0x435);  // ё reads as е
  } else if (c >= 0x400 && c <= 0x40F) {
    out.push_back(static_cast<char16_t>(c + 0x50));
  } else if (c == 0x2019 || c == 0x2018 || c == 0xAB || c == 0xBB || c == 0x2013 || c == 0x2014 ||
             c == 0x2026 || c == 0xA0 || c == 0x2022 || c == 0x203A) {
    out.push_back(0);
  } else {
    out.push_back(c);
  }
}

std::u16string Utf16(std::string_view utf8) {
  return Utf8ToWide(utf8);
}

bool HasText(std::u16string_view s) {
  return std::any_of(s.begin(), s.end(), [](char16_t c) { return c > 32 && c != 0xA0; });
}

std::string LowerRaw(std::u16string_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (char16_t c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char16_t>(c + 32);
    out.push_back(c);
  }
  return WideToUtf8(out);
}

// A term matches at the start of a word; a short term only as a whole word, a very short one
// only as the whole text (two-letter codes are common words elsewhere).
bool TermFound(std::string_view text, std::string_view term, bool anywhere, bool whole_words) {
  if (term.empty()) return false;
  if (anywhere) return text.find(term) != std::string_view::npos;
  if (!whole_words && term.size() <= 2) {
    return text.size() == term.size() + 2 && text.substr(1, term.size()) == term;
  }
  const bool whole = whole_words || term.size() <= 4;
  size_t at = text.find(term);
  while (at != std::string_view::npos) {
    const bool starts = at > 0 && text[at - 1] == ' ';
    const size_t end = at + term.size();
    const bool ends = end < text.size() && text[end] == ' ';
    if (starts && (!whole || ends)) return true;
    at = text.find(term, at + 1);
  }
  return false;
}

// --- Vocabulary ----------------------------------------------------------------------------------

struct TTerm {
  std::string text;  // normalised, without the outer blanks
  char sign = '+';
  bool anywhere = false;
};

struct TPattern {
  std::vector<TTerm> terms;
  double weight = 0;
};

struct TSection {
  std::string name;
  std::vector<TPattern> patterns;
};

class TVocabulary {
 public:
  explicit TVocabulary(const TMultiOptions& table) {
    for (int i = 0; i < table.Count(); ++i) {
      const TOptionsList& s = table.SectionAt(i);
      TSection section{s.Name, {}};
      for (int k = 0; k < s.Count(); ++k) {
        const std::string tag = s.NameAt(k);
        if (tag.size() < 2 || (tag[0] != 'w' && tag[0] != 'W')) continue;
        const double weight = std::atof(tag.c_str() + 1);
        for (const std::string& p : SplitAt(s.GetValueAt(k), ',', TSplitMode::DropEmpty)) {
          TPattern pattern{Terms(p), weight};
          if (!pattern.terms.empty()) section.patterns.push_back(std::move(pattern));
        }
      }
      index_[section.name] = sections_.size();
      sections_.push_back(std::move(section));
    }
  }

  const std::vector<TSection>& Sections() const { return sections_; }
  const TSection* Find(std::string_view name) const {
    auto it = index_.find(std::string(name));
    return it == index_.end() ? nullptr : &sections_[it->second];
  }

  // The weight of the strongest pattern of the section found in the normalised text.
  // Of two patterns of one weight the longer one is the more specific: it scores a little more.
  static double Score(const TSection& section, std::string_view text, bool whole_words = false) {
    double best = 0;
    for (const TPattern& p : section.patterns) {
      if (p.weight + 0.5 <= best) continue;
      const size_t length = Matches(p, text, whole_words);
      if (length == 0) continue;
      const double s = p.weight + std::min<double>(length, 40) / 100.0;
      if (s > best) best = s;
    }
    return best;
  }
  double Score(std::string_view section, std::string_view text, bool whole_words = false) const {
    const TSection* s = Find(section);
    return s ? Score(*s, text, whole_words) : 0;
  }

 private:
  static std::vector<TTerm> Terms(std::string_view pattern) {
    std::vector<TTerm> terms;
    char sign = '+';
    size_t i = 0;
    while (i <= pattern.size()) {
      size_t end = pattern.find_first_of("+-", i);
      if (end == std::string_view::npos) end = pattern.size();
      std::string_view raw = pattern.substr(i, end - i);
      TTerm t;
      t.sign = sign;
      while (!raw.empty() && raw.front() == ' ') raw.remove_prefix(1);
      if (!raw.empty() && raw.front() == '*') {
        t.anywhere = true;
        raw.remove_prefix(1);
      }
      std::string norm = NormalizeEvidenceText(raw);
      if (norm.size() > 2) {
        t.text = norm.substr(1, norm.size() - 2);
        terms.push_back(std::move(t));
      }
      if (end >= pattern.size()) break;
      sign = pattern[end];
      i = end + 1;
    }
    return terms;
  }

  // The length of the text the pattern's terms matched; 0 when it does not match.
  static size_t Matches(const TPattern& p, std::string_view text, bool whole_words) {
    size_t length = 0;
    for (const TTerm& t : p.terms) {
      const bool found = TermFound(text, t.text, t.anywhere, whole_words);
      if (t.sign == '-') {
        if (found) return 0;
      } else {
        if (!found) return 0;
        length += t.text.size();
      }
    }
    return length;
  }

  std::vector<TSection> sections_;
  std::unordered_map<std::string, size_t> index_;
};

// The vocabulary of the loaded table, parsed again only when the table was replaced (its
// sections, line counts and sizes are the cheap sign of that).
const TVocabulary& Vocabulary() {
  static std::unique_ptr<TVocabulary> parsed;
  static std::vector<size_t> parsed_shape;
  const TMultiOptions& table = Tables().smart_guess;
  std::vector<size_t> shape{reinterpret_cast<size_t>(&table)};
  for (int i = 0; i < table.Count(); ++i) {
    const TOptionsList& s = table.SectionAt(i);
    size_t bytes = s.Name.size();
    for (const std::string& line : s.Lines()) bytes += line.size();
    shape.push_back(static_cast<size_t>(s.Count()) * 1000003u + bytes);
  }
  if (!parsed || shape != parsed_shape) {
    parsed = std::make_unique<TVocabulary>(table);
    parsed_shape = std::move(shape);
  }
  return *parsed;
}

// --- Markup --------------------------------------------------------------------------------------

struct TGumboDeleter {
  void operator()(GumboOutput* o) const { gumbo_destroy_output(&kGumboDefaultOptions, o); }
};

const char* Attr(const GumboNode* n, const char* name) {
  if (n->type != GUMBO_NODE_ELEMENT) return nullptr;
  const GumboAttribute* a = gumbo_get_attribute(&n->v.element.attributes, name);
  return a ? a->value : nullptr;
}

std::u16string AttrW(const GumboNode* n, const char* name) {
  const char* v = Attr(n, name);
  return v ? Utf16(v) : std::u16string();
}

bool IsControl(const GumboNode* n) {
  if (n->type != GUMBO_NODE_ELEMENT) return false;
  const GumboTag t = n->v.element.tag;
  return t == GUMBO_TAG_INPUT || t == GUMBO_TAG_SELECT || t == GUMBO_TAG_TEXTAREA ||
         t == GUMBO_TAG_BUTTON;
}

bool IsBlock(GumboTag t) {
  switch (t) {
    case GUMBO_TAG_DIV:
    case GUMBO_TAG_P:
    case GUMBO_TAG_TD:
    case GUMBO_TAG_TH:
    case GUMBO_TAG_TR:
    case GUMBO_TAG_TABLE:
    case GUMBO_TAG_LI:
    case GUMBO_TAG_UL:
    case GUMBO_TAG_OL:
    case GUMBO_TAG_BR:
    case GUMBO_TAG_FIELDSET:
    case GUMBO_TAG_LEGEND:
    case GUMBO_TAG_H1:
    case GUMBO_TAG_H2:
    case GUMBO_TAG_H3:
    case GUMBO_TAG_H4:
    case GUMBO_TAG_H5:
    case GUMBO_TAG_H6:
    case GUMBO_TAG_SECTION:
    case GUMBO_TAG_FORM:
    case GUMBO_TAG_DT:
    case GUMBO_TAG_DD:
    case GUMBO_TAG_HR:
    case GUMBO_TAG_SMALL:
    case GUMBO_TAG_LABEL:
      return true;
    default:
      return false;
  }
}

bool IsInert(GumboTag t) {
  return t == GUMBO_TAG_SCRIPT || t == GUMBO_TAG_STYLE || t == GUMBO_TAG_SELECT ||
         t == GUMBO_TAG_TEXTAREA || t == GUMBO_TAG_OPTION || t == GUMBO_TAG_TEMPLATE;
}

// The visible text of a subtree (no list options, scripts or text areas), bounded in length.
std::u16string TextOf(const GumboNode* root, size_t limit = 400) {
  std::u16string out;
  std::vector<const GumboNode*> stack{root};
  while (!stack.empty() && out.size() < limit) {
    const GumboNode* n = stack.back();
    stack.pop_back();
    if (n->type == GUMBO_NODE_TEXT || n->type == GUMBO_NODE_WHITESPACE) {
      out += Utf16(n->v.text.text);
      out.push_back(u' ');
    } else if (n->type == GUMBO_NODE_ELEMENT) {
      if (n != root && IsInert(n->v.element.tag)) continue;
      const GumboVector& c = n->v.element.children;
      for (unsigned i = c.length; i > 0; --i)
        stack.push_back(static_cast<GumboNode*>(c.data[i - 1]));
    }
  }
  return out;
}

struct TEvent {
  enum Kind { Text, Boundary, Control } kind;
  int control = -1;  // Control: its index; Text: the control whose label it is, or -1
  std::u16string text;
};

int NumberAttr(const GumboNode* n, const char* name) {
  const char* v = Attr(n, name);
  if (!v || !*v) return -1;
  int value = 0;
  for (const char* p = v; *p; ++p) {
    if (*p < '0' || *p > '9') return value > 0 ? value : -1;
    value = value * 10 + (*p - '0');
    if (value > 100000000) break;
  }
  return value;
}

std::u16string LowerType(const GumboNode* n) {
  if (n->v.element.tag != GUMBO_TAG_INPUT) return {};
  std::u16string t = AttrW(n, "type");
  for (char16_t& c : t)
    if (c >= 'A' && c <= 'Z') c = static_cast<char16_t>(c + 32);
  return t.empty() ? u"text" : t;
}

bool IsBoxNode(const GumboNode* n) {
  const std::u16string t = LowerType(n);
  return t == u"checkbox" || t == u"radio";
}

}  // namespace

std::string NormalizeEvidenceText(std::u16string_view text) {
  std::u16string folded;
  folded.reserve(text.size() + 2);
  for (char16_t c : text) Fold(c, folded);
  std::u16string out(1, u' ');
  for (char16_t c : folded) {
    if (c == 0) {
      if (out.back() != u' ') out.push_back(u' ');
    } else {
      out.push_back(c);
    }
  }
  if (out.back() != u' ') out.push_back(u' ');
  return WideToUtf8(out);
}

std::string NormalizeEvidenceText(std::string_view utf8) {
  return NormalizeEvidenceText(Utf16(utf8));
}

std::string NameWords(std::string_view name) {
  // Split camel case and letter-digit changes, then drop the framework's parts.
  std::string spaced;
  for (size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (i > 0) {
      const unsigned char p = static_cast<unsigned char>(name[i - 1]);
      const bool case_change = std::islower(p) && std::isupper(c);
      const bool digit_change =
          (std::isdigit(p) != 0) != (std::isdigit(c) != 0) && std::isalnum(p) && std::isalnum(c);
      if (case_change || digit_change) spaced.push_back(' ');
    }
    spaced.push_back(static_cast<char>(c));
  }
  const std::string words = NormalizeEvidenceText(std::string_view(spaced));
  const TSection* ignore = Vocabulary().Find("@ignore-name");
  const std::vector<std::string> parts = SplitAt(words, ' ', TSplitMode::DropEmpty);
  std::string out = " ";
  for (const std::string& w : parts) {
    // "s" alone may be a search box; the "s" of "S1" or "s_name" says nothing.
    if (w.size() == 1 && parts.size() > 1) continue;
    if (std::all_of(w.begin(), w.end(), [](char c) { return c >= '0' && c <= '9'; })) continue;
    if (w.size() > 3 && w.starts_with("ctl") &&
        std::all_of(w.begin() + 3, w.end(), [](char c) { return c >= '0' && c <= '9'; }))
      continue;
    if (ignore && TVocabulary::Score(*ignore, " " + w + " ", true) > 0) continue;
    out += w + " ";
  }
  return out;
}

std::vector<TControlEvidence> ReadControlEvidence(TDomForm* form) {
  std::vector<TControlEvidence> result;
  if (!form) return result;
  const int count = form->ElementCount();
  result.resize(static_cast<size_t>(std::max(count, 0)));
  const std::string html = WideToUtf8(form->OuterHTML());
  GumboOptions options = kGumboDefaultOptions;
  options.max_errors = 0;
  std::unique_ptr<GumboOutput, TGumboDeleter> output(
      gumbo_parse_with_options(&options, html.data(), html.size()));
  if (!output) return result;

  // Pass 1: the controls in document order, ids, labels, legends and each node's control count.
  std::vector<const GumboNode*> controls;
  std::unordered_map<std::string, const GumboNode*> ids;
  std::unordered_map<const GumboNode*, int> control_of_node;
  std::unordered_map<const GumboNode*, int> controls_below;  // only for cells and fieldsets
  std::vector<const GumboNode*> labels;
  struct Visit {
    const GumboNode* node;
    bool exit;
  };
  std::vector<Visit> stack{{output->root, false}};
  std::vector<int> count_stack;
  while (!stack.empty()) {
    const Visit v = stack.back();
    stack.pop_back();
    const GumboNode* n = v.node;
    if (n->type != GUMBO_NODE_ELEMENT) continue;
    const GumboTag tag = n->v.element.tag;
    if (v.exit) {
      const int below = static_cast<int>(controls.size()) - count_stack.back();
      count_stack.pop_back();
      if (tag == GUMBO_TAG_TD || tag == GUMBO_TAG_TH || tag == GUMBO_TAG_FIELDSET ||
          tag == GUMBO_TAG_LABEL)
        controls_below[n] = below;
      continue;
    }
    if (const char* id = Attr(n, "id")) ids.emplace(id, n);
    if (tag == GUMBO_TAG_LABEL) labels.push_back(n);
    if (IsControl(n)) {
      control_of_node[n] = static_cast<int>(controls.size());
      controls.push_back(n);
    }
    count_stack.push_back(static_cast<int>(controls.size()) - (IsControl(n) ? 1 : 0));
    stack.push_back({n, true});
    if (tag == GUMBO_TAG_SELECT || tag == GUMBO_TAG_TEXTAREA || tag == GUMBO_TAG_SCRIPT ||
        tag == GUMBO_TAG_STYLE || tag == GUMBO_TAG_TEMPLATE)
      continue;
    const GumboVector& c = n->v.element.children;
    for (unsigned i = c.length; i > 0; --i)
      stack.push_back({static_cast<GumboNode*>(c.data[i - 1]), false});
  }

  const size_t n_controls = controls.size();
  std::vector<std::u16string> label_text(n_controls);
  std::vector<bool> labelled(n_controls, false);
  std::unordered_map<const GumboNode*, int> label_target;
  for (const GumboNode* label : labels) {
    int target = -1;
    if (const char* f = Attr(label, "for")) {
      auto it = ids.find(f);
      if (it != ids.end()) {
        auto c = control_of_node.find(it->second);
        if (c != control_of_node.end()) target = c->second;
      }
    } else {
      // A label wrapping its control: the first control inside it.
      std::vector<const GumboNode*> st{label};
      while (!st.empty() && target < 0) {
        const GumboNode* x = st.back();
        st.pop_back();
        if (x->type != GUMBO_NODE_ELEMENT) continue;
        if (x != label && IsControl(x)) {
          target = control_of_node[x];
          break;
        }
        const GumboVector& c = x->v.element.children;
        for (unsigned i = c.length; i > 0; --i)
          st.push_back(static_cast<GumboNode*>(c.data[i - 1]));
      }
    }
    if (target < 0) continue;
    label_target[label] = target;
    label_text[static_cast<size_t>(target)] += TextOf(label) + u" ";
    labelled[static_cast<size_t>(target)] = true;
  }

  // Pass 2: the stream of texts, block boundaries and controls, texts owned by the control they
  // label.
  std::vector<TEvent> events;
  std::vector<size_t> event_of_control(n_controls, 0);
  struct Walk {
    const GumboNode* node;
    bool exit;
    int owner;
  };
  std::vector<Walk> walk{{output->root, false, -1}};
  while (!walk.empty()) {
    const Walk w = walk.back();
    walk.pop_back();
    const GumboNode* n = w.node;
    if (n->type == GUMBO_NODE_TEXT) {
      events.push_back({TEvent::Text, w.owner, Utf16(n->v.text.text)});
      continue;
    }
    if (n->type != GUMBO_NODE_ELEMENT) continue;
    const GumboTag tag = n->v.element.tag;
    if (w.exit) {
      if (IsBlock(tag)) events.push_back({TEvent::Boundary, -1, {}});
      continue;
    }
    if (IsBlock(tag)) events.push_back({TEvent::Boundary, -1, {}});
    if (IsControl(n)) {
      const int c = control_of_node[n];
      event_of_control[static_cast<size_t>(c)] = events.size();
      events.push_back({TEvent::Control, c, {}});
      continue;
    }
    if (tag == GUMBO_TAG_SCRIPT || tag == GUMBO_TAG_STYLE || tag == GUMBO_TAG_TEMPLATE) continue;
    int owner = w.owner;
    if (tag == GUMBO_TAG_LABEL) {
      auto it = label_target.find(n);
      if (it != label_target.end()) owner = it->second;
    }
    walk.push_back({n, true, w.owner});
    const GumboVector& c = n->v.element.children;
    for (unsigned i = c.length; i > 0; --i)
      walk.push_back({static_cast<GumboNode*>(c.data[i - 1]), false, owner});
  }

  // A box without a label is labelled by the text right after it.
  std::vector<std::u16string> after(n_controls);
  for (size_t c = 0; c < n_controls; ++c) {
    const bool box = IsBoxNode(controls[c]);
    size_t k = event_of_control[c] + 1;
    bool seen = false;
    for (int steps = 0; k < events.size() && steps < 40; ++k, ++steps) {
      TEvent& e = events[k];
      if (e.kind == TEvent::Control) break;
      if (e.kind == TEvent::Boundary) {
        if (seen) break;
        continue;
      }
      if (e.control >= 0 && e.control != static_cast<int>(c)) break;
      if (e.control < 0 && box && !labelled[c]) e.control = static_cast<int>(c);
      after[c] += e.text;
      if (!!HasText(e.text)) seen = true;
    }
  }

  // The evidence of each control.
  std::vector<TControlEvidence> evidence(n_controls);
  std::u16string last_group;
  int last_box = -2;
  for (size_t c = 0; c < n_controls; ++c) {
    const GumboNode* n = controls[c];
    TControlEvidence& e = evidence[c];
    e.present = true;
    e.tag = Utf16(gumbo_normalized_tagname(n->v.element.tag));
    for (char16_t& ch : e.tag)
      if (ch >= 'a' && ch <= 'z') ch = static_cast<char16_t>(ch - 32);
    e.type = LowerType(n);
    e.max_length = NumberAttr(n, "maxlength");
    e.size = NumberAttr(n, "size");
    e.multiple = Attr(n, "multiple") != nullptr;
    e.value = Attr(n, "value") ? Attr(n, "value") : "";
    std::u16string label = label_text[c];
    if (const char* ref = Attr(n, "aria-labelledby")) {
      for (const std::string& id : SplitAt(ref, ' ', TSplitMode::DropEmpty)) {
        auto it = ids.find(id);
        if (it != ids.end()) label += TextOf(it->second) + u" ";
      }
    }
    label += AttrW(n, "aria-label") + u" " + AttrW(n, "title");
    e.label = NormalizeEvidenceText(label);
    e.placeholder = NormalizeEvidenceText(AttrW(n, "placeholder"));
    std::string name = Attr(n, "name") ? Attr(n, "name") : "";
    if (const char* id = Attr(n, "id")) name += std::string(" ") + id;
    e.name = NameWords(name);

    // The text before it that no other control owns, up to the block it starts in.
    std::u16string context;
    bool seen = false;
    size_t k = event_of_control[c];
    for (int steps = 0; k > 0 && steps < 60; ++steps) {
      const TEvent& ev = events[--k];
      if (ev.kind == TEvent::Control) break;
      if (ev.kind == TEvent::Boundary) {
        if (seen) break;
        continue;
      }
      if (ev.control >= 0) {
        if (seen) break;
        continue;
      }
      context = ev.text + context;
      if (!!HasText(ev.text)) seen = true;
    }
    e.context = NormalizeEvidenceText(context);
    e.after = NormalizeEvidenceText(after[c]);

    // The cell to the left, or the header cell above in a grid of label rows.
    const GumboNode* cell = n->parent;
    for (int up = 0; cell && up < 4; ++up, cell = cell->parent) {
      if (cell->type != GUMBO_NODE_ELEMENT) break;
      const GumboTag t = cell->v.element.tag;
      if (t == GUMBO_TAG_TD || t == GUMBO_TAG_TH) break;
      if (t == GUMBO_TAG_FORM || t == GUMBO_TAG_TABLE || t == GUMBO_TAG_TR) {
        cell = nullptr;
        break;
      }
    }
    if (cell && cell->type == GUMBO_NODE_ELEMENT &&
        (cell->v.element.tag == GUMBO_TAG_TD || cell->v.element.tag == GUMBO_TAG_TH) &&
        controls_below[cell] == 1 && cell->parent && cell->parent->type == GUMBO_NODE_ELEMENT) {
      const GumboNode* row = cell->parent;
      const GumboVector& cells = row->v.element.children;
      int column = -1, seen_cells = 0;
      std::u16string left;
      for (unsigned i = 0; i < cells.length; ++i) {
        const GumboNode* x = static_cast<GumboNode*>(cells.data[i]);
        if (x == cell) {
          column = seen_cells;
          break;
        }
        if (x->type != GUMBO_NODE_ELEMENT) continue;
        ++seen_cells;
        if (controls_below[x] == 0) {
          std::u16string t = TextOf(x);
          if (!!HasText(t)) left = t;
        }
      }
      if (!left.empty()) {
        e.cell = NormalizeEvidenceText(left);
      } else if (column >= 0 && row->parent && row->parent->type == GUMBO_NODE_ELEMENT) {
        // The row above, when it holds only texts: the header of this column.
        const GumboVector& rows = row->parent->v.element.children;
        const GumboNode* above = nullptr;
        for (unsigned i = 0; i < rows.length; ++i) {
          const GumboNode* x = static_cast<GumboNode*>(rows.data[i]);
          if (x == row) break;
          if (x->type == GUMBO_NODE_ELEMENT && x->v.element.tag == GUMBO_TAG_TR) above = x;
        }
        if (above) {
          int col = 0;
          const GumboVector& ac = above->v.element.children;
          for (unsigned i = 0; i < ac.length; ++i) {
            const GumboNode* x = static_cast<GumboNode*>(ac.data[i]);
            if (x->type != GUMBO_NODE_ELEMENT) continue;
            if (col++ != column) continue;
            if (controls_below[x] == 0) e.cell = NormalizeEvidenceText(TextOf(x));
            break;
          }
        }
      }
    }

    // The group: the legend of the control's fieldset; for a box, else the text before the
    // group's first box.
    std::u16string group;
    for (const GumboNode* up = n->parent; up && up->type == GUMBO_NODE_ELEMENT; up = up->parent) {
      if (up->v.element.tag == GUMBO_TAG_FORM) break;
      if (up->v.element.tag != GUMBO_TAG_FIELDSET) continue;
      const GumboVector& ch = up->v.element.children;
      for (unsigned i = 0; i < ch.length; ++i) {
        const GumboNode* x = static_cast<GumboNode*>(ch.data[i]);
        if (x->type == GUMBO_NODE_ELEMENT && x->v.element.tag == GUMBO_TAG_LEGEND)
          group = TextOf(x);
      }
      break;
    }
    e.group = NormalizeEvidenceText(group);
    if (IsBoxNode(n)) {
      if (group.empty()) {
        if (!!HasText(context) || !e.cell.empty() || last_box != static_cast<int>(c) - 1) {
          group = context;
          if (!e.cell.empty()) group = Utf16(e.cell) + u" " + group;
        } else {
          group = last_group;
        }
      }
      e.group = NormalizeEvidenceText(group);
      last_group = group;
      last_box = static_cast<int>(c);
    }

    if (n->v.element.tag == GUMBO_TAG_SELECT) {
      std::vector<const GumboNode*> st;
      const GumboVector& ch = n->v.element.children;
      for (unsigned i = ch.length; i > 0; --i)
        st.push_back(static_cast<GumboNode*>(ch.data[i - 1]));
      while (!st.empty()) {
        const GumboNode* o = st.back();
        st.pop_back();
        if (o->type != GUMBO_NODE_ELEMENT) continue;
        if (o->v.element.tag == GUMBO_TAG_OPTGROUP) {
          const GumboVector& oc = o->v.element.children;
          for (unsigned i = oc.length; i > 0; --i)
            st.push_back(static_cast<GumboNode*>(oc.data[i - 1]));
        } else if (o->v.element.tag == GUMBO_TAG_OPTION) {
          e.options.push_back(WideToUtf8(TextOf(o)));
        }
      }
    }
    e.hints = LowerRaw(label + u" " + AttrW(n, "placeholder") + u" " + AttrW(n, "pattern") + u" " +
                       context + u" " + after[c]) +
              " " + e.cell;
  }

  // The form's elements against the markup's controls, in order and by name.
  size_t cursor = 0;
  for (int i = 0; i < count; ++i) {
    try {
      TDomElement* el = form->ElementAt(i);
      if (!el) continue;
      const std::u16string tag = el->TagName();
      if (tag != u"INPUT" && tag != u"SELECT" && tag != u"TEXTAREA" && tag != u"BUTTON") continue;
      const std::u16string name = el->Name();
      for (size_t k = cursor; k < n_controls && k < cursor + 8; ++k) {
        if (evidence[k].tag == tag && AttrW(controls[k], "name") == name) {
          result[static_cast<size_t>(i)] = std::move(evidence[k]);
          cursor = k + 1;
          break;
        }
      }
    } catch (const std::exception&) {
      // An element the page cannot describe has no evidence.
    }
  }
  return result;
}

namespace {

// --- Classification ------------------------------------------------------------------------------

struct TScored {
  std::string key;
  double score = 0;
};

constexpr double kThreshold = 3.0;

bool IsSpecial(std::string_view name) {
  return name.empty() || name.front() == '@' || name.find(':') != std::string_view::npos;
}

bool IsEmailKey(std::string_view key) {
  return key.find("Email") != std::string_view::npos;
}
bool IsUrlKey(std::string_view key) {
  return key.find("URL") != std::string_view::npos || key.find("Page") != std::string_view::npos;
}

// The sources in the order of their strength, with their weights.
std::vector<std::pair<const std::string*, double>> Sources(const TControlEvidence& e) {
  const bool labelled = e.label.size() > 2 || e.cell.size() > 2;
  return {{&e.label, 1.0},
          {&e.cell, 0.95},
          {&e.name, 0.8},
          {&e.placeholder, 0.85},
          {&e.context, labelled ? 0.35 : 0.9}};
}

TScored Best(const TControlEvidence& e, const std::vector<std::string>& candidates) {
  const TVocabulary& v = Vocabulary();
  TScored best;
  for (const auto& [text, weight] : Sources(e)) {
    if (text->size() <= 2) continue;
    for (const std::string& key : candidates) {
      const double s = weight * v.Score(key, *text);
      if (s > best.score) best = {key, s};
    }
  }
  return best;
}

std::vector<std::string> TextCandidates(const TControlEvidence& e) {
  std::vector<std::string> keys;
  for (const TSection& s : Vocabulary().Sections()) {
    if (IsSpecial(s.name)) continue;
    if (e.type == u"email" && !IsEmailKey(s.name)) continue;
    if (e.type == u"url" && !IsUrlKey(s.name)) continue;
    if (e.type == u"tel" && s.name != "Phone" && s.name.find("Fax") == std::string::npos) continue;
    keys.push_back(s.name);
  }
  if (e.type != u"email" && e.type != u"url" && e.type != u"tel") {
    for (const char* special : {"@name", "@date", "@expire-date", "@desc", "@size"})
      keys.push_back(special);
  }
  return keys;
}

std::string ClassicKey(std::string_view name, std::string_view context) {
  std::string rule = GuessKey(name, context);
  if (rule.size() > 2) return rule.substr(1, rule.size() - 2);
  return {};
}

// The description length that fits: numbers in the label cap it, short and long words bound it.
std::string DescriptionKey(const TControlEvidence& e, const std::string& text) {
  const TVocabulary& v = Vocabulary();
  int limit = e.max_length > 0 ? e.max_length : 1 << 30;
  if (e.tag == u"INPUT" && e.max_length <= 0 && e.size > 0) limit = std::max(e.size, 45);
  for (int n : {45, 80, 250, 450, 2000}) {
    if (TermFound(text, std::to_string(n), false, true)) limit = std::min(limit, n);
  }
  int cap = e.tag == u"TEXTAREA" ? 450 : 80;
  if (v.Score("@desc-short", text) > 0) cap = e.tag == u"TEXTAREA" ? 250 : 80;
  if (v.Score("@desc-short", text) > 0 && e.max_length > 80) cap = 250;
  if (e.tag == u"INPUT" && e.max_length > 0 && e.max_length >= 250 &&
      v.Score("@desc-short", text) == 0)
    cap = 250;
  const int wanted = std::min(limit, cap);
  int pick = 45;
  for (int n : {45, 80, 250, 450, 2000})
    if (n <= wanted) pick = n;
  return "Program_Descriptions/English/Char_Desc_" + std::to_string(pick);
}

std::string SizeKey(const TControlEvidence& e) {
  const TVocabulary& v = Vocabulary();
  for (const std::string* text :
       {&e.label, &e.cell, &e.placeholder, &e.after, &e.name, &e.context}) {
    if (v.Score("unit:K", *text, true) > 0) return "Program_Info/File_Info/File_Size_K";
    if (v.Score("unit:MB", *text, true) > 0) return "Program_Info/File_Info/File_Size_MB";
    if (v.Score("unit:Bytes", *text, true) > 0) return "Program_Info/File_Info/File_Size_Bytes";
  }
  return "Program_Info/File_Info/File_Size_Bytes";
}

// A date format written in the hints ("dd.mm.yyyy", "TT.MM.JJJJ", "jj/mm/aaaa", "yyyy-mm-dd"),
// as a rule of day, month and year keys.
std::string DateRule(const TControlEvidence& e, bool expire) {
  const std::string day =
      expire ? "|Program_Info/Expire_Info/Expire_Day|" : "|Program_Info/Program_Release_Day|";
  const std::string month =
      expire ? "|Program_Info/Expire_Info/Expire_Month|" : "|Program_Info/Program_Release_Month|";
  const std::string year =
      expire ? "|Program_Info/Expire_Info/Expire_Year|" : "|Program_Info/Program_Release_Year|";
  if (e.type == u"date") return year + "-" + month + "-" + day;
  if (e.max_length > 0 && e.max_length <= 4) return year;
  const std::string& h = e.hints;
  // Letter groups of two to four separated by one of . / -
  for (size_t i = 0; i < h.size(); ++i) {
    auto is_letter = [](unsigned char c) { return std::isalpha(c) || c >= 0x80; };
    if (i > 0 && is_letter(static_cast<unsigned char>(h[i - 1]))) continue;
    std::vector<std::string> groups;
    char sep = 0;
    size_t k = i;
    while (k < h.size()) {
      size_t start = k;
      // Cyrillic letters take two bytes each.
      while (k < h.size() && is_letter(static_cast<unsigned char>(h[k]))) ++k;
      std::string g = h.substr(start, k - start);
      if (g.empty()) break;
      groups.push_back(g);
      if (groups.size() == 3 || k >= h.size()) break;
      const char s = h[k];
      if (s != '.' && s != '/' && s != '-') break;
      if (sep && s != sep) break;
      sep = s;
      ++k;
    }
    if (groups.size() != 3 || !sep) continue;
    std::string rule;
    bool ok = true;
    int years = 0;
    for (size_t g = 0; g < 3; ++g) {
      const std::u16string w = Utf16(groups[g]);
      if (w.size() < 1 || w.size() > 4) {
        ok = false;
        break;
      }
      if (g) rule += sep;
      const char16_t first = w[0];
      if (w.size() >= 4 || first == u'y' || first == u'a' || first == u'r' || first == 0x433) {
        rule += year;
        ++years;
      } else if (first == u'm' || first == 0x43C) {
        rule += month;
      } else {
        rule += day;
      }
    }
    if (ok && years == 1) return rule;
  }
  // "March 14, 2024" as an example.
  static const char* kMonths[] = {"january",   "february", "march",    "april",
                                  "may",       "june",     "july",     "august",
                                  "september", "october",  "november", "december"};
  for (const char* m : kMonths) {
    const size_t at = h.find(m);
    if (at == std::string::npos) continue;
    const size_t next = at + std::string_view(m).size();
    if (next + 1 < h.size() && h[next] == ' ' &&
        std::isdigit(static_cast<unsigned char>(h[next + 1])))
      return expire
                 ? "|Program_Info/Expire_Info/Expire_Month_Text| "
                   "|Program_Info/Expire_Info/Expire_Day|, |Program_Info/Expire_Info/Expire_Year|"
                 : "|Release_Date_Text|";
  }
  if (h.find("\\d{4}-\\d{2}-\\d{2}") != std::string::npos) return year + "-" + month + "-" + day;
  return month + "/" + day + "/" + year;
}

// --- Choices -------------------------------------------------------------------------------------

std::vector<std::string> ProductValues(const std::string& cls, const TOptionsList& values) {
  if (cls == "@license") return {values.GetString("Program_Info/Program_Type")};
  if (cls == "@status") return {values.GetString("Program_Info/Program_Release_Status")};
  if (cls == "@install") return {values.GetString("Program_Info/Program_Install_Support")};
  if (cls == "@language")
    return SplitAt(values.GetString("Program_Info/Program_Language"), ',', TSplitMode::DropEmpty);
  if (cls == "@currency") {
    std::string c = values.GetString("Price_Currency");
    return {c.empty() ? std::string("USD") : c};
  }
  if (cls == "@free") {
    const std::string type = values.GetString("Program_Info/Program_Type");
    const std::string cost = values.GetString("Program_Info/Program_Cost_Dollars");
    const bool free = type == "Freeware" || cost.empty() || std::atof(cost.c_str()) <= 0;
    return {free ? "Yes" : "No"};
  }
  if (cls == "Company_Info/Country") return {values.GetString("Company_Info/Country")};
  return {};
}

// How well an option or box text names one of the product's values of the class.
double ValueScore(const std::string& cls, const std::vector<std::string>& product,
                  const std::string& text) {
  const TVocabulary& v = Vocabulary();
  double best = 0;
  for (const std::string& value : product) {
    if (value.empty()) continue;
    const std::string norm = NormalizeEvidenceText(std::string_view(value));
    if (norm == text) best = std::max(best, 11.0);
    best = std::max(best, v.Score(cls + ":" + value, text));
  }
  return best;
}

// True when the text names any value of the class (so a box or option belongs to it).
bool NamesAnyValue(const std::string& cls, const std::string& text) {
  const std::string prefix = cls + ":";
  for (const TSection& s : Vocabulary().Sections()) {
    if (s.name.starts_with(prefix) && TVocabulary::Score(s, text) > 0) return true;
  }
  return false;
}

// The operating-system decision for a box or option: 1 supported, 0 not, -1 not an OS.
int OsDecision(const std::string& raw_text, const TOptionsList& values) {
  std::string text = Trim(raw_text);
  if (const size_t paren = text.find('('); paren != std::string::npos && paren > 0)
    text = Trim(text.substr(0, paren));
  if (text.empty()) return -1;
  const std::string lower = AnsiLowerCase(text);
  std::vector<std::string> variants{lower};
  std::string nospace;
  for (char c : lower)
    if (c != ' ') nospace.push_back(c);
  variants.push_back(nospace);
  if (lower.starts_with("win ")) variants.push_back("windows " + lower.substr(4));
  if (lower.starts_with("windows ")) variants.push_back("win" + lower.substr(8));
  if (lower.starts_with("microsoft ")) variants.push_back(lower.substr(10));
  const std::vector<std::string> product_os =
      SplitAt(values.GetString("Program_Info/Program_OS_Support"), ',', TSplitMode::DropEmpty);
  for (const std::string& o : product_os) {
    if (AnsiLowerCase(Trim(o)) == lower) return 1;
  }
  auto squeeze = [](const std::string& t) {
    std::string out;
    for (char c : t)
      if (c != ' ') out.push_back(c);
    return out;
  };
  const TOptionsList& rules = Tables().os_rules;
  bool known = false, supported = false;
  for (int i = 0; i < rules.Count(); ++i) {
    const std::string line = rules.Line(i);
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string option = AnsiLowerCase(line.substr(0, eq));
    if (std::find(variants.begin(), variants.end(), option) == variants.end() &&
        squeeze(option) != nospace)
      continue;
    known = true;
    std::string score;
    for (const std::string& flag : SplitAt(line.substr(eq + 1), ',', TSplitMode::DropEmpty)) {
      std::string f = Trim(flag);
      const char sign = f.empty() ? 0 : f[0];
      if (sign == '+' || sign == '-') f = f.substr(1);
      const bool on = values.GetBool("Runtime/OS_Flags/" + f);
      if (sign == '-') {
        if (on) {
          score.clear();
          break;
        }
        score += '+';
      } else if (sign == '+') {
        if (!on) {
          score.clear();
          break;
        }
        score += '+';
      } else {
        score += on ? '+' : '-';
      }
    }
    if (score.find('+') != std::string::npos) supported = true;
  }
  if (known) return supported ? 1 : 0;
  // Families the rules do not name: by the product's own list.
  const TVocabulary& v = Vocabulary();
  const std::string norm = NormalizeEvidenceText(std::string_view(text));
  const std::vector<std::string> os =
      SplitAt(values.GetString("Program_Info/Program_OS_Support"), ',', TSplitMode::DropEmpty);
  auto has = [&os](std::string_view prefix) {
    return std::any_of(os.begin(), os.end(), [prefix](const std::string& o) {
      return AnsiLowerCase(o).starts_with(prefix);
    });
  };
  if (v.Score("@os:Mac", norm) > 0) return has("mac") ? 1 : 0;
  if (v.Score("@os:Linux", norm) > 0) return has("linux") ? 1 : 0;
  if (v.Score("@os:Unix", norm) > 0) return has("unix") || has("linux") ? 1 : 0;
  if (v.Score("@os:Other", norm) > 0) return 0;
  if (v.Score("@os:Windows", norm) > 0) {
    // A Windows version the rules do not know: supported only when the product names it.
    return norm == " windows " || norm == " win " || norm == " pc " ? (has("win") ? 1 : 0) : 0;
  }
  return -1;
}

// The category path of the product ("Business::PIMS & Calendars") against option texts.
int CategoryOption(const std::vector<std::string>& options, const TOptionsList& values) {
  std::string path = values.GetString("Program_Info/Program_Category_Class");
  if (path.empty()) return -1;
  std::vector<std::string> parts;
  size_t at = 0;
  while (at <= path.size()) {
    size_t end = path.find("::", at);
    if (end == std::string::npos) end = path.size();
    parts.push_back(NormalizeEvidenceText(std::string_view(path).substr(at, end - at)));
    at = end + 2;
  }
  int best = -1;
  double best_score = 0;
  for (size_t i = 0; i < options.size(); ++i) {
    const std::string o = NormalizeEvidenceText(std::string_view(options[i]));
    const std::vector<std::string> words = SplitAt(o, ' ', TSplitMode::DropEmpty);
    double score = 0;
    int unmatched = 0;
    for (const std::string& w : words) {
      bool found = false;
      for (size_t p = 0; p < parts.size(); ++p) {
        if (parts[p].find(" " + w + " ") != std::string::npos) {
          score += p + 1 == parts.size() ? 2 : 1;
          found = true;
          break;
        }
      }
      if (!found) ++unmatched;
    }
    score -= 0.1 * unmatched;
    if (score > best_score) {
      best_score = score;
      best = static_cast<int>(i);
    }
  }
  return best_score >= 1.5 ? best : -1;
}

struct TBoxDecision {
  bool decided = false;
  bool checked = false;
  bool consent = false;
  double score = 0;  // radios: how well the button names the product's value
};

std::string BoxText(const TControlEvidence& e) {
  std::string t = e.label.size() > 2 ? e.label : e.after;
  return t;
}

std::string BoxClass(const TControlEvidence& e) {
  const TVocabulary& v = Vocabulary();
  TScored best;
  for (const char* cls : {"@os", "@language", "@license", "@status", "@install", "@free"}) {
    for (const std::string* text : {&e.group, &e.name}) {
      const double s = v.Score(cls, *text) * (text == &e.group ? 1.0 : 0.8);
      if (s > best.score) best = {cls, s};
    }
  }
  return best.score >= kThreshold ? best.key : std::string();
}

TBoxDecision DecideBox(const TControlEvidence& e, const TOptionsList& values) {
  TBoxDecision d;
  const std::string own = BoxText(e);
  std::string raw = Trim(WideToAnsi(Utf16(own)));
  std::string cls = BoxClass(e);
  // The box's own words decide its class when the group says nothing.
  if (cls.empty()) {
    if (OsDecision(raw, values) >= 0 || OsDecision(e.value, values) >= 0)
      cls = "@os";
    else if (NamesAnyValue("@language", own))
      cls = "@language";
    else if (NamesAnyValue("@license", own))
      cls = "@license";
  }
  if (cls == "@os") {
    int os = OsDecision(raw, values);
    if (os < 0) os = OsDecision(e.value, values);
    if (os >= 0) {
      d.decided = true;
      d.checked = os == 1;
      d.score = os == 1 ? 10 : 0;
      return d;
    }
  } else if (!cls.empty()) {
    const std::vector<std::string> product = ProductValues(cls, values);
    const double s = ValueScore(cls, product, own);
    if (s > 0 || NamesAnyValue(cls, own)) {
      d.decided = true;
      d.checked = s > 0;
      d.score = s;
      return d;
    }
  }
  if (Vocabulary().Score("@consent", own) > 0 || Vocabulary().Score("@consent", e.group) > 0) {
    d.consent = true;
  }
  return d;
}

}  // namespace

std::string SmartTextKey(const TControlEvidence& e) {
  TScored best = Best(e, TextCandidates(e));
  // The classic name rules stay as weaker evidence.
  if (best.score < 4.0) {
    std::string raw_name;
    for (char c : e.name)
      if (c != ' ') raw_name.push_back(c);
    const std::string classic = ClassicKey(Trim(e.name), "");
    if (!classic.empty() && best.score < 3.5) best = {classic, 3.5};
  }
  return best.score >= kThreshold ? best.key : std::string();
}

bool SmartGuessingEnabled() {
  return Settings().GetBool("Smart Guessing");
}

TSmartChoices SmartAssignTemplates(TWebForm& web_form, TDomForm* form, const TOptionsList& values) {
  TSmartChoices choices;
  const std::vector<TControlEvidence> evidence = ReadControlEvidence(form);
  auto evidence_of = [&evidence](const TFormField& f) -> const TControlEvidence* {
    const int i = f.FieldIndex();
    if (i < 0 || i >= static_cast<int>(evidence.size())) return nullptr;
    const TControlEvidence& e = evidence[static_cast<size_t>(i)];
    return e.present ? &e : nullptr;
  };
  const TVocabulary& v = Vocabulary();

  // Text-like fields first: their keys tell what kind of form this is.
  std::vector<std::string> keys(static_cast<size_t>(web_form.FieldCount()));
  bool software_form = false, has_first_name = false, has_last_name = false,
       has_program_name = false;
  for (int i = 0; i < web_form.FieldCount(); ++i) {
    TFormField& f = web_form.FieldAt(i);
    const int type = f.FieldType();
    if (type != ftText && type != ftArea) continue;
    const TControlEvidence* e = evidence_of(f);
    std::string key;
    if (e) {
      key = SmartTextKey(*e);
    } else {
      key = ClassicKey(f.FieldName(), f.FieldContext());
    }
    keys[static_cast<size_t>(i)] = key;
    if (key == "Program_Info/Program_Version" || key == "@desc" || key == "@size" ||
        key.starts_with("Web_Info/Download_URLs") || key.starts_with("Program_Descriptions"))
      software_form = true;
    if (key == "Company_Info/Contact_Info/Contact_First_Name") has_first_name = true;
    if (key == "Company_Info/Contact_Info/Contact_Last_Name") has_last_name = true;
    if (key == "Program_Info/Program_Name") has_program_name = true;
  }

  int boxes_seen = 0;
  for (int i = 0; i < web_form.FieldCount(); ++i) {
    TFormField& f = web_form.FieldAt(i);
    const int type = f.FieldType();
    const TControlEvidence* e = evidence_of(f);
    if (type == ftText || type == ftArea) {
      std::string key = keys[static_cast<size_t>(i)];
      std::string rule;
      if (key == "@name") {
        key = software_form && !has_program_name ? "Program_Info/Program_Name"
              : has_first_name && !has_last_name ? "Company_Info/Contact_Info/Contact_Last_Name"
                                                 : "Company_Info/Contact_Info/Contact_Full_Name";
      }
      if (key == "@date" || key == "@expire-date") {
        rule = e ? DateRule(*e, key == "@expire-date") : "|Release_Date_US|";
      } else if (key == "@desc" || key.starts_with("Program_Descriptions/English/Char_Desc_")) {
        // The text before a labelled field may be the help text of the field above it
        // ("Up to 80 characters"): it speaks for this field only when nothing else does.
        std::string text;
        if (e) {
          text = e->label + " " + e->cell + " " + e->placeholder + " " + e->after;
          if (e->label.empty() && e->cell.empty()) text += " " + e->context;
        }
        TControlEvidence none;
        none.tag = type == ftArea ? u"TEXTAREA" : u"INPUT";
        rule = "|" + DescriptionKey(e ? *e : none, text) + "|";
      } else if (key == "@size") {
        rule =
            "|" + (e ? SizeKey(*e) : std::string("Program_Info/File_Info/File_Size_Bytes")) + "|";
      } else if (!key.empty() && key.front() != '@') {
        if (key == "Web_Info/Application_URLs/Application_Info_URL" && e) {
          // A bare "website" means the company's where the form or its fieldset is about the
          // company; a product page says so.
          double product = 0;
          for (const std::string* t : {&e->label, &e->cell, &e->placeholder, &e->name})
            product = std::max(product, v.Score(key, *t));
          const bool company_group = v.Score("Company_Info/Company_Name", e->group) > 0;
          if (product < 10 && (!software_form || company_group))
            key = "Company_Info/Company_WebSite_URL";
        }
        if (e && e->max_length > 0 && e->max_length <= 7 &&
            (key == "Company_Info/Country" || key == "Company_Info/State_Province"))
          key += "_Short";
        rule = "|" + key + "|";
      }
      if (rule.empty()) {
        // Unknown: better left alone than filled with a weak guess.
        f.SetIgnored(true);
      } else {
        f.SetFillWith(rule);
      }
      continue;
    }
    if (type == ftPassword) continue;  // the capture's company password stays
    if (type == ftList) {
      if (!e) {
        if (f.FillWith().empty())
          f.SetFillWith("|" + ClassicKey(f.FieldName(), f.FieldContext()) + "|");
        continue;
      }
      // Classes from the name and label first; the options only when these say nothing.
      std::vector<std::string> candidates{"@license",
                                          "@status",
                                          "@install",
                                          "@language",
                                          "@os",
                                          "@currency",
                                          "@category",
                                          "Company_Info/Country",
                                          "Company_Info/State_Province"};
      TScored best = Best(*e, candidates);
      if (best.score < kThreshold) {
        std::map<std::string, int> votes;
        for (const std::string& o : e->options) {
          const std::string norm = NormalizeEvidenceText(std::string_view(o));
          for (const char* cls : {"@license", "@status", "@install", "@language", "@currency",
                                  "Company_Info/Country"})
            if (NamesAnyValue(cls, norm)) ++votes[cls];
          if (OsDecision(o, values) >= 0) ++votes["@os"];
        }
        for (const auto& [cls, n] : votes) {
          if (n >= 2 && n * 5.0 > best.score) best = {cls, n * 5.0};
        }
      }
      std::string classic_list = GuessListRule(f.Options(), f.FieldName());
      if (classic_list.empty()) {
        // A list of years the classic test words miss (2023, 2024, ...).
        int years = 0, others = 0;
        for (const std::string& o : e->options) {
          const std::string t = Trim(o);
          const bool year =
              t.size() == 4 &&
              std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
              (t.starts_with("19") || t.starts_with("20"));
          (year ? years : others) += 1;
        }
        if (years >= 3 && others <= 1) {
          const bool expire = AnsiLowerCase(f.FieldName()).find("exp") != std::string::npos ||
                              v.Score("@expire-date", e->label + e->cell + e->context) > 0;
          classic_list = expire ? "|Program_Info/Expire_Info/Expire_Year|"
                                : "|Program_Info/Program_Release_Year|";
        }
      }
      const bool date_list = classic_list.find("Month") != std::string::npos ||
                             classic_list.find("_Day") != std::string::npos ||
                             classic_list.find("Year") != std::string::npos;
      if (date_list && (best.score < kThreshold || best.key == "@date")) {
        f.SetFillWith(classic_list);
        continue;
      }
      const std::string cls = best.score >= kThreshold ? best.key : std::string();
      TSmartChoices::TListChoice choice{i, {}};
      if (cls == "@os") {
        if (e->multiple) {
          for (size_t k = 0; k < e->options.size(); ++k)
            if (OsDecision(e->options[k], values) == 1)
              choice.options.push_back(static_cast<int>(k));
        } else {
          f.SetFillWith("|Program_Info/Program_OS_Support|");
          continue;
        }
      } else if (cls == "@category") {
        const int k = CategoryOption(e->options, values);
        if (k >= 0) {
          choice.options.push_back(k);
        } else {
          f.SetFillWith("|Program_Category|");
          continue;
        }
      } else if (cls == "Company_Info/State_Province") {
        f.SetFillWith("|Company_Info/State_Province|");
        continue;
      } else if (!cls.empty() && cls != "@date") {
        const std::vector<std::string> product = ProductValues(cls, values);
        if (e->multiple) {
          for (size_t k = 0; k < e->options.size(); ++k) {
            if (ValueScore(cls, product, NormalizeEvidenceText(std::string_view(e->options[k]))) >
                0)
              choice.options.push_back(static_cast<int>(k));
          }
        } else {
          // One choice: the product's first value the list offers (its main language).
          for (const std::string& value : product) {
            double best_option = 0;
            for (size_t k = 0; k < e->options.size(); ++k) {
              const double s =
                  ValueScore(cls, {value}, NormalizeEvidenceText(std::string_view(e->options[k])));
              if (s > best_option) {
                best_option = s;
                choice.options.assign(1, static_cast<int>(k));
              }
            }
            if (!choice.options.empty()) break;
          }
        }
        if (choice.options.empty() && cls == "Company_Info/Country") {
          f.SetFillWith("|Company_Info/Country|");
          continue;
        }
      } else if (!classic_list.empty()) {
        f.SetFillWith(classic_list);
        continue;
      }
      if (choice.options.empty()) {
        f.SetIgnored(true);
        continue;
      }
      // The choice is written as the options' texts, for a form saved from this capture.
      std::string rule;
      for (int k : choice.options) {
        if (!rule.empty()) rule += ",";
        rule += k < static_cast<int>(f.Options().size()) ? f.Options()[static_cast<size_t>(k)]
                                                         : std::string();
      }
      f.SetFillWith(rule);
      f.SetIgnored(true);  // selected by ApplySmartChoices
      choices.lists.push_back(std::move(choice));
      continue;
    }
    if (type == ftCheck || type == ftRadio) {
      ++boxes_seen;
      if (!e) continue;
      const TBoxDecision d = DecideBox(*e, values);
      if (d.consent) {
        choices.attention.push_back(i);
        f.SetIgnored(true);
        continue;
      }
      if (!d.decided) continue;  // the captured state stays
      if (type == ftCheck) {
        f.SetFillWith(d.checked ? "TRUE" : "FALSE");
        continue;
      }
      // Radios: only the best button of the group is set, in a second pass.
      f.SetFillWith(d.checked ? "TRUE" : "FALSE");
      f.SetString("Smart Score", std::to_string(static_cast<int>(d.score * 10)));
      continue;
    }
  }
  (void)boxes_seen;

  // In each radio group only the best-scoring button is chosen.
  std::map<std::string, int> best_of_group;
  for (int i = 0; i < web_form.FieldCount(); ++i) {
    TFormField& f = web_form.FieldAt(i);
    if (f.FieldType() != ftRadio || !f.HasKey("Smart Score")) continue;
    const int score = f.GetInt("Smart Score");
    auto it = best_of_group.find(f.FieldName());
    if (f.FillWith() == "TRUE" &&
        (it == best_of_group.end() || score > web_form.FieldAt(it->second).GetInt("Smart Score")))
      best_of_group[f.FieldName()] = i;
  }
  for (int i = 0; i < web_form.FieldCount(); ++i) {
    TFormField& f = web_form.FieldAt(i);
    if (f.FieldType() != ftRadio || !f.HasKey("Smart Score")) continue;
    auto it = best_of_group.find(f.FieldName());
    f.SetFillWith(it != best_of_group.end() && it->second == i ? "TRUE" : "FALSE");
    f.SetString("Smart Score", "");
  }
  (void)v;
  return choices;
}

void ApplySmartChoices(const TSmartChoices& choices, const TWebForm& web_form,
                       const TFormBinding& binding) {
  for (const TSmartChoices::TListChoice& c : choices.lists) {
    try {
      if (c.field < 0 || c.field >= web_form.FieldCount()) continue;
      TDomElement* e = binding.LiveElement(web_form.FieldAt(c.field));
      if (!e) continue;
      if (e->Multiple()) {
        for (int k = 0; k < e->OptionCount(); ++k)
          if (TDomOption* o = e->OptionAt(k)) o->SetSelected(false);
        for (int k : c.options)
          if (TDomOption* o = e->OptionAt(k)) o->SetSelected(true);
      } else if (!c.options.empty()) {
        e->SetSelectedIndex(c.options.front());
      }
      e->SetRuntimeStyle(TDomStyle::Color, u"#000000");
      e->SetRuntimeStyle(TDomStyle::Background, u"#DCDDC4");
    } catch (const std::exception&) {
      // A list the page cannot change keeps its selection.
    }
  }
  for (int i : choices.attention) {
    try {
      if (i < 0 || i >= web_form.FieldCount()) continue;
      TDomElement* e = binding.LiveElement(web_form.FieldAt(i));
      if (!e) continue;
      // The colours of a failed match: the user decides these boxes.
      e->SetRuntimeStyle(TDomStyle::Color, u"#FF0000");
      e->SetRuntimeStyle(TDomStyle::BackgroundColor, u"#FFFFFF");
    } catch (const std::exception&) {
    }
  }
}

}  // namespace quillora
