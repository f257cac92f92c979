#include "cli/cmd_transfer.h"

#include <sstream>

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace quillora
