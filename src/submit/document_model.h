// The document model the form-filling engine works on: documents with frames, forms, form
// controls, list options and the per-element runtime style. The in-memory HTML document and the
// browser's page snapshot implement it; nothing here knows either.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillora {

class TDomDocument;
class TDomForm;
class TDomElement;

// Texts are UTF-16, as the page holds them. Objects handed out by a document stay valid as long
// as the document does; a missing object is nullptr. Any member may throw std::runtime_error
// when the page cannot answer; callers treat that as "not there".

// One <option> of a list.
class TDomOption {
 public:
  virtual ~TDomOption() = default;
  virtual std::u16string Text() const = 0;
  virtual bool Selected() const = 0;
  virtual void SetSelected(bool selected) = 0;
};

// The style properties the engine colours elements with.
enum class TDomStyle { Color, Background, BackgroundColor };

// A form control (INPUT, SELECT, TEXTAREA, BUTTON) or any other element the page reports.
class TDomElement {
 public:
  virtual ~TDomElement() = default;
  // Upper case: "INPUT", "SELECT", "TEXTAREA", "BUTTON", ...
  virtual std::u16string TagName() const = 0;
  virtual std::u16string Name() const = 0;
  // The input type in lower case ("text", "checkbox", ...); empty for non-inputs.
  virtual std::u16string Type() const = 0;
  virtual std::u16string Value() const = 0;
  virtual void SetValue(std::u16string_view value) = 0;
  virtual bool Checked() const = 0;
  virtual void SetChecked(bool checked) = 0;
  // As the page reports them; 2147483647 when the control has none.
  virtual int MaxLength() const = 0;
  virtual int Size() const = 0;
  // Selects the control's text (inputs), as the page's select() does.
  virtual void Select() = 0;
  // Puts a file name into a file input. Scripts cannot write a file input's value, so a browser
  // document answers the page's file chooser with it instead; by default it is written as the
  // value.
  virtual void SetFileValue(std::u16string_view path) { SetValue(path); }
  virtual std::u16string OuterHTML() const = 0;
  // 0 uninitialized .. 4 complete (the element's own readiness).
  virtual int ReadyState() const = 0;
  // The form the control belongs to, or nullptr.
  virtual TDomForm* Form() const = 0;

  // Lists (SELECT); a non-list reports no options.
  virtual bool Multiple() const = 0;
  virtual int OptionCount() const = 0;
  virtual TDomOption* OptionAt(int index) const = 0;
  virtual int SelectedIndex() const = 0;  // -1 when none
  virtual void SetSelectedIndex(int index) = 0;

  // The element's runtime style: the value set, or nullopt when never set.
  virtual std::optional<std::u16string> RuntimeStyle(TDomStyle property) const = 0;
  virtual void SetRuntimeStyle(TDomStyle property, std::u16string_view value) = 0;
};

class TDomForm {
 public:
  virtual ~TDomForm() = default;
  virtual std::u16string Name() const = 0;
  virtual std::u16string Action() const = 0;
  virtual std::u16string Method() const = 0;
  virtual std::u16string Encoding() const = 0;
  virtual std::u16string OuterHTML() const = 0;
  virtual std::u16string InnerText() const = 0;
  // The form's element collection in document order ("length", "item(index)", "item(name)").
  virtual int ElementCount() const = 0;
  virtual TDomElement* ElementAt(int index) const = 0;
  // The first element of the collection with that name, or nullptr.
  virtual TDomElement* ElementByName(std::u16string_view name) const = 0;
  virtual TDomDocument* Document() const = 0;
};

class TDomDocument {
 public:
  virtual ~TDomDocument() = default;
  // "loading", "interactive", "complete", ...
  virtual std::u16string ReadyState() const = 0;
  virtual std::u16string URL() const = 0;
  virtual int FormCount() const = 0;
  virtual TDomForm* FormAt(int index) const = 0;
  // The focused element, or nullptr.
  virtual TDomElement* ActiveElement() const = 0;
  // The documents of the frames embedded in this one, in document order.
  virtual int FrameCount() const = 0;
  virtual TDomDocument* FrameAt(int index) const = 0;
  // The document of the top-level window this document is shown in (itself at the top).
  virtual TDomDocument* TopDocument() const = 0;
};

}  // namespace quillora
