#include "cli/cmd_records.h"

#include <memory>
#include <ostream>

#include <CLI/CLI.hpp>

#include "pad/product_data.h"
#include "pad/profile.h"
#include "pad/records.h"
#include "sites/site_list.h"
#include "submit/status_records.h"

namespace quillora::cli {

void RunCompanyList(CliContext& ctx) {
  ctx.EnsureStarted();
  const TCompanyList& companies = CompanyList();
  for (int i = 0; i < companies.Count(); ++i) {
    const TCompany* c = companies.At(i);
    ctx.out << c->Uin() << '\t' << c->RecordName() << '\n';
  }
}

void RunProductList(CliContext& ctx) {
  ctx.EnsureStarted();
  const TProductList& products = ProductList();
  for (int i = 0; i < products.Count(); ++i) {
    const TProduct* p = products.At(i);
    ctx.out << p->Uin() << '\t' << p->RecordName() << '\t'
            << p->GetString("Program_Info/Program_Version") << '\t'
            << p->GetString("Quillora/Company_UIN") << '\n';
  }
}

void RunProductUse(const std::string& uin, CliContext& ctx) {
  ctx.EnsureStarted();
  if (const std::string error = UseProduct(uin); !error.empty()) throw CliError(error);
}

void RunStatus(const StatusArgs& args, CliContext& ctx) {
  std::optional<std::string> override_item;
  if (args.override_name) {
    override_item = FindOverrideItem(*args.override_name);
    if (!override_item)
      throw CliError("unknown status '" + *args.override_name +
                     "': use Auto, Complete, Pending, Default, Skipped or Failed");
  }
  ctx.EnsureStarted();
  TProfile& profile = ActiveProfile();
  const std::string& uin = args.uin;
  bool changes = args.listed || args.submitted || args.set_version_listed ||
                 args.set_listed_as_submitted || override_item;
  if (changes && !profile.FindActiveProduct())
    throw CliError("no active product: choose one with 'product use UIN'");
  // With the site list loaded the UIN must name one of its sites; the records themselves are
  // keyed by the text alone.
  TWebSite* site = SiteListReady() ? SiteList().FindByUIN(uin) : nullptr;
  if (SiteListReady() && !site) throw CliError("no site with UIN " + uin);

  // In the order the status panel offers them.
  bool changed = false;
  if (args.listed) changed |= SetVersionListedText(profile, uin, *args.listed);
  if (args.submitted) changed |= SetVersionSubmittedText(profile, uin, *args.submitted);
  if (args.set_version_listed) changed |= SetVersionListed(profile, uin);
  if (args.set_listed_as_submitted) changed |= SetListedAsSubmitted(profile, uin);
  if (override_item) changed |= SetStatusOverride(profile, uin, *override_item);
  if (changed && !CommitStatusChange(profile)) throw CliError("the product could not be saved");
  if (changed && site) {
    site->UpdateVersionHandled(profile.GetString("Program_Info/Program_Version"));
    site->RefreshSummary();
  }

  ctx.out << uin << '\t' << SiteStatusName(SiteStatusFor(profile, uin)) << '\t'
          << profile.VersionListed.GetString(uin) << '\t' << profile.VersionSubmitted.GetString(uin)
          << '\t' << profile.DateSubmitted.GetString(uin) << '\n';
}

void SetupRecordCommands(CLI::App& root, CliContext& ctx) {
  auto* company = root.add_subcommand("company", "The company records");
  company->require_subcommand(1);
  company->add_subcommand("list", "Print every company: UIN and name")->callback([&ctx] {
    RunCompanyList(ctx);
  });

  auto* product = root.add_subcommand("product", "The product records");
  product->require_subcommand(1);
  product->add_subcommand("list", "Print every product: UIN, name, version and company UIN")
      ->callback([&ctx] { RunProductList(ctx); });
  auto uin = std::make_shared<std::string>();
  auto* use = product->add_subcommand("use", "Make a product (with its company) the active one");
  use->add_option("UIN", *uin, "The product's UIN")->required();
  use->callback([&ctx, uin] { RunProductUse(*uin, ctx); });

  auto args = std::make_shared<StatusArgs>();
  auto listed = std::make_shared<std::string>();
  auto submitted = std::make_shared<std::string>();
  auto override_name = std::make_shared<std::string>();
  auto* status = root.add_subcommand(
      "status", "Change the active product's records for a site and print its status");
  status->add_option("UIN", args->uin, "The site's UIN")->required();
  auto* listed_opt =
      status->add_option("--listed", *listed, "Store the version listed")->type_name("VERSION");
  auto* submitted_opt = status->add_option("--submitted", *submitted, "Store the version submitted")
                            ->type_name("VERSION");
  status->add_flag("--set-version-listed", args->set_version_listed,
                   "The version listed becomes the current version");
  status->add_flag("--set-listed-as-submitted", args->set_listed_as_submitted,
                   "The version listed becomes the version submitted");
  auto* override_opt =
      status
          ->add_option("--override", *override_name,
                       "Auto, Complete, Pending, Default, Skipped or Failed (Auto clears it)")
          ->type_name("NAME");
  status->callback(
      [&ctx, args, listed, submitted, override_name, listed_opt, submitted_opt, override_opt] {
        StatusArgs a = *args;
        if (listed_opt->count()) a.listed = *listed;
        if (submitted_opt->count()) a.submitted = *submitted;
        if (override_opt->count()) a.override_name = *override_name;
        RunStatus(a, ctx);
      });
}

}  // namespace quillora::cli
