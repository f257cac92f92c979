#include "cli/cmd_fill.h"

#include <filesystem>
#include <map>
#include <memory>
#include <ostream>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "foundation/app_state.h"
#include "foundation/codepage.h"
#include "foundation/stream.h"
#include "sites/site.h"
#include "sites/site_list.h"
#include "sites/site_lookup.h"
#include "submit/form_filler.h"
#include "submit/html_document.h"

namespace quillora::cli {

namespace {

using Json = nlohmann::ordered_json;

Json Style(const TDomElement& e, TDomStyle property, TDomStyle alternative) {
  std::optional<std::u16string> v = e.RuntimeStyle(property);
  if (!v) v = e.RuntimeStyle(alternative);
  return v ? Json(WideToUtf8(*v)) : Json(nullptr);
}

Json ElementJson(int index, const TDomElement& e) {
  Json selected = Json::array();
  for (int i = 0; i < e.OptionCount(); ++i) {
    if (const TDomOption* o = e.OptionAt(i); o && o->Selected()) selected.push_back(i);
  }
  Json j;
  j["index"] = index;
  j["tag"] = WideToUtf8(e.TagName());
  j["type"] = WideToUtf8(e.Type());
  j["name"] = WideToUtf8(e.Name());
  j["value"] = WideToUtf8(e.Value());
  j["checked"] = e.Checked();
  j["selected"] = selected;
  j["color"] = Style(e, TDomStyle::Color, TDomStyle::Color);
  j["background"] = Style(e, TDomStyle::Background, TDomStyle::BackgroundColor);
  return j;
}

}  // namespace

void RunFill(const FillArgs& args, CliContext& ctx) {
  ctx.EnsureStarted();
  std::string html;
  try {
    html = FileToString(args.page);
  } catch (const std::exception& e) {
    throw CliError("Cannot read " + args.page + ": " + e.what());
  }
  std::string url = args.url;
  if (url.empty())
    url = "file://" + std::filesystem::absolute(args.page).lexically_normal().string();

  TSiteLookup site;
  if (!args.site.empty()) {
    site = FindSiteByUIN(args.site, SiteListReady() ? &SiteList() : nullptr, Folders().sites);
    if (!site.site) throw CliError("No site with the UIN " + args.site);
  }

  const std::filesystem::path folder = std::filesystem::absolute(args.page).parent_path();
  THtmlDocument doc(html, url, [folder](const std::string& address) -> std::optional<std::string> {
    // Framed pages are read from files next to the page.
    std::string path = address;
    if (path.rfind("file://", 0) == 0)
      path = path.substr(7);
    else if (path.find("://") != std::string::npos)
      path = (folder / path.substr(path.rfind('/') + 1)).string();
    try {
      return FileToString(path);
    } catch (const std::exception&) {
      return std::nullopt;
    }
  });

  struct Outcome {
    TFillMode mode;
    TFormPurpose purpose;
  };
  std::map<const TDomForm*, Outcome> outcomes;
  // --classic holds for this run only: the setting is put back whatever happens.
  struct TSettingRestore {
    bool active = false;
    std::string before;
    ~TSettingRestore() {
      if (active) Settings().SetString("Smart Guessing", before);
    }
  } restore;
  if (args.classic) {
    restore.active = true;
    restore.before = Settings().GetString("Smart Guessing");
    Settings().SetBool("Smart Guessing", false);
  }
  try {
    FillDocument(&doc, site.site, !args.all,
                 [&](TDomForm* form, TFillMode mode, TFormPurpose purpose) {
                   outcomes[form] = {mode, purpose};
                 });
  } catch (const std::exception& e) {
    throw CliError(e.what());
  }

  Json forms = Json::array();
  int index = 0;
  ForEachDocument(&doc, [&](TDomDocument& d) {
    for (int f = 0; f < d.FormCount(); ++f) {
      TDomForm* form = d.FormAt(f);
      Json j;
      j["index"] = index++;
      j["name"] = WideToUtf8(form->Name());
      j["fingerprint"] = LiveFingerprint(form);
      auto it = outcomes.find(form);
      j["mode"] = it != outcomes.end() ? Json(static_cast<int>(it->second.mode)) : Json(nullptr);
      j["purpose"] =
          it != outcomes.end() ? Json(static_cast<int>(it->second.purpose)) : Json(nullptr);
      Json fields = Json::array();
      for (int i = 0; i < form->ElementCount(); ++i) {
        if (const TDomElement* e = form->ElementAt(i)) fields.push_back(ElementJson(i, *e));
      }
      j["fields"] = std::move(fields);
      forms.push_back(std::move(j));
    }
  });
  ctx.out << forms.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
}

void SetupFillCommands(CLI::App& root, CliContext& ctx) {
  auto args = std::make_shared<FillArgs>();
  auto* fill = root.add_subcommand("fill", "Fill the forms of a page with the active product");
  fill->add_option("PAGE", args->page, "The page's HTML file")->required();
  fill->add_option("--url", args->url, "The page's address (default: its file:// address)");
  fill->add_option("--site", args->site, "The UIN of the site whose stored forms are used");
  fill->add_flag("--all", args->all, "Fill unknown forms too (guessing their rules)");
  fill->add_flag("--classic", args->classic, "Guess with the classic rules for this run");
  fill->callback([&ctx, args] { RunFill(*args, ctx); });
}

}  // namespace quillora::cli
