#include "cli/cmd_site.h"

#include <sstream>

#include <CLI/CLI.hpp>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli/cmd_lzh.h"
#include "foundation/files.h"
#include "foundation/lzh.h"
#include "foundation/stream.h"
#include "sites/cover.h"
#include "sites/site_file.h"
#include "support/temp_dir.h"

namespace quillora {
namespace {

using test::FixturePath;
using test::TempDir;

std::string Dump(const std::string& file, const std::string& cover_out = {}) {
  std::ostringstream out;
  cli::RunSiteDump(file, cover_out, out);
  return out.str();
}

// Runs the commands the way the program's command line does.
int RunCommand(std::vector<std::string> args, std::string& out) {
  std::ostringstream o, e;
  cli::CliContext ctx{o, e};
  CLI::App app;
  cli::SetupLzhCommands(app, ctx);
  cli::SetupSiteCommands(app, ctx);
  std::reverse(args.begin(), args.end());
  try {
    app.parse(args);
  } catch (const cli::CliError& error) {
    out = error.what();
    return 1;
  }
  out = o.str();
  return 0;
}

TEST(CmdSiteTest, BuildOfTheTypicalJsonGivesTheFixtureByteForByte) {
  TempDir tmp;
  cli::RunSiteBuild(FixturePath("sites/typical.json"), tmp / "built.wsd");
  EXPECT_EQ(FileToString(tmp / "built.wsd"), FileToString(FixturePath("sites/typical.wsd")));
}

TEST(CmdSiteTest, DumpBuildDumpRoundTripsWithCoverAndForms) {
  TempDir tmp;
  const std::string first = Dump(FixturePath("sites/old_2_0.wsd"), tmp / "cover.jpg");
  nlohmann::ordered_json doc = nlohmann::ordered_json::parse(first);
  std::vector<std::string> keys;
  for (auto it = doc.begin(); it != doc.end(); ++it) keys.push_back(it.key());
  EXPECT_EQ(keys, (std::vector<std::string>{"signature", "protected", "header_tail_hex",
                                            "cover_size", "urls", "options", "forms"}));
  EXPECT_EQ(doc["signature"], "WSD 2.0");
  EXPECT_EQ(doc["forms"].size(), 2u);
  EXPECT_EQ(doc["forms"][0]["fields"][2][1],
            (nlohmann::ordered_json::array({"Field Name", "pwd"})));
  EXPECT_EQ(FileToString(tmp / "cover.jpg"), FileToString(FixturePath("sites/cover.jpg")));

  doc["cover_file"] = "cover.jpg";  // relative to the JSON file
  StringToFile(tmp / "site.json", doc.dump(1));
  std::string out;
  ASSERT_EQ(RunCommand({"site", "build", tmp / "site.json", tmp / "site.wsd"}, out), 0) << out;
  ASSERT_EQ(RunCommand({"site", "dump", tmp / "site.wsd"}, out), 0) << out;
  nlohmann::ordered_json second = nlohmann::ordered_json::parse(out);
  EXPECT_EQ(second["signature"], "WSD 2.1");
  doc.erase("cover_file");
  second["signature"] = "WSD 2.0";
  EXPECT_EQ(second, doc);

  TWebSite site;
  TMemoryStream stream(FileToString(tmp / "site.wsd"));
  site.LoadFromStream(stream);
  EXPECT_EQ(site.CoverBytes(), FileToString(FixturePath("sites/cover.jpg")));
}

TEST(CmdSiteTest, BytesThatAreNotUtf8AreEscapedAndComeBack) {
  TempDir tmp;
  TSiteFileParts parts;
  parts.cover = DefaultCoverJpeg();
  parts.option_text = "[Common info]\r\nName=Caf\xE9\r\n\r\n";                   // a code-page byte
  parts.address_text = "[Home]\r\nAddress=http://caf\xC3\xA9.example/\r\n\r\n";  // UTF-8
  TFormsList forms;
  TWebForm& form = forms.AddForm();
  form.FormName = "\xFF\x80";
  TFormField& field = form.AddField();
  field.SetFieldValue("na\xEFve");
  TMemoryStream file;
  WriteSiteFileParts(file, parts, forms);
  StringToFile(tmp / "a.wsd", file.Data());

  const std::string json = Dump(tmp / "a.wsd");
  EXPECT_NE(json.find("Name=Caf\\u00e9\\r\\n"), std::string::npos) << json;
  EXPECT_NE(json.find("http://caf\xC3\xA9.example/"), std::string::npos);
  EXPECT_NE(json.find("\"name\": \"\\u00ff\\u0080\""), std::string::npos);
  EXPECT_NE(json.find("\"na\\u00efve\""), std::string::npos);

  StringToFile(tmp / "a.json", json);
  cli::RunSiteBuild(tmp / "a.json", tmp / "b.wsd");
  TSiteFileParts back;
  TFormsList back_forms;
  TMemoryStream in(FileToString(tmp / "b.wsd"));
  ASSERT_TRUE(ReadSiteFileParts(in, back, &back_forms));
  EXPECT_EQ(back.option_text, parts.option_text);
  EXPECT_EQ(back.address_text, parts.address_text);
  EXPECT_EQ(back_forms.FormAt(0)->FormName, "\xFF\x80");
  EXPECT_EQ(back_forms.FormAt(0)->FieldAt(0).FieldValue(), "na\xEFve");
  EXPECT_EQ(Dump(tmp / "b.wsd"), json);
}

TEST(CmdSiteTest, NotASiteFileAndDamagedFilesFail) {
  std::string out;
  EXPECT_EQ(RunCommand({"site", "dump", FixturePath("sites/unknown_3_0.wsd")}, out), 1);
  EXPECT_NE(out.find("is not a site file"), std::string::npos) << out;
  EXPECT_EQ(RunCommand({"site", "dump", FixturePath("sites/damaged_2_0.wsd")}, out), 1);
  EXPECT_NE(out.find("Cannot load site from"), std::string::npos) << out;
  TempDir tmp;
  StringToFile(tmp / "bad.json", "{\"forms\": [{\"fields\": [[[\"a\"]]]}]}");
  EXPECT_EQ(RunCommand({"site", "build", tmp / "bad.json", tmp / "x.wsd"}, out), 1);
  EXPECT_FALSE(FileExists(tmp / "x.wsd"));
}

TEST(CmdSiteTest, LzhCommandsRoundTrip) {
  TempDir tmp;
  const std::string input = FileToString(FixturePath("sites/typical.json"));
  StringToFile(tmp / "in.txt", input);
  std::string out;
  ASSERT_EQ(RunCommand({"lzh", "compress", tmp / "in.txt", tmp / "c.lzh"}, out), 0);
  EXPECT_EQ(FileToString(tmp / "c.lzh"), LzhCompress(input));
  ASSERT_EQ(RunCommand({"lzh", "decompress", tmp / "c.lzh", tmp / "d.txt"}, out), 0);
  EXPECT_EQ(FileToString(tmp / "d.txt"), input);
  StringToFile(tmp / "hostile.lzh", std::string("\xF0\xFF\xFF\x7F", 4) + "abc");
  EXPECT_EQ(RunCommand({"lzh", "decompress", tmp / "hostile.lzh", tmp / "e.txt"}, out), 1);
  EXPECT_FALSE(FileExists(tmp / "e.txt"));
}

}  // namespace
}  // namespace quillora
