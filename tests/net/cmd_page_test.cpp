#include "cli/cmd_page.h"

#include <sstream>

#include <gtest/gtest.h>

#include "support/fault_server.h"

namespace quillora {
namespace {

TEST(PageGetCommand, WritesTheBodyAndTheOutcomeLines) {
  test::FaultServer server;
  std::ostringstream out, err;
  cli::TPageGetOptions options;
  options.url = server.Url("/ok");
  EXPECT_TRUE(cli::RunPageGet(options, out, err));
  EXPECT_EQ(out.str(), "Hello, transfer!");
  EXPECT_EQ(err.str(), "status: Success\nerror: 0\nbytes: 16\n");

  out.str("");
  err.str("");
  const std::string data = "q=quill";
  options.url = server.Url("/echo");
  options.post_data = &data;
  options.headers = "X-Search: yes";
  EXPECT_TRUE(cli::RunPageGet(options, out, err));
  EXPECT_EQ(out.str(), "posted");
  EXPECT_EQ(err.str(), "status: \nerror: 0\nbytes: 6\n");
  EXPECT_EQ(server.LastBody(), "q=quill");
  EXPECT_EQ(server.LastHeader("X-Search"), "yes");

  out.str("");
  err.str("");
  options = {};
  options.url = server.Url("/status/404");
  EXPECT_FALSE(cli::RunPageGet(options, out, err));
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str(), "status: Not Found\nerror: 1\nbytes: 0\n");
}

}  // namespace
}  // namespace quillora
