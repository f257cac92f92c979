#include "cli/cmd_pad.h"

#include <memory>
#include <ostream>

#include <CLI/CLI.hpp>

#include "foundation/app_state.h"
#include "foundation/files.h"
#include "net/transfers.h"
#include "pad/pad_check.h"
#include "pad/pad_exchange.h"
#include "pad/pad_validator.h"
#include "pad/pad_xml.h"
#include "pad/product_data.h"
#include "pad/profile.h"
#include "pad/records.h"

namespace quillora::cli {

namespace {

// The product named, or the active one, with its company.
std::pair<TCompany*, TProduct*> ProductAndCompany(const std::string& uin) {
  const std::string product_uin = uin.empty() ? ActiveProfile().ActiveProductUin : uin;
  TProduct* product = product_uin.empty() ? nullptr : ProductList().FindByUin(product_uin);
  if (!product)
    throw CliError(uin.empty() ? "no active product: choose one with 'product use UIN'"
                               : "no product with UIN " + uin);
  const std::string company_uin = product->GetString("Quillora/Company_UIN");
  TCompany* company = CompanyList().FindByUin(company_uin);
  if (!company)
    throw CliError("the company '" + company_uin + "' of product " + product->Uin() +
                   " does not exist");
  return {company, product};
}

std::string Download(const std::string& url, const std::string& file) {
  std::string address = url;
  const TTransferResult result = DownloadToFile(address, file, nullptr, {}, false, {});
  return result == trNoError ? std::string() : TransferResultText(result);
}

}  // namespace

void RunPadImport(const std::vector<std::string>& files, CliContext& ctx) {
  ctx.EnsureStarted();
  const TPadImportResult result = ImportPadFiles(files);
  if (!result.products_imported) throw CliReportedFailure();
  const TProduct* product = ProductList().FindByUin(result.last_product_uin);
  ctx.out << result.last_product_uin << '\t' << (product ? product->RecordName() : "") << '\t'
          << result.last_company_uin << '\n';
}

void RunPadExport(const std::string& out, const std::string& product_uin, CliContext& ctx) {
  ctx.EnsureStarted();
  auto [company, product] = ProductAndCompany(product_uin);
  if (!ExportPadFileTo(*company, *product, out)) throw CliReportedFailure();
}

void RunPadCheck(const std::string& download_dir, CliContext& ctx) {
  ctx.EnsureStarted();
  TProfile& profile = ActiveProfile();
  if (!profile.FindActiveProduct())
    throw CliError("no active product: choose one with 'product use UIN'");
  ForceDirectories(Folders().temp);
  TPadCheckHooks hooks;
  hooks.temp_folder = Folders().temp;
  hooks.download = Download;
  hooks.choose_download_file = [&](const std::string&, const std::string& proposed) {
    if (download_dir.empty()) return std::string();
    return IncludeTrailingPathDelimiter(download_dir) +
           (proposed.empty() ? std::string("download") : proposed);
  };
  hooks.on_line = [&](const TPadLogLine& line) {
    if (line.color == TPadLogColor::Notice) ctx.out << "notice: ";
    if (line.color == TPadLogColor::Error) ctx.out << "error: ";
    ctx.out << line.text << '\n';
    ctx.out.flush();
  };
  RunPadCheck(profile, Tables().name_space, hooks);
}

void RunPadValidate(const std::string& file, const std::string& version, CliContext& ctx) {
  ctx.EnsureStarted();
  TOptionsList values;
  if (!file.empty()) {
    if (ImportXml(file, values) != kXmlRead) throw CliReportedFailure();
  } else {
    auto [company, product] = ProductAndCompany({});
    const std::string temp = WriteTemporaryPadFile(*company, *product);
    if (temp.empty()) throw CliReportedFailure();
    const int read = ImportXml(temp, values);
    DeleteFileAt(temp);
    if (read != kXmlRead) throw CliReportedFailure();
  }
  TPadRules rules;
  try {
    rules.Load(Folders().data + "pad/");
  } catch (const std::exception& e) {
    throw CliError(std::string("cannot load the PAD rules: ") + e.what());
  }
  const auto problems =
      ValidatePad(values, version.empty() ? PadVersionOf(values) : version, rules);
  for (const TPadProblem& p : problems)
    ctx.out << p.path << '\t' << p.rule << '\t' << p.value << '\n';
  if (!problems.empty()) ctx.exit_status = 4;
}

void RunPadUpload(const PadUploadArgs& args, CliContext& ctx) {
  ctx.EnsureStarted();
  auto [company, product] = ProductAndCompany(args.product_uin);
  TPadUploadForm form;
  if (!PreparePadUpload(*product, form)) throw CliReportedFailure();
  if (args.user) form.user = *args.user;
  if (args.password) form.password = *args.password;
  form.save_password = !form.password.empty();
  form.passive = args.passive;
  const std::string file = WriteTemporaryPadFile(*company, *product);
  if (file.empty()) throw CliReportedFailure();
  auto upload = [](const std::string& url, const std::string& path, const std::string& user,
                   const std::string& password, bool passive) {
    const TTransferResult r = UploadFile(url, path, user, password, passive, {}, nullptr);
    return r == trNoError ? std::string() : TransferResultText(r);
  };
  const bool ok = UploadPadFileOnce(form, file, *product, upload, args.url);
  DeleteFileAt(file);
  if (!ok) throw CliReportedFailure();
}

void SetupPadCommands(CLI::App& root, CliContext& ctx) {
  auto* pad = root.add_subcommand("pad", "PAD files: import, export, check, validate, upload");
  pad->require_subcommand(1);

  auto files = std::make_shared<std::vector<std::string>>();
  auto* import =
      pad->add_subcommand("import", "Import PAD files into the company and product lists");
  import->add_option("FILE", *files, "PAD files")->required();
  import->callback([files, &ctx] { RunPadImport(*files, ctx);
});

struct Args {
  std::string out, product, download, file, version;
};
auto args = std::make_shared<Args>();
auto* exp =
    pad->add_subcommand("export", "Write a product (default: the active one) as a PAD file");
exp->add_option("--out", args->out, "The PAD file")->required()->type_name("FILE");
exp->add_option("--product", args->product, "The product's UIN")->type_name("UIN");
exp->callback([args, &ctx] { RunPadExport(args->out, args->product, ctx); });

auto* check = pad->add_subcommand("check", "Check the active profile's PAD values");
check->add_option("--download", args->download, "Fetch the main download into DIR")
    ->type_name("DIR");
check->callback([args, &ctx] { RunPadCheck(args->download, ctx); });

auto* validate = pad->add_subcommand(
    "validate", "Validate a PAD file (default: the active product as exported)");
validate->add_option("FILE", args->file, "The PAD file");
validate->add_option("--version", args->version, "The PAD version's rules")
    ->check(CLI::IsMember({"3.11", "4.0"}))
    ->type_name("3.11|4.0");
validate->callback([args, &ctx] { RunPadValidate(args->file, args->version, ctx); });

auto up = std::make_shared<PadUploadArgs>();
auto user = std::make_shared<std::string>(), password = std::make_shared<std::string>();
auto* upload = pad->add_subcommand("upload", "Export a product's PAD file and upload it by FTP");
upload->add_option("--product", up->product_uin, "The product's UIN")->type_name("UIN");
upload->add_option("--url", up->url, "The ftp:// address (default: from the PAD file address)")
    ->type_name("URL");
auto* user_opt = upload->add_option("--user", *user, "The FTP user name") -> type_name("NAME");
auto* pass_opt =
    upload->add_option("--password", *password, "The FTP password") -> type_name("PASS");
upload->add_flag("--passive", up->passive, "Passive FTP");
upload->callback([up, user, password, user_opt, pass_opt, &ctx] {
  PadUploadArgs a = *up;
  if (user_opt->count()) a.user = *user;
  if (pass_opt->count()) a.password = *password;
  RunPadUpload(a, ctx);
});
}  // namespace quillora::cli

}  // namespace quillora::cli
