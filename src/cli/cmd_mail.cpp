#include "cli/cmd_mail.h"

#include <memory>
#include <ostream>

#include <CLI/CLI.hpp>

#include "foundation/codepage.h"
#include "foundation/dates.h"
#include "foundation/ui_port.h"
#include "net/send_mail.h"
#include "pad/product_data.h"
#include "pad/profile.h"
#include "sites/site.h"
#include "sites/site_list.h"
#include "submit/status_records.h"

namespace quillora::cli {

void RunMail(const std::string& uin, CliContext& ctx) {
  ctx.EnsureStarted();
  TWebSite* site = SiteListReady() ? SiteList().FindByUIN(uin) : nullptr;
  if (!site) throw CliError("no site with UIN " + uin);
  TProfile& profile = ActiveProfile();
  if (!profile.FindActiveProduct())
    throw CliError("no active product: choose one with 'product use UIN'");
  switch (SubmitByMail(*site, profile)) {
    case TMailSubmission::NotMail:
      throw CliError("the Submit address of site " + uin + " is not an e-mail address");
    case TMailSubmission::NotSent:
      throw CliReportedFailure();
    case TMailSubmission::NotSaved:
      throw CliError("the product could not be saved");
    case TMailSubmission::Recorded:
      break;
  }
  ctx.out << uin << '\t' << SiteStatusName(SiteStatusFor(profile, uin)) << '\t'
          << profile.VersionListed.GetString(uin) << '\t' << profile.VersionSubmitted.GetString(uin)
          << '\t' << profile.DateSubmitted.GetString(uin) << '\n';
}

void SetupMailCommands(CLI::App& root, CliContext& ctx) {
  auto uin = std::make_shared<std::string>();
  auto* mail = root.add_subcommand(
      "mail", "Send the active product to a site whose Submit address is an e-mail address");
  mail->add_option("UIN", *uin, "The site's UIN")->required();
  mail->callback([&ctx, uin] { RunMail(*uin, ctx); });
}

}  // namespace quillora::cli
