#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "cli/cli_app.h"
#include "foundation/files.h"
#include "foundation/option_list.h"
#include "support/test_context.h"

namespace quillora {
namespace {

struct CliRun {
  int status;
  std::string out, err;
};

class CliTest : public ::testing::Test {
 protected:
  std::string data_dir() const { return data_.DataDir(); }
  std::string user_dir() const { return data_.UserDir(); }

  CliRun Cli(std::vector<std::string> args) {
    std::vector<std::string> full = {"--data-dir", data_dir(), "--user-dir", user_dir()};
    full.insert(full.end(), args.begin(), args.end());
    std::istringstream in;
    std::ostringstream out, err;
    int status = cli::RunCli(full, in, out, err);
    return {status, out.str(), err.str()};
  }

  test::TestData data_;
};

TEST_F(CliTest, SettingsListOnFirstStartPrintsAndSavesTheDefaults) {
  CliRun r = Cli({"settings", "list"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Sites List Sort=-1\n"), std::string::npos);
  EXPECT_NE(r.out.find("BgColor ER=FDE6E6\n"), std::string::npos);
  TOptionsList saved;
  saved.LoadFromTextFile(user_dir() + "data/config.dat");
  EXPECT_EQ(saved.GetString("BgColor ER"), "FDE6E6");
}

TEST_F(CliTest, SettingsSetAndGetUnescaped) {
  ASSERT_EQ(Cli({"settings", "set", "My Key", "50% off\tnow"}).status, 0);
  CliRun r = Cli({"settings", "get", "my key"});
  EXPECT_EQ(r.out, "50% off\tnow\n");
  EXPECT_NE(Cli({"settings", "list"}).out.find("My Key=50%25 off%09now\n"), std::string::npos);
}

TEST_F(CliTest, MissingRequiredTableExitsWithItsMessage) {
  DeleteFileAt(data_dir() + "NameSpace.dat");
  CliRun r = Cli({"settings", "list"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "error: Cannot load " + data_dir() + "NameSpace.dat\nExiting.\n");
  EXPECT_EQ(r.out, "");
  EXPECT_FALSE(FileExists(user_dir() + "data/config.dat"));
}

// Without --values the expansion runs against the active profile, and an empty profile (no
// company active) is still one: it expands to empty values.
TEST_F(CliTest, TemplateExpandUsesTheActiveProfileEvenWhenEmpty) {
  CliRun r = Cli({"template", "expand", "<|Program_Info/Program_Name|>"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "<Sample Notes>\n");
  std::filesystem::remove_all(data_dir() + "Companies/");
  std::filesystem::remove_all(data_dir() + "Products/");
  r = Cli({"template", "expand", "<|Program_Info/Program_Name|>"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "<>\n");
  EXPECT_EQ(r.err, "");
}

TEST_F(CliTest, UsageErrorsAndVersion) {
  EXPECT_EQ(Cli({"no-such-command"}).status, 2);
  EXPECT_EQ(Cli({"settings", "get"}).status, 2);
  CliRun v = Cli({"--version"});
  EXPECT_EQ(v.status, 0);
  EXPECT_EQ(v.out,
            std::string("quillora-cli ") + QUILLORA_VERSION + " (build " + QUILLORA_BUILD + ")\n");
}

// The real binary, as scripts use it.
TEST_F(CliTest, BinaryRunsOnTheShippedDataCopy) {
  std::string cmd = std::string(QUILLORA_CLI_PATH) + " --data-dir " + data_dir() + " --user-dir " +
                    user_dir() + " settings get \"Filter Status\" 2>&1";
  FILE* p = popen(cmd.c_str(), "r");
  ASSERT_NE(p, nullptr);
  char buf[256] = {};
  size_t n = fread(buf, 1, sizeof buf - 1, p);
  int status = pclose(p);
  EXPECT_EQ(std::string(buf, n), "ALL\n");
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace quillora
