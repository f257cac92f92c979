// Small stand-ins the site tests share: an owning site list, a profile (and a core whose sites
// read it) and a page form.
#pragma once

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/core_context.h"
#include "foundation/codepage.h"
#include "sites/site.h"
#include "support/test_context.h"

namespace quillora::testing {

// A list that owns sites the way the real site list does, recording what sites ask of it.
class FakeSiteOwner : public TPersistObjList, public TSiteOwner {
 public:
  std::string folder;
  TMemoryStream cache;
  bool strip = false;
  std::vector<std::pair<int, TImage24>> thumbnails;
  int removed = 0;

  std::string SitesFolder() const override { return folder; }
  TMemoryStream& CoverCache() override { return cache; }
  bool HasThumbnailStrip() const override { return strip; }
  void PutThumbnail(int slot, const TImage24& picture) override {
    thumbnails.emplace_back(slot, picture);
  }
  void RemoveSite(TWebSite* site) override {
    ++removed;
    Delete(IndexOf(site));
  }
  TWebSite& AddSite() { return *static_cast<TWebSite*>(ItemAt(AddNew())); }

 protected:
  std::unique_ptr<TPersistObj> CreateItem() override { return std::make_unique<TWebSite>(); }
};

class FakeProfile : public TSiteProfile {
 public:
  std::map<std::string, std::string> values;
  std::map<std::pair<TSiteValueKind, std::string>, std::string> site_values;

  std::string ProfileValue(std::string_view key) const override {
    auto it = values.find(std::string(key));
    return it == values.end() ? std::string() : it->second;
  }
  std::string SiteValue(TSiteValueKind kind, std::string_view uin) const override {
    auto it = site_values.find({kind, std::string(uin)});
    return it == site_values.end() ? std::string() : it->second;
  }
  void Set(TSiteValueKind kind, const std::string& uin, const std::string& value) {
    site_values[{kind, uin}] = value;
  }
};

// A core started for the test's lifetime whose sites read the given profile.
struct ActiveProfileScope {
  explicit ActiveProfileScope(const TSiteProfile* p) {
    TStartupOptions options = data.Options();
    options.load_sites = false;
    core = data.Start(options);
    if (!core) throw std::runtime_error("the start-up failed");
    core->Sites().profile = p;
  }
  TestData data;
  std::unique_ptr<TCoreContext> core;
};

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

  FakeElement* Add(const std::string& name) {
    elements.push_back(std::make_unique<FakeElement>("INPUT", name));
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

}  // namespace quillora::testing
