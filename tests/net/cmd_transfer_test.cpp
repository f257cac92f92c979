#include "cli/cmd_transfer.h"

#include <sstream>

#include <gtest/gtest.h>

#include "cli/progress_bar.h"
#include "foundation/files.h"
#include "foundation/stream.h"
#include "support/fault_server.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace quillora {
namespace {

TEST(TransferGetCommand, PrintsTheResultTextAndTheFinalAddress) {
  test::ScriptedUI ui;
  test::FaultServer server;
  test::TempDir dir;
  std::ostringstream out;
  EXPECT_TRUE(cli::RunTransferGet(server.Url("/redirect"), dir / "got.txt", nullptr, false, out));
  EXPECT_EQ(out.str(), "No error\n" + server.Url("/ok") + "\n");
  EXPECT_EQ(FileToString(dir / "got.txt"), "Hello, transfer!");

  out.str("");
  const std::string form = "product=Quill Pad";
  EXPECT_TRUE(cli::RunTransferGet(server.Url("/echo"), dir / "posted.txt", &form, false, out));
  EXPECT_EQ(server.LastBody(), "product=Quill Pad\r\n");

  out.str("");
  EXPECT_FALSE(cli::RunTransferGet(server.Url("/status/404"), dir / "x.txt", nullptr, false, out));
  EXPECT_EQ(out.str(), "File not found\n" + server.Url("/status/404") + "\n");
  EXPECT_FALSE(FileExists(dir / "x.txt"));
}

TEST(TransferGetCommand, ProgressGoesToStderrAndLeavesStdoutAsItWas) {
  test::ScriptedUI ui;
  test::FaultServer server;
  test::TempDir dir;
  for (const auto style :
       {cli::TProgressStyle::Quiet, cli::TProgressStyle::Lines, cli::TProgressStyle::Bar}) {
    std::ostringstream out, err;
    {
      cli::TCliProgress progress(err, style, 80);
      EXPECT_TRUE(cli::RunTransferGet(server.Url("/redirect"), dir / "got.txt", nullptr, false, out,
                                      &progress));
      EXPECT_FALSE(cli::RunTransferGet(server.Url("/status/404"), dir / "x.txt", nullptr, false,
                                       out, &progress));
    }
    EXPECT_EQ(out.str(), "No error\n" + server.Url("/ok") + "\nFile not found\n" +
                             server.Url("/status/404") + "\n");
    EXPECT_EQ(FileToString(dir / "got.txt"), "Hello, transfer!");
    const std::string shown = err.str();
    switch (style) {
      case cli::TProgressStyle::Quiet:
        EXPECT_EQ(shown, "");
        break;
      case cli::TProgressStyle::Lines:
        EXPECT_EQ(shown, "Download " + server.Url("/redirect") + " -> " + (dir / "got.txt") +
                             ": No error\nDownload " + server.Url("/status/404") + " -> " +
                             (dir / "x.txt") + ": File not found\n");
        break;
      case cli::TProgressStyle::Bar:
        // Drawn and wiped: the terminal is left with an empty line.
        EXPECT_NE(shown.find("\rDownload "), std::string::npos);
        EXPECT_EQ(shown.find('\n'), std::string::npos);
        EXPECT_EQ(shown.back(), '\r');
        break;
    }
  }
}

}  // namespace
}  // namespace quillora
