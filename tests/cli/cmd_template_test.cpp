#include "cli/cmd_template.h"

#include <filesystem>
#include <sstream>

#include <CLI/CLI.hpp>
#include <gtest/gtest.h>

#include "foundation/codepage.h"
#include "foundation/option_list.h"
#include "foundation/stream.h"
#include "support/temp_dir.h"
#include "support/test_context.h"

namespace quillora::cli {
namespace {

using quillora::test::TempDir;

class TemplateCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSystemCodePage(1252);
    StringToFile(dir_ / "values.txt",
                 "Program_Info/Program_Name=Word Counter\r\n"
                 "Program_Info/Program_Version=2.1\r\n"
                 "Program_Info/Program_Type=Shareware\r\n"
                 "Umlaut=Z%C3%A4hler\r\n"
                 "German/Program_Info/Program_Name=Wortzaehler\r\n");
  }

  // Runs "template ..." through the parser as one run of the program (the start-up, when the
  // command needs it, on data_dir_ and user_dir_); returns the exit code as the program maps it.
  int Run(std::vector<std::string> args) {
    out_.str("");
    CLI::App root("quillora-cli");
    CliContext ctx{out_, err_};
    ctx.data_dir = data_dir_;
    ctx.user_dir = user_dir_;
    SetupTemplateCommands(root, ctx);
    std::vector<std::string> argv_storage = {"quillora-cli", "template"};
    argv_storage.insert(argv_storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argv_storage) argv.push_back(a.data());
    int status = 0;
    try {
      root.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::ParseError& e) {
      status = e.get_exit_code() == 0 ? 0 : 2;
    } catch (const CliError& e) {
      err_ << "error: " << e.what() << "\n";
      status = 1;
    }
    ctx.Finish();
    return status;
  }

  TempDir dir_;
  std::string data_dir_, user_dir_;
  std::ostringstream out_, err_;
};

TEST_F(TemplateCommandTest, Expand) {
  std::string values = dir_ / "values.txt";
  EXPECT_EQ(Run({"expand", "--values", values,
                 "|IF(Program_Info/Program_Type = 'shareware'){'pay'}ELSE{'free'}|"}),
            0);
  EXPECT_EQ(out_.str(), "pay\n");

  EXPECT_EQ(
      Run({"expand", "--values", values, "--prefix", "German/", "|Program_Info/Program_Name|"}), 0);
  EXPECT_EQ(out_.str(), "Wortzaehler\n");

  // Modes: ansi writes the code page, utf8 and wide write UTF-8.
  EXPECT_EQ(Run({"expand", "--values", values, "|Umlaut| |LENGTH(Umlaut)|"}), 0);
  EXPECT_EQ(out_.str(), "Z\xE4hler 7\n");
  EXPECT_EQ(Run({"expand", "--values", values, "--mode", "utf8", "|Umlaut| |LENGTH(Umlaut)|"}), 0);
  EXPECT_EQ(out_.str(), "Z\xC3\xA4hler 6\n");
  EXPECT_EQ(Run({"expand", "--values", values, "--mode", "wide", "|Umlaut|"}), 0);
  EXPECT_EQ(out_.str(), "Z\xC3\xA4hler\n");
  EXPECT_EQ(Run({"expand", "--values", values, "--mode", "latin", "x"}), 2);

  // MAKEFILE answers from --save-as; without it the dialog is cancelled.
  std::string saved = dir_ / "saved.txt";
  EXPECT_EQ(Run({"expand", "--values", values, "--save-as", saved,
                 "<|MAKEFILE('a','txt')|>|Program_Info/Program_Version|"}),
            0);
  EXPECT_EQ(out_.str(), "<" + saved + "\n");
  EXPECT_EQ(FileToString(saved), ">2.1\r\n");
  EXPECT_EQ(Run({"expand", "--values", values, "<|MAKEFILE('a','txt')|>"}), 0);
  EXPECT_EQ(out_.str(), "<\n");
}

TEST_F(TemplateCommandTest, ValuesSources) {
  EXPECT_EQ(Run({"expand", "--values", dir_ / "missing.txt", "|x|"}), 1);
  err_.str("");

  // Without --values the program starts and expands against its active profile...
  test::TestData data;
  data_dir_ = data.DataDir();
  user_dir_ = data.UserDir();
  EXPECT_EQ(Run({"expand", "<|Program_Info/Program_Name|>"}), 0);
  EXPECT_EQ(out_.str(), "<Sample Notes>\n");
  // ... which is still one when no company is active: it expands to empty values.
  std::filesystem::remove_all(data.DataDir() + "Companies/");
  std::filesystem::remove_all(data.DataDir() + "Products/");
  EXPECT_EQ(
      Run({"expand", "<|Program_Info/Program_Name|>|IF(Program_Info/Program_Name = ''){'none'}|"}),
      0);
  EXPECT_EQ(out_.str(), "<>none\n");
  EXPECT_EQ(err_.str(), "");
}

TEST_F(TemplateCommandTest, Templatize) {
  EXPECT_EQ(Run({"templatize", "--values", dir_ / "values.txt", "Word Counter 2.1 by Z\xE4hler"}),
            0);
  EXPECT_EQ(out_.str(), "|Program_Info/Program_Name| |Program_Info/Program_Version| by |Umlaut|\n");
  EXPECT_EQ(Run({"templatize", "text"}), 2);  // --values is required
}

}  // namespace
}  // namespace quillora::cli
