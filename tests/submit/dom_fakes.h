// A page form made by hand for the engine's tests: named controls in a fixed order, and a switch
// that makes the form fail the way a page that cannot answer does.
#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "foundation/codepage.h"
#include "submit/document_model.h"

namespace quillora::test {

class FakeElement : public TDomElement {
 public:
  FakeElement(std::string tag, std::string name) : tag_(std::move(tag)), name_(std::move(name)) {}
  std::u16string TagName() const override { return AnsiToWide(tag_); }
  std::u16string Name() const override { return AnsiToWide(name_); }
  std::u16string Type() const override { return u"text"; }
  std::u16string Value() const override { return value_; }
  void SetValue(std::u16string_view v) override { value_ = v; }
  bool Checked() const override { return false; }
  void SetChecked(bool) override {}
  int MaxLength() const override { return 2147483647; }
  int Size() const override { return 2147483647; }
  void Select() override {}
  std::u16string OuterHTML() const override { return {}; }
  int ReadyState() const override { return 4; }
  TDomForm* Form() const override { return nullptr; }
  bool Multiple() const override { return false; }
  int OptionCount() const override { return 0; }
  TDomOption* OptionAt(int) const override { return nullptr; }
  int SelectedIndex() const override { return -1; }
  void SetSelectedIndex(int) override {}
  std::optional<std::u16string> RuntimeStyle(TDomStyle) const override { return std::nullopt; }
  void SetRuntimeStyle(TDomStyle, std::u16string_view) override {}

 private:
  std::string tag_, name_;
  std::u16string value_;
};

class FakeForm : public TDomForm {
 public:
  std::vector<std::unique_ptr<FakeElement>> elements;
  bool positions_fail = false;  // ElementAt throws, as a page that cannot answer does

  FakeElement* Add(const std::string& name, const std::string& tag = "INPUT") {
    elements.push_back(std::make_unique<FakeElement>(tag, name));
    return elements.back().get();
  }
  std::u16string Name() const override { return u"f"; }
  std::u16string Action() const override { return {}; }
  std::u16string Method() const override { return u"post"; }
  std::u16string Encoding() const override { return {}; }
  std::u16string OuterHTML() const override { return {}; }
  std::u16string InnerText() const override { return {}; }
  int ElementCount() const override { return static_cast<int>(elements.size()); }
  TDomElement* ElementAt(int i) const override {
    if (positions_fail) throw std::runtime_error("no such element");
    return i >= 0 && i < ElementCount() ? elements[static_cast<size_t>(i)].get() : nullptr;
  }
  TDomElement* ElementByName(std::u16string_view name) const override {
    for (const auto& e : elements)
      if (e->Name() == name) return e.get();
    return nullptr;
  }
  TDomDocument* Document() const override { return nullptr; }
};

}  // namespace quillora::test
