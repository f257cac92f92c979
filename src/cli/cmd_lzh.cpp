#include "cli/cmd_lzh.h"

#include <memory>

#include <CLI/CLI.hpp>

#include "foundation/lzh.h"
#include "foundation/stream.h"

namespace quillora::cli {

namespace {

template <class Fn>
void Transform(const std::string& in, const std::string& out, Fn fn) {
  std::string result;
  try {
    result = fn(FileToString(in));
  } catch (const std::exception& e) {
    throw CliError(std::string(e.what()) + " (" + in + ")");
  }
  try {
    StringToFile(out, result);
  } catch (const std::exception& e) {
    throw CliError(e.what());
  }
}

}  // namespace

void RunLzhCompress(const std::string& in, const std::string& out) {
  Transform(in, out, [](const std::string& data) { return LzhCompress(data); });
}

void RunLzhDecompress(const std::string& in, const std::string& out) {
  Transform(in, out, [](const std::string& data) { return LzhDecompress(data); });
}

void SetupLzhCommands(CLI::App& root, CliContext& ctx) {
  (void)ctx;
  auto* lzh = root.add_subcommand("lzh", "The site files' LZH coder (four-byte length header)");
  lzh->require_subcommand(1);
  auto in = std::make_shared<std::string>();
  auto out = std::make_shared<std::string>();
  auto* compress = lzh->add_subcommand("compress", "Compress IN into OUT");
  compress->add_option("IN", *in)->required();
  compress->add_option("OUT", *out)->required();
  compress->callback([in, out] { RunLzhCompress(*in, *out); });
  auto* decompress = lzh->add_subcommand("decompress", "Decompress IN into OUT");
  decompress->add_option("IN", *in)->required();
  decompress->add_option("OUT", *out)->required();
  decompress->callback([in, out] { RunLzhDecompress(*in, *out); });
}

}  // namespace quillora::cli
