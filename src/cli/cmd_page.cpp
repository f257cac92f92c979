#include "cli/cmd_page.h"

#include <memory>

#include <CLI/CLI.hpp>

#include "net/page_fetcher.h"

namespace quillora::cli {

bool RunPageGet(const TPageGetOptions& options, std::ostream& out, std::ostream& err) {
  TWIGetURL fetcher;
  fetcher.SetUrl(options.url);
  fetcher.headers = options.headers;
  fetcher.timeout = options.timeout;
  fetcher.port = options.port;
  bool received;
  if (options.post_data) {
    fetcher.post_data = *options.post_data;
    received = fetcher.Post();
  } else {
    received = fetcher.Get();
  }
  out << fetcher.ResponseText();
  out.flush();
  err << "status: " << fetcher.StatusMessage() << '\n'
      << "error: " << (fetcher.Error() ? 1 : 0) << '\n'
      << "bytes: " << fetcher.ByteCount() << '\n';
  return received;
}

void SetupPageCommands(CLI::App& root, CliContext& ctx) {
  auto* page = root.add_subcommand("page", "Single pages, fetched as the listing search does");
  page->require_subcommand(1);
  struct Args {
    TPageGetOptions options;
    std::string post;
  };
  auto args = std::make_shared<Args>();
  auto* get = page->add_subcommand("get", "Fetch URL, the body on stdout");
  get->add_option("URL", args->options.url)->required();
  auto* post = get->add_option("--post", args->post, "Send DATA as a POST")->type_name("DATA");
  get->add_option("--headers", args->options.headers, "Extra request header lines")
      ->type_name("TEXT");
  get->add_option("--timeout", args->options.timeout, "Time-out in seconds")->type_name("SECONDS");
  get->add_option("--port", args->options.port, "Server port in place of the address's own")
      ->type_name("N");
  get->callback([args, post, &ctx] {
    args->options.post_data = post->count() ? &args->post : nullptr;
    if (!RunPageGet(args->options, ctx.out, ctx.err)) throw CliReportedFailure();
  });
}

}  // namespace quillora::cli
