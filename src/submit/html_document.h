// The in-memory HTML document: a page parsed with gumbo into the document model, with form
// ownership resolved as a browser does it. Used by the tests, benchmarks and `quillora-cli fill`.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "submit/document_model.h"

namespace quillora {

class THtmlDocument;
class THtmlForm;

// The page with the tags of elements that would open deeper than max_depth left out (their
// content stays); the parts of a form get 64 levels more. The page itself when nothing nests
// that deep.
std::string CapNesting(std::string_view html, size_t max_depth);
class THtmlElement;

class THtmlOption final : public TDomOption {
 public:
  std::u16string Text() const override { return text_; }
  bool Selected() const override { return selected_; }
  void SetSelected(bool selected) override;
  // What a submission sends for the option: its value attribute, else its text.
  std::u16string Value() const { return value_ ? *value_ : text_; }
  bool Disabled() const { return disabled_; }

 private:
  friend class THtmlDocument;
  friend class THtmlElement;
  THtmlElement* list_ = nullptr;
  std::u16string text_;
  std::optional<std::u16string> value_;
  bool selected_ = false;
  bool disabled_ = false;
};

class THtmlElement final : public TDomElement {
 public:
  std::u16string TagName() const override { return tag_; }
  std::u16string Name() const override { return Attribute(u"name"); }
  std::u16string Type() const override { return type_; }
  std::u16string Value() const override;
  void SetValue(std::u16string_view value) override;
  // File inputs keep what the engine chose; a browser would hand it to the page's file chooser.
  void SetFileValue(std::u16string_view path) override { value_ = std::u16string(path); }
  bool Checked() const override { return checked_; }
  void SetChecked(bool checked) override;
  int MaxLength() const override { return max_length_; }
  int Size() const override { return size_; }
  void Select() override { ++select_calls_; }
  std::u16string OuterHTML() const override { return outer_; }
  int ReadyState() const override { return ready_state_; }
  TDomForm* Form() const override;

  bool Multiple() const override { return multiple_; }
  int OptionCount() const override { return static_cast<int>(options_.size()); }
  TDomOption* OptionAt(int index) const override;
  int SelectedIndex() const override;
  void SetSelectedIndex(int index) override;

  std::optional<std::u16string> RuntimeStyle(TDomStyle property) const override;
  void SetRuntimeStyle(TDomStyle property, std::u16string_view value) override;

  // The attribute's value (name in lower case); empty when missing.
  std::u16string Attribute(std::u16string_view name) const;
  bool HasAttribute(std::u16string_view name) const;
  THtmlDocument* Document() const { return document_; }
  void SetReadyState(int state) { ready_state_ = state; }
  int SelectCalls() const { return select_calls_; }

 private:
  friend class THtmlDocument;
  friend class THtmlOption;
  void OptionSelected(THtmlOption* option);

  THtmlDocument* document_ = nullptr;
  THtmlForm* form_ = nullptr;
  std::u16string tag_;
  std::u16string type_;
  std::vector<std::pair<std::u16string, std::u16string>> attributes_;
  std::optional<std::u16string> value_;  // set once the value was written
  std::u16string default_value_;
  bool checked_ = false;
  int max_length_ = 2147483647;
  int size_ = 2147483647;
  int ready_state_ = 4;
  int select_calls_ = 0;
  std::u16string outer_;
  bool multiple_ = false;
  bool single_line_list_ = true;  // a single-choice list shown as a drop-down
  std::vector<std::unique_ptr<THtmlOption>> options_;
  std::map<TDomStyle, std::u16string> style_;
};

class THtmlForm final : public TDomForm {
 public:
  std::u16string Name() const override { return name_; }
  std::u16string Action() const override { return action_; }
  std::u16string Method() const override { return method_; }
  std::u16string Encoding() const override { return encoding_; }
  std::u16string OuterHTML() const override { return outer_; }
  std::u16string InnerText() const override { return inner_text_; }
  int ElementCount() const override { return static_cast<int>(elements_.size()); }
  TDomElement* ElementAt(int index) const override;
  TDomElement* ElementByName(std::u16string_view name) const override;
  TDomDocument* Document() const override;
  // The form element's attribute (name in lower case, e.g. "accept-charset"); empty when
  // missing.
  std::u16string Attribute(std::u16string_view name) const;

 private:
  friend class THtmlDocument;
  THtmlDocument* document_ = nullptr;
  std::vector<std::pair<std::u16string, std::u16string>> attributes_;
  std::u16string id_, name_, action_, method_, encoding_, outer_, inner_text_;
  std::vector<THtmlElement*> elements_;
  size_t source_begin_ = 0, source_end_ = 0;  // where the parser's form pointer was set
};

class THtmlDocument final : public TDomDocument {
 public:
  // Gives the HTML of a framed page by its absolute address, or nullopt when there is none.
  using TFrameLoader = std::function<std::optional<std::string>(const std::string& address)>;

  // html: UTF-8 (text that is not valid UTF-8 is read in the system code page). Frames come from
  // <iframe srcdoc> and, through the loader, from the "src" of <iframe> and <frame>.
  explicit THtmlDocument(std::string_view html, std::string_view url = {},
                         TFrameLoader loader = {});
  ~THtmlDocument() override;
  THtmlDocument(const THtmlDocument&) = delete;
  THtmlDocument& operator=(const THtmlDocument&) = delete;

  std::u16string ReadyState() const override { return ready_state_; }
  std::u16string URL() const override { return url_; }
  int FormCount() const override { return static_cast<int>(forms_.size()); }
  TDomForm* FormAt(int index) const override;
  TDomElement* ActiveElement() const override { return active_; }
  int FrameCount() const override { return static_cast<int>(frames_.size()); }
  TDomDocument* FrameAt(int index) const override;
  TDomDocument* TopDocument() const override;

  void SetReadyState(std::u16string_view state) { ready_state_ = std::u16string(state); }
  // The focused control: one of this document's controls, or nullptr.
  void SetActiveElement(TDomElement* element) { active_ = element; }
  // Every form control of the page in tree order, with or without a form.
  int ControlCount() const { return static_cast<int>(controls_.size()); }
  THtmlElement* ControlAt(int index) const;
  THtmlDocument* Parent() const { return parent_; }

  // Frames nest at most this deep; deeper ones (a page framing itself) stay empty.
  static constexpr int kMaxFrameDepth = 8;
  // Elements nest at most this deep, as in browsers: deeper ones are put beside the deepest.
  static constexpr size_t kMaxNestingDepth = 512;

 private:
  THtmlDocument(std::string_view html, std::string_view url, TFrameLoader loader,
                THtmlDocument* parent, int depth);
  void Parse(std::string_view html, int depth);
  friend class THtmlElement;
  void RadioChecked(THtmlElement* radio);

  THtmlDocument* parent_ = nullptr;
  TFrameLoader loader_;
  std::u16string url_;
  std::u16string ready_state_ = u"complete";
  TDomElement* active_ = nullptr;
  std::vector<std::unique_ptr<THtmlForm>> forms_;
  std::vector<std::unique_ptr<THtmlElement>> controls_;
  std::vector<std::unique_ptr<THtmlDocument>> frames_;
  std::map<std::pair<const THtmlForm*, std::u16string>, std::vector<THtmlElement*>> radio_groups_;
};

}  // namespace quillora
