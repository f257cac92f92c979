// The form corpus (tests/data/forms/): download-site pages whose controls carry the value the
// sample product should give them ("data-expect") and the rule a stored form would hold for them
// ("data-rule"). Fills every page as an unknown form or as a known one and scores the result.
#pragma once

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "foundation/codepage.h"
#include "foundation/stream.h"
#include "pad/product_data.h"
#include "pad/profile.h"
#include "sites/site.h"
#include "submit/form_filler.h"
#include "submit/html_document.h"
#include "template/template.h"

namespace quillora::test {

struct CorpusMiss {
  std::string page, field, expected, actual;
};

struct CorpusScore {
  int pages = 0, fields = 0, right = 0;
  std::vector<CorpusMiss> misses;
  std::map<std::string, std::pair<int, int>> per_page;  // page -> right, fields
  double Share() const { return fields ? 100.0 * right / fields : 0; }
};

// The held-out pages named in the corpus' "holdout.txt" (file names, "#" lines are comments).
inline std::set<std::string> HeldOutPages(const std::string& folder) {
  std::set<std::string> names;
  std::string text;
  try {
    text = FileToString(folder + "/holdout.txt");
  } catch (const std::exception&) {
    return names;
  }
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (!line.empty() && line[0] != '#') names.insert(line);
    at = end + 1;
  }
  return names;
}

// Which pages a run scores.
enum class CorpusPart { All, Tuning, HeldOut };

inline std::vector<std::string> CorpusPages(const std::string& folder) {
  std::vector<std::string> pages;
  for (const auto& e : std::filesystem::directory_iterator(folder)) {
    if (e.path().extension() == ".html") pages.push_back(e.path().string());
  }
  std::sort(pages.begin(), pages.end());
  return pages;
}

// What the control shows: its value, "on"/"off" for boxes, the selected option texts of a list.
inline std::string ShownValue(const THtmlElement& e) {
  if (e.TagName() == u"SELECT") {
    std::string out;
    for (int i = 0; i < e.OptionCount(); ++i) {
      if (!e.OptionAt(i)->Selected()) continue;
      if (!out.empty()) out += ",";
      out += WideToUtf8(e.OptionAt(i)->Text());
    }
    return out;
  }
  if (e.Type() == u"checkbox" || e.Type() == u"radio") return e.Checked() ? "on" : "off";
  return WideToUtf8(e.Value());
}

inline void ForEachHtmlDocument(THtmlDocument& doc, const std::function<void(THtmlDocument&)>& fn) {
  ForEachDocument(&doc, [&fn](TDomDocument& d) { fn(static_cast<THtmlDocument&>(d)); });
}

// The stored forms a user would have saved for the page: captured, with the corpus' rules.
inline void StoreCorpusForms(THtmlDocument& doc, TWebSite& site) {
  ForEachHtmlDocument(doc, [&site](THtmlDocument& d) {
    for (int f = 0; f < d.FormCount(); ++f) {
      TDomForm* form = d.FormAt(f);
      TWebForm& stored = site.Forms().AddForm();
      CaptureLiveForm(form, stored);
      for (int i = 0; i < stored.FieldCount(); ++i) {
        TFormField& field = stored.FieldAt(i);
        auto* e = static_cast<THtmlElement*>(form->ElementAt(field.FieldIndex()));
        if (e && e->HasAttribute(u"data-rule"))
          field.SetFillWith(WideToAnsi(e->Attribute(u"data-rule")));
      }
      stored.Purpose = fpSubmit;
      stored.UpdateFingerprint();
    }
  });
}

inline void ScoreFilledPage(THtmlDocument& doc, const std::string& page, CorpusScore& score) {
  auto& tally = score.per_page[page];
  const TOptionsList values = FillValues(nullptr);
  ForEachHtmlDocument(doc, [&](THtmlDocument& d) {
    for (int i = 0; i < d.ControlCount(); ++i) {
      const THtmlElement& e = *d.ControlAt(i);
      if (!e.HasAttribute(u"data-expect")) continue;
      std::string expected = WideToUtf8(e.Attribute(u"data-expect"));
      if (expected.find('|') != std::string::npos) {
        expected = WideToUtf8(ExpandTemplateToWide(expected, values, ""));
      }
      const std::string actual = ShownValue(e);
      ++score.fields;
      ++tally.second;
      if (actual == expected) {
        ++score.right;
        ++tally.first;
      } else {
        score.misses.push_back({page, WideToUtf8(e.Name()), expected, actual});
      }
    }
  });
}

// known: each page's forms are stored forms of a site (filled by fingerprint); otherwise no
// site is given and every form's rules are guessed.
inline CorpusScore RunCorpus(const std::string& folder, bool known,
                             CorpusPart part = CorpusPart::All) {
  CorpusScore score;
  const std::set<std::string> held_out = HeldOutPages(folder);
  for (const std::string& path : CorpusPages(folder)) {
    const std::string name = std::filesystem::path(path).filename().string();
    const bool is_held_out = held_out.count(name) > 0;
    if ((part == CorpusPart::Tuning && is_held_out) ||
        (part == CorpusPart::HeldOut && !is_held_out))
      continue;
    const std::string html = FileToString(path);
    const std::string url = "http://downloads.example/" + name;
    TWebSite site;
    if (known) {
      THtmlDocument source(html, url);
      StoreCorpusForms(source, site);
    }
    THtmlDocument doc(html, url);
    FillDocument(&doc, known ? &site : nullptr, known);
    ScoreFilledPage(doc, name, score);
    ++score.pages;
  }
  return score;
}

}  // namespace quillora::test
