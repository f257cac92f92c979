#include "cli/cmd_records.h"

#include <cstdio>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "foundation/files.h"
#include "pad/product_data.h"
#include "pad/records.h"
#include "sites/site.h"
#include "support/test_context.h"

namespace quillora {
namespace {

// stdout of a shell command.
std::string Capture(const std::string& command) {
  std::string out;
  FILE* f = popen(command.c_str(), "r");
  if (!f) return out;
  char buffer[256];
  while (fgets(buffer, sizeof buffer, f)) out += buffer;
  pclose(f);
  return out;
}

class RecordCommandsTest : public ::testing::Test {
 protected:
  std::string DataDir() const { return data_.DataDir(); }
  std::string UserDir() const { return data_.UserDir(); }
  std::string SampleProductFile() const { return DataDir() + "Products/Sample_Notes.dat"; }

  // One command as one run of the program: start-up (the records loaded, no site list), the
  // command, shutdown.
  std::string Run(const std::function<void(cli::CliContext&)>& command) {
    std::ostringstream out, err;
    cli::CliContext ctx(out, err);
    ctx.data_dir = DataDir();
    ctx.user_dir = UserDir();
    ctx.load_sites = false;
    try {
      command(ctx);
    } catch (...) {
      ctx.Finish();
      throw;
    }
    ctx.Finish();
    return out.str();
  }
  std::string Status(const cli::StatusArgs& args) {
    return Run([&](cli::CliContext& ctx) { cli::RunStatus(args, ctx); });
  }

  test::TestData data_;
};

TEST_F(RecordCommandsTest, ListsAreTabSeparatedInListOrder) {
  EXPECT_EQ(Run(cli::RunCompanyList), "Sample_Company\tSample Company\n");
  EXPECT_EQ(Run(cli::RunProductList), "APP-Sample_Product\tSample Notes\t2.4.1\tSample_Company\n");
}

TEST_F(RecordCommandsTest, ProductUseMakesTheProductActive) {
  // A second product of the sample company, made the way the program saves records.
  std::string second = DataDir() + "Products/Second.dat";
  StringToFile(second,
               "[General]\r\nQuillora/Product_UIN=APP-2\r\nQuillora/Company_UIN=Sample_Company\r\n"
               "Program_Info/Program_Name=Second\r\nProgram_Info/Program_Version=0.5\r\n\r\n");
  EXPECT_EQ(Run([](cli::CliContext& ctx) { cli::RunProductUse("APP-2", ctx); }), "");
  // The choice is kept in the settings; status now works on the second product.
  cli::StatusArgs args;
  args.uin = "SITE-A";
  args.set_version_listed = true;
  EXPECT_EQ(Status(args), "SITE-A\tComplete\t0.5\t\t\n");
  TProduct p;
  ASSERT_TRUE(p.LoadRecordFile(second));
  EXPECT_EQ(p.VersionListed.GetString("SITE-A"), "0.5");
  EXPECT_EQ(p.GetString("Quillora/Search_String"), "Second");  // what Use writes back

  EXPECT_THROW(Run([](cli::CliContext& ctx) { cli::RunProductUse("APP-none", ctx); }),
               cli::CliError);
}

TEST_F(RecordCommandsTest, StatusTransitionsAreSavedWithTheProduct) {
  struct Step {
    const char* what;
    std::function<void(cli::StatusArgs&)> set;
    const char* expected;  // without the date submitted
  };
  const Step steps[] = {
      {"nothing yet", [](cli::StatusArgs&) {}, "SITE-A\tDefault\t\t"},
      {"submitted", [](cli::StatusArgs& a) { a.submitted = "2.4.1"; }, "SITE-A\tPending\t\t2.4.1"},
      {"listed as submitted", [](cli::StatusArgs& a) { a.set_listed_as_submitted = true; },
       "SITE-A\tComplete\t2.4.1\t2.4.1"},
      {"older version listed", [](cli::StatusArgs& a) { a.listed = "2.0"; },
       "SITE-A\tPending\t2.0\t2.4.1"},
      {"skipped", [](cli::StatusArgs& a) { a.override_name = "skipped"; },
       "SITE-A\tSkipped\t2.0\t2.4.1"},
      {"default does not force", [](cli::StatusArgs& a) { a.override_name = "Default"; },
       "SITE-A\tPending\t2.0\t2.4.1"},
      {"version listed", [](cli::StatusArgs& a) { a.set_version_listed = true; },
       "SITE-A\tComplete\t2.4.1\t2.4.1"},
      {"auto clears",
       [](cli::StatusArgs& a) {
         a.override_name = "Auto";
         a.submitted = "";
       },
       "SITE-A\tComplete\t2.4.1\t"},
  };
  for (const Step& step : steps) {
    cli::StatusArgs args;
    args.uin = "SITE-A";
    step.set(args);
    EXPECT_EQ(Status(args), std::string(step.expected) + "\t\n") << step.what;
  }
  TProduct p;
  ASSERT_TRUE(p.LoadRecordFile(SampleProductFile()));
  EXPECT_EQ(p.VersionListed.GetString("SITE-A"), "2.4.1");
  EXPECT_FALSE(p.StatusOverride.HasKey("SITE-A"));

  cli::StatusArgs bad;
  bad.uin = "SITE-A";
  bad.override_name = "Finished";
  EXPECT_THROW(Status(bad), cli::CliError);
}

// Two copies of the program changing different sites of one product at the same time, round
// after round: every change survives.
TEST_F(RecordCommandsTest, TwoProcessesChangingOneProductLoseNothing) {
  const int kRounds = 50;
  auto work = [&](const char* prefix) {
    for (int i = 1; i <= kRounds; ++i) {
      cli::StatusArgs args;
      args.uin = std::string(prefix) + std::to_string(i);
      args.submitted = std::to_string(i);
      try {
        Status(args);
      } catch (...) {
        return 1;
      }
    }
    return 0;
  };
  const char* prefixes[2] = {"SITE-A-", "SITE-B-"};
  pid_t children[2];
  for (int c = 0; c < 2; ++c) {
    children[c] = fork();
    ASSERT_GE(children[c], 0);
    if (children[c] == 0) _exit(work(prefixes[c]));
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  TProduct p;
  ASSERT_TRUE(p.LoadRecordFile(SampleProductFile()));
  for (const char* prefix : prefixes)
    for (int i = 1; i <= kRounds; ++i)
      EXPECT_EQ(p.VersionSubmitted.GetString(prefix + std::to_string(i)), std::to_string(i))
          << prefix << i;
  EXPECT_EQ(p.GetString("Program_Info/Program_Name"), "Sample Notes");
}

// The same with the real program, two at a time, checking after every round.
TEST_F(RecordCommandsTest, TwoCliProcessesInParallelLoseNothing) {
  std::string base = std::string(QUILLORA_CLI_PATH) + " --data-dir " + DataDir() + " --user-dir " +
                     UserDir() + " ";
  if (Capture(base + "status --help 2>&1").find("--set-version-listed") == std::string::npos)
    GTEST_SKIP() << "quillora-cli has no status command";
  // The two sites, for a program that checks site UINs against its site list.
  ASSERT_TRUE(ForceDirectories(DataDir() + "Sites/"));
  for (const char* uin : {"SITE-A", "SITE-B"}) {
    TWebSite site;
    site.Info.CommonInfo().SetString("UIN", uin);
    site.Info.CommonInfo().SetString("Name", uin);
    ASSERT_TRUE(site.SaveSiteFile(DataDir() + "Sites/" + uin + ".wsd", false));
  }
  const int kRounds = 50;
  for (int i = 1; i <= kRounds; ++i) {
    std::string round = std::to_string(i);
    std::string cmd = "(" + base + "status SITE-A --submitted A" + round + " >/dev/null 2>>" +
                      data_.Dir() / "a.err" + " & " + base + "status SITE-B --listed B" + round +
                      " >/dev/null 2>>" + data_.Dir() / "b.err" + " & wait)";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    TProduct p;
    ASSERT_TRUE(p.LoadRecordFile(SampleProductFile()));
    ASSERT_EQ(p.VersionSubmitted.GetString("SITE-A"), "A" + round) << "round " << i;
    ASSERT_EQ(p.VersionListed.GetString("SITE-B"), "B" + round) << "round " << i;
  }
  EXPECT_EQ(Capture(base + "status SITE-A"), "SITE-A\tDefault\t\tA50\t\n");
}

}  // namespace
}  // namespace quillora
