// Small stand-ins the site tests share: an owning site list, a profile and a core whose sites
// read it.
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

namespace quillora::test {

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

}  // namespace quillora::test
