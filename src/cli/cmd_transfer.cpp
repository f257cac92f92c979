#include "cli/cmd_transfer.h"

#include <memory>

#include <CLI/CLI.hpp>

#include "cli/progress_bar.h"
#include "net/transfers.h"

namespace quillora::cli {

bool RunTransferGet(std::string url, const std::string& file, const std::string* form_line,
                    bool passive, std::ostream& out, TCliProgress* progress) {
  TFormFields fields;
  if (form_line) fields = std::vector<std::string>{*form_line};
  // The command has always replaced an existing file without asking.
  const auto result = progress ? progress->Window().Download(url, file, fields, passive, true)
                               : DownloadToFile(url, file, nullptr, fields, passive, {});
  if (progress) progress->Clear();
  out << TransferResultText(result) << '\n' << url << '\n';
  return result == trNoError;
}

bool RunTransferPut(const std::string& file, const std::string& url, const std::string& user_name,
                    const std::string& password, bool passive, std::ostream& out,
                    TCliProgress* progress) {
  const auto result = progress ? progress->Window().Upload(url, file, passive, password, user_name)
                               : UploadFile(url, file, user_name, password, passive, {}, nullptr);
  if (progress) progress->Clear();
  out << TransferResultText(result) << '\n';
  return result == trNoError;
}

void SetupTransferCommands(CLI::App& root, CliContext& ctx) {
  auto* transfer = root.add_subcommand("transfer", "File transfers");
  transfer->require_subcommand(1);
  struct Args {
    std::string url, file, form, user, password;
    bool passive = false;
  };
  auto args = std::make_shared<Args>();
  auto* get = transfer->add_subcommand("get", "Download URL into FILE");
  get->add_option("URL", args->url)->required();
  get->add_option("FILE", args->file)->required();
  auto* form = get->add_option("--form", args->form, "A form-field line, sent as a form POST");
  get->add_flag("--passive", args->passive, "Passive FTP");
  get->callback([args, form, &ctx] {
    TCliProgress progress(ctx);
    if (!RunTransferGet(args->url, args->file, form->count() ? &args->form : nullptr, args->passive,
                        ctx.out, &progress))
      throw CliReportedFailure();
  });

  auto* put = transfer->add_subcommand("put", "Upload FILE to an ftp:// URL");
  put->add_option("FILE", args->file)->required();
  put->add_option("URL", args->url)->required();
  put->add_option("--user", args->user, "The user name (replaces the address's own)")
      ->type_name("NAME");
  put->add_option("--password", args->password, "The password (replaces the address's own)")
      ->type_name("PASS");
  put->add_flag("--passive", args->passive, "Passive FTP");
  put->callback([args, &ctx] {
    TCliProgress progress(ctx);
    if (!RunTransferPut(args->file, args->url, args->user, args->password, args->passive, ctx.out,
                        &progress))
      throw CliReportedFailure();
  });
}

}  // namespace quillora::cli
