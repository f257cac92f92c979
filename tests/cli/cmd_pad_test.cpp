// The pad commands through the whole command line: export, validate (exit statuses), import of
// what was exported, and the check's coloured lines as prefixes.
#include "cli/cmd_pad.h"

#include <sstream>

#include <gtest/gtest.h>

#include "cli/cli_app.h"
#include "foundation/stream.h"
#include "support/temp_dir.h"
#include "support/test_context.h"

namespace quillora {
namespace {

class PadCommandsTest : public ::testing::Test {
 protected:
  int Run(std::vector<std::string> args) {
    std::vector<std::string> full = {"--data-dir", data_.DataDir(), "--user-dir", data_.UserDir()};
    full.insert(full.end(), args.begin(), args.end());
    std::istringstream in;
    std::ostringstream out, err;
    const int status = cli::RunCli(full, in, out, err);
    out_ = out.str();
    err_ = err.str();
    return status;
  }

  test::TestData data_;
  test::TempDir dir_;
  std::string out_, err_;
};

TEST_F(PadCommandsTest, ExportValidateAndImport) {
  const std::string file = dir_ / "notes.xml";
  ASSERT_EQ(Run({"pad", "export", "--out", file}), 0) << err_;
  // The sample names operating systems that PAD 3.11 no longer lists.
  EXPECT_EQ(Run({"pad", "validate", file}), 4);
  EXPECT_EQ(out_,
            "Program_Info/Program_OS_Support\tenum Program_OS_Support\tWin98,WinXP,Windows2000,"
            "Windows2003,Linux,Linux Gnome,Mac OS X,Java\n");
  EXPECT_EQ(Run({"pad", "validate"}), 4);  // the active product as exported: the same
  std::string text = FileToString(file);
  text.replace(text.find("Win98,WinXP,Windows2000,Windows2003,"), 36, "WinXP,");
  StringToFile(file, text);
  EXPECT_EQ(Run({"pad", "validate", file, "--version", "3.11"}), 0) << out_;
  EXPECT_EQ(out_, "");
  EXPECT_EQ(Run({"pad", "validate", dir_ / "missing.xml"}), 1);
  EXPECT_EQ(Run({"pad", "validate", file, "--version", "5"}), 2);

  // Importing the file back: the sample company's UIN is shared, so the company question comes
  // first; --yes answers every question.
  EXPECT_EQ(Run({"--yes", "pad", "import", file}), 0) << err_;
  EXPECT_EQ(out_.substr(out_.find('\t')), "\tSample Notes\t" + out_.substr(out_.rfind('\t') + 1));
  EXPECT_EQ(Run({"pad", "import", test::FixturePath("pad/malformed.xml")}), 1);
  EXPECT_NE(err_.find("error: Cannot import from "), std::string::npos) << err_;
}

TEST_F(PadCommandsTest, CheckPrintsNoticesAndErrorsAsPrefixes) {
  // The sample's pages live on the demo server; here every address points at a closed port.
  auto rewrite = [](const std::string& file, const std::string& from, const std::string& to) {
    std::string text = FileToString(file);
    for (size_t at; (at = text.find(from)) != std::string::npos;) text.replace(at, from.size(), to);
    StringToFile(file, text);
  };
  const std::string company = data_.DataDir() + "Companies/Sample_Company.dat";
  rewrite(company, "sample-company.localhost:8765", "127.0.0.1:1");
  rewrite(company, "Address_2=Suite 7", "Address_2=");
  rewrite(data_.DataDir() + "Products/Sample_Notes.dat", "sample-company.localhost:8765",
          "127.0.0.1:1");
  ASSERT_EQ(Run({"pad", "check"}), 0) << err_;
  EXPECT_NE(out_.find("\nChecking Company_Info/Company_Name... OK\n"), std::string::npos) << out_;
  EXPECT_NE(out_.find("\nnotice: Checking Company_Info/Address_2... Empty\n"), std::string::npos)
      << out_;
  EXPECT_NE(out_.find("\nerror: Checking Company_Info/Company_WebSite_URL... "), std::string::npos)
      << out_;
  EXPECT_EQ(out_.find("Affiliates_FORM"), std::string::npos);
}

}  // namespace
}  // namespace quillora
