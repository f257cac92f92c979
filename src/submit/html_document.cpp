#include "submit/html_document.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <unordered_map>

#include <gumbo.h>

#include "foundation/codepage.h"
#include "template/url_helpers.h"

namespace quillora {

namespace {

std::u16string ToWide(const char* s) {
  return Utf8ToWideStrict(s ? std::string_view(s) : "");
}

std::u16string Lower(std::u16string s) {
  for (char16_t& c : s) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return s;
}

std::u16string Upper(std::u16string s) {
  for (char16_t& c : s) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  return s;
}

bool IsHtmlSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// Strips and collapses white space, as option texts are reported.
std::u16string CollapseWhite(std::u16string_view s) {
  std::u16string out;
  bool blank = false;
  for (char16_t c : s) {
    if (IsHtmlSpace(c)) {
      blank = !out.empty();
      continue;
    }
    if (blank) out.push_back(u' ');
    blank = false;
    out.push_back(c);
  }
  return out;
}

// A non-negative integer attribute as a browser parses it; fallback when missing or invalid.
int ParseNonNegative(std::u16string_view s, int fallback) {
  size_t i = 0;
  while (i < s.size() && IsHtmlSpace(s[i])) ++i;
  if (i < s.size() && s[i] == u'+') ++i;
  if (i >= s.size() || s[i] < u'0' || s[i] > u'9') return fallback;
  long long v = 0;
  while (i < s.size() && s[i] >= u'0' && s[i] <= u'9') {
    v = v * 10 + (s[i] - u'0');
    if (v > 2147483647) return fallback;
    ++i;
  }
  return static_cast<int>(v);
}

const char16_t* const kInputTypes[] = {
    u"hidden",   u"text",  u"search", u"tel",      u"url",   u"email",
    u"password", u"date",  u"month",  u"week",     u"time",  u"datetime-local",
    u"number",   u"range", u"color",  u"checkbox", u"radio", u"file",
    u"submit",   u"image", u"reset",  u"button"};

std::u16string InputType(std::u16string_view attribute) {
  const std::u16string t = Lower(std::u16string(attribute));
  for (const char16_t* known : kInputTypes) {
    if (t == known) return t;
  }
  return u"text";
}

// Elements a start tag does not leave open (void elements), and those whose end tag may be
// left out: neither counts towards the nesting, so a page of unclosed paragraphs or cells never
// looks deep.
bool LeavesNothingOpen(std::string_view name) {
  static const char* const kNames[] = {
      "area",     "base",    "br",       "col",   "embed",   "hr",     "img",   "input", "link",
      "meta",     "param",   "source",   "track", "wbr",     "keygen", "p",     "li",    "dt",
      "dd",       "option",  "optgroup", "tr",    "td",      "th",     "tbody", "thead", "tfoot",
      "colgroup", "caption", "rb",       "rt",    "rp",      "rtc",    "html",  "head",  "body",
      "basefont", "bgsound", "frame",    "image", "menuitem"};
  for (const char* n : kNames)
    if (name == n) return true;
  return false;
}

// Elements whose content is text up to their end tag.
bool IsRawText(std::string_view name) {
  return name == "script" || name == "style" || name == "textarea" || name == "title" ||
         name == "xmp" || name == "iframe" || name == "noembed" || name == "noframes" ||
         name == "noscript";
}

// Elements a form is made of: kept even beyond the nesting limit, so a form at the bottom of a
// deep page keeps its controls.
bool IsFormPart(std::string_view name) {
  static const char* const kNames[] = {"form",     "select", "textarea", "button", "label",
                                       "fieldset", "legend", "datalist", "output", "object",
                                       "iframe",   "frame",  "frameset", "table",  "template"};
  for (const char* n : kNames)
    if (name == n) return true;
  return false;
}

}  // namespace

// Browsers stop nesting elements at a fixed depth and put deeper ones beside the deepest open
// element; the parser used here has no such limit, and its scope checks walk all open elements,
// which made a deeply nested page take time quadratic in its depth. So before parsing, the tags
// of an element that would open deeper than the limit are left out (its content stays, beside
// the deepest element), except the parts of a form, which get a little more room; beyond that
// they are left out too. The source is returned unchanged when nothing nests that deep.
std::string CapNesting(std::string_view html, size_t max_depth) {
  struct Open {
    std::string name;
    bool dropped;
  };
  std::vector<Open> open;
  size_t depth = 0;  // elements open in the parsed page: those not left out
  std::string out;
  size_t copied = 0;  // html[0, copied) is done
  bool rewritten = false;
  auto leave_out = [&](size_t from, size_t to) {
    out.append(html.substr(copied, from - copied));
    copied = to;
    rewritten = true;
  };
  auto lower_name = [&html](size_t from, size_t& end) {
    std::string name;
    end = from;
    while (end < html.size()) {
      const unsigned char c = static_cast<unsigned char>(html[end]);
      if (!std::isalnum(c) && c != '-' && c != ':' && c != '_') break;
      name.push_back(static_cast<char>(std::tolower(c)));
      ++end;
    }
    return name;
  };
  size_t i = 0;
  while (i < html.size()) {
    const size_t lt = html.find('<', i);
    if (lt == std::string_view::npos || lt + 1 >= html.size()) break;
    if (html.compare(lt, 4, "<!--") == 0) {
      const size_t close = html.find("-->", lt + 4);
      i = close == std::string_view::npos ? html.size() : close + 3;
      continue;
    }
    const char next = html[lt + 1];
    if (next == '!' || next == '?') {
      const size_t gt = html.find('>', lt + 2);
      i = gt == std::string_view::npos ? html.size() : gt + 1;
      continue;
    }
    const bool end_tag = next == '/';
    size_t name_end = 0;
    const std::string name = lower_name(lt + (end_tag ? 2 : 1), name_end);
    if (name.empty() || !std::isalpha(static_cast<unsigned char>(name[0]))) {
      i = lt + 1;
      continue;
    }
    // The end of the tag, quotes respected.
    size_t gt = name_end;
    char quote = 0;
    for (; gt < html.size(); ++gt) {
      const char c = html[gt];
      if (quote) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '>') {
        break;
      }
    }
    if (gt >= html.size()) break;
    i = gt + 1;
    if (end_tag) {
      // Closes the nearest open element of that name among the last few; a stray end tag
      // closes nothing.
      for (size_t k = open.size(), seen = 0; k > 0 && seen < 64; --k, ++seen) {
        if (open[k - 1].name != name) continue;
        if (open[k - 1].dropped) leave_out(lt, i);
        for (size_t j = k - 1; j < open.size(); ++j)
          if (!open[j].dropped) --depth;
        open.resize(k - 1);
        break;
      }
      continue;
    }
    if (IsRawText(name)) {
      const std::string close = "</" + name;
      size_t at = i;
      while (true) {
        at = html.find("</", at);
        if (at == std::string_view::npos) break;
        std::string candidate;
        for (size_t k = at; k < at + close.size() && k < html.size(); ++k)
          candidate.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(html[k]))));
        if (candidate == close) break;
        at += 2;
      }
      if (at == std::string_view::npos) break;
      i = at;
      continue;
    }
    if (html[gt - 1] == '/' || LeavesNothingOpen(name)) continue;
    const bool drop = depth >= max_depth + (IsFormPart(name) ? 64 : 0);
    if (drop) leave_out(lt, i);
    open.push_back({name, drop});
    if (!drop) ++depth;
  }
  if (!rewritten) return std::string(html);
  out.append(html.substr(copied));
  return out;
}

namespace {

bool IsListedTag(GumboTag tag) {
  switch (tag) {
    case GUMBO_TAG_INPUT:
    case GUMBO_TAG_SELECT:
    case GUMBO_TAG_TEXTAREA:
    case GUMBO_TAG_BUTTON:
    case GUMBO_TAG_FIELDSET:
    case GUMBO_TAG_OBJECT:
    case GUMBO_TAG_OUTPUT:
      return true;
    default:
      return false;
  }
}

std::u16string TagNameOf(const GumboElement& e) {
  if (e.tag != GUMBO_TAG_UNKNOWN) return Upper(ToWide(gumbo_normalized_tagname(e.tag)));
  GumboStringPiece piece = e.original_tag;
  gumbo_tag_from_original_text(&piece);
  return Upper(Utf8ToWideStrict(std::string_view(piece.data, piece.length)));
}

const char* AttributeOf(const GumboElement& e, const char* name) {
  const GumboAttribute* a = gumbo_get_attribute(&e.attributes, name);
  return a ? a->value : nullptr;
}

// The text of a subtree in tree order (script and style left out), without recursion.
std::u16string TextContent(const GumboNode* root) {
  std::string bytes;
  std::vector<const GumboNode*> stack{root};
  while (!stack.empty()) {
    const GumboNode* n = stack.back();
    stack.pop_back();
    if (n->type == GUMBO_NODE_TEXT || n->type == GUMBO_NODE_WHITESPACE ||
        n->type == GUMBO_NODE_CDATA) {
      bytes += n->v.text.text;
    } else if (n->type == GUMBO_NODE_ELEMENT || n->type == GUMBO_NODE_TEMPLATE) {
      const GumboElement& e = n->v.element;
      if (n != root && (e.tag == GUMBO_TAG_SCRIPT || e.tag == GUMBO_TAG_STYLE)) continue;
      for (unsigned i = e.children.length; i > 0; --i) {
        stack.push_back(static_cast<const GumboNode*>(e.children.data[i - 1]));
      }
    }
  }
  return Utf8ToWideStrict(bytes);
}

// Case-insensitive search for an ASCII needle in the source from a position.
size_t FindNoCase(std::string_view haystack, std::string_view needle, size_t from) {
  if (needle.empty() || haystack.size() < needle.size()) return std::string_view::npos;
  for (size_t i = from; i + needle.size() <= haystack.size(); ++i) {
    size_t k = 0;
    while (k < needle.size() &&
           std::tolower(static_cast<unsigned char>(haystack[i + k])) == needle[k]) {
      ++k;
    }
    if (k == needle.size()) return i;
  }
  return std::string_view::npos;
}

struct GumboOutputDeleter {
  void operator()(GumboOutput* o) const {
    if (o) gumbo_destroy_output(&kGumboDefaultOptions, o);
  }
};

}  // namespace

// --- THtmlOption / THtmlElement
// -------------------------------------------------------------------

void THtmlOption::SetSelected(bool selected) {
  selected_ = selected;
  if (selected && list_) list_->OptionSelected(this);
}

void THtmlElement::OptionSelected(THtmlOption* option) {
  if (multiple_) return;
  for (auto& o : options_) {
    if (o.get() != option) o->selected_ = false;
  }
}

std::u16string THtmlElement::Value() const {
  if (value_) return *value_;
  if (tag_ == u"SELECT") {
    const int i = SelectedIndex();
    return i >= 0 ? options_[static_cast<size_t>(i)]->text_ : std::u16string();
  }
  return default_value_;
}

void THtmlElement::SetValue(std::u16string_view value) {
  if (tag_ == u"SELECT") {
    for (auto& o : options_) o->selected_ = false;
    for (auto& o : options_) {
      if (o->text_ == value) {
        o->selected_ = true;
        break;
      }
    }
    return;
  }
  value_ = std::u16string(value);
}

void THtmlElement::SetChecked(bool checked) {
  checked_ = checked;
  if (checked && type_ == u"radio" && document_) document_->RadioChecked(this);
}

TDomForm* THtmlElement::Form() const {
  return form_;
}

TDomOption* THtmlElement::OptionAt(int index) const {
  if (index < 0 || index >= OptionCount()) return nullptr;
  return options_[static_cast<size_t>(index)].get();
}

int THtmlElement::SelectedIndex() const {
  for (size_t i = 0; i < options_.size(); ++i) {
    if (options_[i]->selected_) return static_cast<int>(i);
  }
  return -1;
}

void THtmlElement::SetSelectedIndex(int index) {
  for (size_t i = 0; i < options_.size(); ++i) {
    options_[i]->selected_ = static_cast<int>(i) == index;
  }
}

std::optional<std::u16string> THtmlElement::RuntimeStyle(TDomStyle property) const {
  auto it = style_.find(property);
  if (it == style_.end()) return std::nullopt;
  return it->second;
}

void THtmlElement::SetRuntimeStyle(TDomStyle property, std::u16string_view value) {
  style_[property] = std::u16string(value);
}

std::u16string THtmlElement::Attribute(std::u16string_view name) const {
  for (const auto& [n, v] : attributes_) {
    if (n == name) return v;
  }
  return {};
}

bool THtmlElement::HasAttribute(std::u16string_view name) const {
  for (const auto& a : attributes_) {
    if (a.first == name) return true;
  }
  return false;
}

// --- THtmlForm
// ------------------------------------------------------------------------------------

TDomElement* THtmlForm::ElementAt(int index) const {
  if (index < 0 || index >= ElementCount()) return nullptr;
  return elements_[static_cast<size_t>(index)];
}

TDomElement* THtmlForm::ElementByName(std::u16string_view name) const {
  if (name.empty()) return nullptr;
  for (THtmlElement* e : elements_) {
    if (e->Name() == name || e->Attribute(u"id") == name) return e;
  }
  return nullptr;
}

TDomDocument* THtmlForm::Document() const {
  return document_;
}

std::u16string THtmlForm::Attribute(std::u16string_view name) const {
  for (const auto& [n, v] : attributes_) {
    if (n == name) return v;
  }
  return {};
}

// --- THtmlDocument
// --------------------------------------------------------------------------------

THtmlDocument::THtmlDocument(std::string_view html, std::string_view url, TFrameLoader loader)
    : THtmlDocument(html, url, std::move(loader), nullptr, 0) {}

THtmlDocument::THtmlDocument(std::string_view html, std::string_view url, TFrameLoader loader,
                             THtmlDocument* parent, int depth)
    : parent_(parent), loader_(std::move(loader)) {
  url_ = IsValidUtf8(url) ? Utf8ToWideStrict(url) : AnsiToWide(url);
  Parse(html, depth);
}

THtmlDocument::~THtmlDocument() = default;

TDomForm* THtmlDocument::FormAt(int index) const {
  if (index < 0 || index >= FormCount()) return nullptr;
  return forms_[static_cast<size_t>(index)].get();
}

TDomDocument* THtmlDocument::FrameAt(int index) const {
  if (index < 0 || index >= FrameCount()) return nullptr;
  return frames_[static_cast<size_t>(index)].get();
}

TDomDocument* THtmlDocument::TopDocument() const {
  const THtmlDocument* d = this;
  while (d->parent_) d = d->parent_;
  return const_cast<THtmlDocument*>(d);
}

THtmlElement* THtmlDocument::ControlAt(int index) const {
  if (index < 0 || index >= ControlCount()) return nullptr;
  return controls_[static_cast<size_t>(index)].get();
}

void THtmlDocument::RadioChecked(THtmlElement* radio) {
  const std::u16string name = radio->Name();
  if (name.empty()) return;
  // The group's buttons, kept by form and name: a page of many radio buttons would otherwise
  // cost time per button for every button checked.
  auto it = radio_groups_.find({radio->form_, name});
  if (it == radio_groups_.end()) return;
  for (THtmlElement* c : it->second) {
    if (c != radio) c->checked_ = false;
  }
}

void THtmlDocument::Parse(std::string_view html, int depth) {
  std::string source =
      CapNesting(IsValidUtf8(html) ? std::string(html) : AnsiToUtf8(html), kMaxNestingDepth);
  GumboOptions options = kGumboDefaultOptions;
  options.max_errors = 100;
  std::unique_ptr<GumboOutput, GumboOutputDeleter> output(
      gumbo_parse_with_options(&options, source.data(), source.size()));
  if (!output) throw std::runtime_error("The page cannot be parsed");
  const std::string_view src(source);

  // The outer HTML of an element is its source text, which the capture's context texts are cut
  // from; offsets come from gumbo and always lie inside the source.
  auto source_span = [&](const GumboElement& e) -> std::u16string {
    if (e.original_tag.length == 0 || e.start_pos.offset >= src.size()) {
      return u"<" + Lower(TagNameOf(e)) + u">";
    }
    size_t begin = e.start_pos.offset;
    size_t end = begin + e.original_tag.length;
    if (e.original_end_tag.length > 0 && e.end_pos.offset >= begin) {
      end = e.end_pos.offset + e.original_end_tag.length;
    } else if (e.end_pos.offset > end) {
      end = e.end_pos.offset;
    }
    end = std::min(end, src.size());
    return Utf8ToWideStrict(src.substr(begin, end - begin));
  };

  // Tree order without recursion (pages may nest deeply), with the nearest form ancestor.
  struct Item {
    const GumboNode* node;
    THtmlForm* ancestor_form;
  };
  std::vector<std::pair<const GumboNode*, THtmlForm*>> listed;
  std::vector<const GumboNode*> frame_nodes;
  std::unordered_map<std::u16string, const GumboNode*> ids;
  std::unordered_map<const GumboNode*, THtmlForm*> form_of_node;

  std::vector<Item> stack{{output->document, nullptr}};
  while (!stack.empty()) {
    Item item = stack.back();
    stack.pop_back();
    const GumboNode* n = item.node;
    const GumboVector* children = nullptr;
    THtmlForm* form = item.ancestor_form;
    if (n->type == GUMBO_NODE_DOCUMENT) {
      children = &n->v.document.children;
    } else if (n->type == GUMBO_NODE_ELEMENT) {
      const GumboElement& e = n->v.element;
      if (e.tag_namespace != GUMBO_NAMESPACE_HTML) continue;
      if (const char* id = AttributeOf(e, "id")) ids.emplace(ToWide(id), n);
      if (e.tag == GUMBO_TAG_FORM) {
        auto f = std::make_unique<THtmlForm>();
        f->document_ = this;
        for (unsigned i = 0; i < e.attributes.length; ++i) {
          const auto* a = static_cast<const GumboAttribute*>(e.attributes.data[i]);
          f->attributes_.emplace_back(Lower(ToWide(a->name)), ToWide(a->value));
        }
        f->id_ = ToWide(AttributeOf(e, "id"));
        f->name_ = ToWide(AttributeOf(e, "name"));
        f->action_ = ToWide(AttributeOf(e, "action"));
        f->method_ = ToWide(AttributeOf(e, "method"));
        f->encoding_ = ToWide(AttributeOf(e, "enctype"));
        f->inner_text_ = CollapseWhite(TextContent(n));
        // The parser keeps a form pointer from the form's start tag to its end tag even when the
        // form element itself was closed early (a form opened inside a table).
        f->source_begin_ = std::min<size_t>(e.start_pos.offset, src.size());
        size_t end = src.size();
        if (e.original_end_tag.length > 0) {
          end = e.end_pos.offset + e.original_end_tag.length;
        } else {
          const size_t close = FindNoCase(src, "</form", f->source_begin_ + e.original_tag.length);
          if (close != std::string_view::npos) {
            const size_t gt = src.find('>', close);
            end = gt == std::string_view::npos ? src.size() : gt + 1;
          }
        }
        f->source_end_ = std::min(end, src.size());
        f->outer_ =
            Utf8ToWideStrict(src.substr(f->source_begin_, f->source_end_ - f->source_begin_));
        form = f.get();
        form_of_node[n] = form;
        forms_.push_back(std::move(f));
      } else if (IsListedTag(e.tag)) {
        listed.emplace_back(n, item.ancestor_form);
      } else if (e.tag == GUMBO_TAG_IFRAME || e.tag == GUMBO_TAG_FRAME) {
        frame_nodes.push_back(n);
      }
      children = &e.children;
    } else if (n->type == GUMBO_NODE_TEMPLATE) {
      continue;  // template contents are inert
    }
    if (!children) continue;
    for (unsigned i = children->length; i > 0; --i) {
      stack.push_back({static_cast<const GumboNode*>(children->data[i - 1]), form});
    }
  }

  bool forms_in_source_order = true;
  std::vector<size_t> latest_end(forms_.size());  // the latest end of forms_[0..k]
  for (size_t k = 0; k < forms_.size(); ++k) {
    if (k > 0 && forms_[k]->source_begin_ < forms_[k - 1]->source_begin_)
      forms_in_source_order = false;
    latest_end[k] = std::max(k > 0 ? latest_end[k - 1] : 0, forms_[k]->source_end_);
  }
  for (const auto& [n, ancestor_form] : listed) {
    const GumboElement& e = n->v.element;
    auto c = std::make_unique<THtmlElement>();
    c->document_ = this;
    c->tag_ = TagNameOf(e);
    for (unsigned i = 0; i < e.attributes.length; ++i) {
      const auto* a = static_cast<const GumboAttribute*>(e.attributes.data[i]);
      c->attributes_.emplace_back(Lower(ToWide(a->name)), ToWide(a->value));
    }
    c->outer_ = source_span(e);

    // Form owner: the form= attribute, else the form ancestor, else the form the parser's
    // form pointer named when the element's tag was read.
    THtmlForm* owner = nullptr;
    if (const char* ref = AttributeOf(e, "form")) {
      auto it = ids.find(ToWide(ref));
      if (it != ids.end()) {
        auto f = form_of_node.find(it->second);
        if (f != form_of_node.end()) owner = f->second;
      }
    } else if (ancestor_form) {
      owner = ancestor_form;
    } else if (e.original_tag.length > 0) {
      // The last form whose parser pointer covered the tag; in source order the nearest form
      // opened before it is looked at first, so many forms do not cost time per control.
      const size_t at = e.start_pos.offset;
      if (forms_in_source_order) {
        size_t k =
            static_cast<size_t>(std::upper_bound(forms_.begin(), forms_.end(), at,
                                                 [](size_t a, const std::unique_ptr<THtmlForm>& f) {
                                                   return a < f->source_begin_;
                                                 }) -
                                forms_.begin());
        while (k > 0 && latest_end[k - 1] > at) {
          const THtmlForm* f = forms_[k - 1].get();
          if (f->source_begin_ < at && at < f->source_end_) {
            owner = forms_[k - 1].get();
            break;
          }
          --k;
        }
      } else {
        for (auto& f : forms_) {
          if (f->source_begin_ < at && at < f->source_end_) owner = f.get();
        }
      }
    }
    c->form_ = owner;

    if (e.tag == GUMBO_TAG_INPUT) {
      c->type_ = InputType(c->Attribute(u"type"));
      c->default_value_ = c->Attribute(u"value");
      if ((c->type_ == u"checkbox" || c->type_ == u"radio") && !c->HasAttribute(u"value")) {
        c->default_value_ = u"on";
      }
      c->checked_ = c->HasAttribute(u"checked");
      c->max_length_ = ParseNonNegative(c->Attribute(u"maxlength"), 2147483647);
      c->size_ = ParseNonNegative(c->Attribute(u"size"), 20);
      if (c->size_ == 0) c->size_ = 20;
    } else if (e.tag == GUMBO_TAG_TEXTAREA) {
      c->default_value_ = TextContent(n);
      c->max_length_ = ParseNonNegative(c->Attribute(u"maxlength"), 2147483647);
    } else if (e.tag == GUMBO_TAG_SELECT) {
      c->multiple_ = c->HasAttribute(u"multiple");
      c->single_line_list_ = !c->multiple_ && ParseNonNegative(c->Attribute(u"size"), 1) <= 1;
      std::vector<const GumboNode*> st;
      for (unsigned i = e.children.length; i > 0; --i) {
        st.push_back(static_cast<const GumboNode*>(e.children.data[i - 1]));
      }
      while (!st.empty()) {
        const GumboNode* o = st.back();
        st.pop_back();
        if (o->type != GUMBO_NODE_ELEMENT) continue;
        const GumboElement& oe = o->v.element;
        if (oe.tag == GUMBO_TAG_OPTGROUP) {
          for (unsigned i = oe.children.length; i > 0; --i) {
            st.push_back(static_cast<const GumboNode*>(oe.children.data[i - 1]));
          }
        } else if (oe.tag == GUMBO_TAG_OPTION) {
          auto opt = std::make_unique<THtmlOption>();
          opt->list_ = c.get();
          opt->text_ = CollapseWhite(TextContent(o));
          if (const char* value = AttributeOf(oe, "value")) opt->value_ = ToWide(value);
          opt->selected_ = gumbo_get_attribute(&oe.attributes, "selected") != nullptr;
          opt->disabled_ = gumbo_get_attribute(&oe.attributes, "disabled") != nullptr;
          c->options_.push_back(std::move(opt));
        }
      }
      if (!c->multiple_) {
        // One selected option at most: the last one marked wins; a drop-down shows the first
        // enabled option when none is marked.
        int last = -1;
        for (size_t i = 0; i < c->options_.size(); ++i) {
          if (c->options_[i]->selected_) last = static_cast<int>(i);
        }
        if (last >= 0) {
          c->SetSelectedIndex(last);
        } else if (c->single_line_list_) {
          for (auto& o : c->options_) {
            if (!o->disabled_) {
              o->selected_ = true;
              break;
            }
          }
        }
      }
    }
    if (owner) owner->elements_.push_back(c.get());
    if (c->type_ == u"radio") radio_groups_[{owner, c->Name()}].push_back(c.get());
    controls_.push_back(std::move(c));
  }

  // A later checked radio button unchecks the earlier ones of its group, as parsing does.
  for (size_t i = controls_.size(); i > 0; --i) {
    THtmlElement* c = controls_[i - 1].get();
    if (c->type_ == u"radio" && c->checked_) RadioChecked(c);
  }

  for (const GumboNode* n : frame_nodes) {
    const GumboElement& e = n->v.element;
    if (depth + 1 > kMaxFrameDepth) break;
    try {
      if (const char* srcdoc = AttributeOf(e, "srcdoc"); srcdoc && e.tag == GUMBO_TAG_IFRAME) {
        frames_.push_back(std::unique_ptr<THtmlDocument>(
            new THtmlDocument(srcdoc, "about:srcdoc", loader_, this, depth + 1)));
        continue;
      }
      const char* frame_src = AttributeOf(e, "src");
      if (!frame_src || !*frame_src || !loader_) continue;
      const std::string base = WideToUtf8(url_);
      std::string address = frame_src;
      if (!IsAbsoluteUrl(address)) address = ResolveUrl(UrlDirectory(base), address);
      std::optional<std::string> page = loader_(address);
      if (!page) continue;
      frames_.push_back(std::unique_ptr<THtmlDocument>(
          new THtmlDocument(*page, address, loader_, this, depth + 1)));
    } catch (const std::exception&) {
      // A frame that cannot be loaded or parsed is simply not there.
    }
  }
}

}  // namespace quillora
