#include "sites/site_file.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "foundation/encoding.h"
#include "foundation/files.h"
#include "foundation/lzh.h"
#include "foundation/stream.h"
#include "sites_fakes.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace quillora {
namespace {

using test::FakeSiteOwner;
using test::FixturePath;
using test::ScriptedUI;
using test::TempDir;

std::string Fixture(const std::string& name) {
  return FileToString(FixturePath("sites/" + name));
}

int32_t Int32At(const std::string& bytes, size_t at) {
  TMemoryStream s(bytes.substr(at, 4));
  return ReadInt32(s);
}

class SiteFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TWebSite::load_attempts = 2;
    TWebSite::load_retry_delay_ms = 1;
  }
  void TearDown() override {
    TWebSite::load_attempts = 6;
    TWebSite::load_retry_delay_ms = 400;
  }
  std::string Copy(const std::string& fixture) {
    const std::string path = tmp_ / fixture;
    StringToFile(path, Fixture(fixture));
    return path;
  }
  ScriptedUI ui_;
  TempDir tmp_;
};

TEST_F(SiteFileTest, NewSiteSavedAndLoadedKeepsItsDefaults) {
  TWebSite site;
  const std::string path = tmp_ / "new.wsd";
  ASSERT_TRUE(site.SaveSiteFile(path, false));
  EXPECT_FALSE(FileExists(TempSaveName(path)));
  EXPECT_TRUE(site.FileName.empty());  // a named save leaves the site's own file alone

  const std::string bytes = FileToString(path);
  ASSERT_GT(bytes.size(), 80u);
  EXPECT_EQ(bytes.substr(0, 8), std::string("\x07WSD 2.1", 8));
  EXPECT_EQ(bytes.substr(8, 64), std::string(64, '\0'));
  EXPECT_EQ(Int32At(bytes, 72), static_cast<int32_t>(DefaultCoverJpeg().size()));
  EXPECT_EQ(bytes.substr(76, DefaultCoverJpeg().size()), DefaultCoverJpeg());

  TWebSite loaded;
  ASSERT_EQ(loaded.LoadSiteFile(path), slLoaded);
  EXPECT_EQ(loaded.UIN(), site.UIN());
  EXPECT_EQ(loaded.Protected, 1);
  EXPECT_EQ(loaded.CoverBytes(), DefaultCoverJpeg());
  EXPECT_EQ(loaded.Forms().Count(), 0);
  const std::string modified = loaded.Info.Value("Common info", "Last modified");
  TDateTime t;
  EXPECT_TRUE(TryStrToDateTime(modified, t)) << modified;
  EXPECT_EQ(loaded.Info.OptionText(),
            "[Popup messages]\r\n\r\n[Common info]\r\nUIN=" + site.UIN() +
                "\r\nCategory 1=Shareware\r\nLanguage=English\r\nDisabled=FALSE\r\nLast modified=" +
                modified +
                "\r\n\r\n[SearchOptions]\r\nAutoSearch=TRUE\r\n\r\n[AdvancedOptions]\r\nNew window "
                "processing=2\r\n\r\n");
  EXPECT_EQ(loaded.Info.AddressText(),
            "[Home]\r\n\r\n[Search]\r\n\r\n[Submit]\r\n\r\n[Update]\r\n\r\n");
  EXPECT_TRUE(ui_.Events().empty());
}

TEST_F(SiteFileTest, KeepModifiedLeavesTheDateAlone) {
  TWebSite site;
  site.Info.CommonInfo().SetString("Last modified", "01-02-2003 04:05:06");
  ASSERT_TRUE(site.SaveSiteFile(tmp_ / "a.wsd", true));
  TWebSite loaded;
  ASSERT_EQ(loaded.LoadSiteFile(tmp_ / "a.wsd"), slLoaded);
  EXPECT_EQ(loaded.Info.Value("Common info", "Last modified"), "01-02-2003 04:05:06");
}

TEST_F(SiteFileTest, TypicalFixtureLoads) {
  TWebSite site;
  ASSERT_EQ(site.LoadSiteFile(FixturePath("sites/typical.wsd")), slLoaded);
  EXPECT_EQ(site.Name(), "Demo Downloads");
  EXPECT_EQ(site.Info.URLs.Search().Kind(), TURLKind::GET);
  ASSERT_EQ(site.Forms().Count(), 2);
  EXPECT_EQ(site.Forms().FormAt(0)->FieldCount(), 15);
  EXPECT_EQ(site.Forms().FormAt(1)->Purpose, fpLogin);
  TWebForm& form = *site.Forms().FormAt(0);
  const std::string stored = form.Fingerprint;
  form.UpdateFingerprint();
  EXPECT_EQ(form.Fingerprint, stored);
  EXPECT_EQ(site.CoverBytes(), Fixture("cover.jpg"));
}

// A loaded site keeps its forms block unparsed until the forms are asked for; saving it in that
// state writes what saving the parsed forms writes, and damage in the block still fails the load.
TEST_F(SiteFileTest, StoredFormsAreParsedOnFirstUse) {
  const std::string path = FixturePath("sites/typical.wsd");
  TWebSite packed, parsed;
  ASSERT_EQ(packed.LoadSiteFile(path), slLoaded);
  ASSERT_EQ(parsed.LoadSiteFile(path), slLoaded);
  EXPECT_FALSE(packed.FormsParsed());
  EXPECT_EQ(parsed.Forms().Count(), 2);
  EXPECT_TRUE(parsed.FormsParsed());
  TMemoryStream a, b;
  packed.SaveToStream(a);
  parsed.SaveToStream(b);
  EXPECT_EQ(a.Data(), b.Data());
  EXPECT_FALSE(packed.FormsParsed());

  // One stored form whose binary part ends after the form's name, and the same form complete.
  const auto site_file = [](bool complete) {
    TMemoryStream texts, info, form, forms, body, file, empty;
    WriteBlob(info, texts);
    WriteBlob(info, texts);
    WriteShortStr(form, "login");
    if (complete) {
      WriteShortStr(form, "/go");
      form.Write("\x01", 1);  // method
      for (const char* text : {"http://a.example/", "", "", "FNG2.0-"}) WriteShortStr(form, text);
      form.Write("\x02", 1);  // purpose
      WriteSizedDouble(form, 1);
      WriteSizedDouble(form, 2);
      WriteStringToStream(form, "[user]\r\nField Type=Text\r\n\r\n");
    }
    WriteSizedInt(forms, 1);
    WriteBlob(forms, form);
    WriteBlob(body, info);
    WriteBlob(body, forms);
    body.Write("\x01", 1);
    std::array<uint8_t, kSiteHeaderSize> header{};
    TWebSite::PutSignature(header, kSiteSignature);
    file.Write(header.data(), header.size());
    WriteBlob(file, empty);
    body.Rewind();
    TLZHCompressor().Compress(body, file);
    return file.Data();
  };
  StringToFile(tmp_ / "complete.wsd", site_file(true));
  TWebSite whole;
  ASSERT_EQ(whole.LoadSiteFile(tmp_ / "complete.wsd"), slLoaded);
  ASSERT_EQ(whole.Forms().Count(), 1);
  EXPECT_EQ(whole.Forms().FormAt(0)->Action, "/go");
  EXPECT_EQ(whole.Forms().FormAt(0)->Purpose, fpLogin);
  EXPECT_EQ(whole.Forms().FormAt(0)->FieldAt(0).Name, "user");

  StringToFile(tmp_ / "cut.wsd", site_file(false));
  TWebSite cut;
  EXPECT_EQ(cut.LoadSiteFile(tmp_ / "cut.wsd"), slUnreadable);
  EXPECT_EQ(cut.Forms().Count(), 0);
}

// Old files load, are brought up to date and are rewritten at once in the current layout.
TEST_F(SiteFileTest, OldSignaturesAreRewrittenAsCurrent) {
  for (const char* name : {"old_2_0.wsd", "old_1_0.wsd"}) {
    SCOPED_TRACE(name);
    const std::string path = Copy(name);
    TWebSite site;
    ASSERT_EQ(site.LoadSiteFile(path), slLoaded);
    EXPECT_TRUE(ui_.Events().empty());

    const std::string bytes = FileToString(path);
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x07WSD 2.1", 8));
    std::string tail;
    for (int i = 0; i < 64; ++i) tail += static_cast<char>(i);
    EXPECT_EQ(bytes.substr(8, 64), tail);  // the header tail is kept as it was read
    EXPECT_FALSE(site.Info.Value("Common info", "Last modified").empty());

    TOptionsList& common = site.Info.CommonInfo();
    EXPECT_EQ(common.GetString("Category 1"), "Games,Arcade");
    EXPECT_EQ(common.GetString("Last contributed"), "02-05-2003 11:12:13");
    EXPECT_EQ(site.Info.PopupMessages().GetString("Submit"), "Use the form\r\nat the bottom");
    EXPECT_EQ(common.GetString("Comments"), "Hello\r\n\r\nBye\r\n");
    EXPECT_EQ(site.Info.SearchOptions().GetString("AutoSearch"), "TRUE");
    EXPECT_EQ(site.Info.SearchOptions().GetString("Disable scripts"), "");
    EXPECT_EQ(site.Info.AdvancedOptions().GetString("Disable scripts"), "TRUE");
    EXPECT_EQ(site.Protected, 0);
    EXPECT_EQ(site.CoverBytes(), Fixture("cover.jpg"));

    ASSERT_EQ(site.Forms().Count(), 2);
    TWebForm& first = *site.Forms().FormAt(0);
    EXPECT_EQ(first.FormName, "signin");
    EXPECT_EQ(first.Fingerprint, "FNG2.0-lnpd");
    EXPECT_EQ(first.Purpose, fpLogin);
    EXPECT_DOUBLE_EQ(first.Created, 37000.5);
    ASSERT_GE(first.FieldCount(), 3);
    EXPECT_EQ(first.FieldAt(2).FieldName(), "pwd");
    if (std::string(name) == "old_2_0.wsd") {
      EXPECT_EQ(site.Forms().FormAt(1)->FormName, "add");
      EXPECT_EQ(site.Forms().FormAt(1)->FieldCount(), 1);
    } else {
      // Unwrapped forms: the first one's field text swallowed the second.
      EXPECT_EQ(site.Forms().FormAt(1)->FormName, "");
      EXPECT_EQ(site.Forms().FormAt(1)->FieldCount(), 0);
    }

    TWebSite again;
    ASSERT_EQ(again.LoadSiteFile(path), slLoaded);
    EXPECT_EQ(again.Signature(), "WSD 2.1");
    EXPECT_EQ(again.Forms().Count(), 2);
    EXPECT_EQ(again.Info.Value("Common info", "Category 1"), "Games,Arcade");
  }
}

TEST_F(SiteFileTest, UnknownSignatureIsNotASiteFileAndStaysUntouched) {
  const std::string path = Copy("unknown_3_0.wsd");
  TWebSite site;
  EXPECT_EQ(site.LoadSiteFile(path), slNotSiteFile);
  EXPECT_TRUE(ui_.Events().empty());
  EXPECT_EQ(FileToString(path), Fixture("unknown_3_0.wsd"));
  EXPECT_EQ(site.Info.Count(), 0);
  EXPECT_EQ(site.UIN(), "");
  TWebSite no_name;
  EXPECT_EQ(no_name.LoadSiteFile(), slNotSiteFile);
}

TEST_F(SiteFileTest, DamagedFilesAreUnreadableAndStayUntouched) {
  const std::string typical = Fixture("typical.wsd");
  std::string flipped_count = typical;
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"damaged_2_0.wsd", Fixture("damaged_2_0.wsd")},
      {"truncated_2_1.wsd", Fixture("truncated_2_1.wsd")},
      {"hostile_length_2_1.wsd", Fixture("hostile_length_2_1.wsd")},
      {"header_only.wsd", typical.substr(0, 72)},
      {"no_code.wsd", typical.substr(0, 76 + Int32At(typical, 72) + 4)},
      {"short_header.wsd", typical.substr(0, 40)},
  };
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    ui_.ClearEvents();
    const std::string path = tmp_ / name;
    StringToFile(path, bytes);
    TWebSite site;
    EXPECT_EQ(site.LoadSiteFile(path), slUnreadable);
    EXPECT_EQ(ui_.Texts("retry"), std::vector<std::string>{"Cannot load site from " + path});
    EXPECT_EQ(FileToString(path), bytes);
    EXPECT_EQ(site.Info.Count(), 0);
    EXPECT_EQ(site.Forms().Count(), 0);
    EXPECT_FALSE(FileExists(TempSaveName(path)));
  }
}

TEST_F(SiteFileTest, RetryReadsTheFileAgain) {
  const std::string path = tmp_ / "later.wsd";
  // The user puts the file in place and presses Retry.
  struct FixingUI : ScriptedUI {
    std::string path, bytes;
    bool DoAskRetry(const std::string& text) override {
      ScriptedUI::DoAskRetry(text);
      StringToFile(path, bytes);
      return true;
    }
  } fixing;
  fixing.path = path;
  fixing.bytes = Fixture("typical.wsd");
  TWebSite site;
  EXPECT_EQ(site.LoadSiteFile(path), slLoaded);
  EXPECT_EQ(fixing.Texts("retry"), std::vector<std::string>{"Cannot load site from " + path});
  EXPECT_EQ(site.Name(), "Demo Downloads");
}

// A save under a new name writes and checks the new file before the old one goes; a failure
// leaves the old file as it was.
TEST_F(SiteFileTest, SaveUnderItsOwnNameNeverLosesTheFile) {
  TWebSite site;
  site.FileName = tmp_ / "placeholder.wsd";
  site.Info.CommonInfo().SetString("Name", "My Site");
  ASSERT_TRUE(site.SaveSiteFile("", false));
  EXPECT_EQ(site.FileName, tmp_ / "My_Site.wsd");
  ASSERT_TRUE(site.SaveSiteFile("", false));
  EXPECT_EQ(site.FileName, tmp_ / "My_Site.wsd");  // its own file is free for it: no "(1)"
  EXPECT_EQ(ListFiles(tmp_.Path(), "*.wsd"), std::vector<std::string>{"My_Site.wsd"});

  const std::string before = FileToString(site.FileName);
  site.Info.CommonInfo().SetString("Name", "Other");
  // The temporary file cannot be created: a folder is in its way.
  std::filesystem::create_directory(TempSaveName(tmp_ / "Other.wsd"));
  EXPECT_FALSE(site.SaveSiteFile("", false));
  EXPECT_EQ(ui_.Texts("retry"),
            std::vector<std::string>{"Cannot save site to " + tmp_ / "Other.wsd"});
  EXPECT_EQ(site.FileName, tmp_ / "My_Site.wsd");
  EXPECT_EQ(FileToString(tmp_ / "My_Site.wsd"), before);
  EXPECT_FALSE(FileExists(tmp_ / "Other.wsd"));

  std::filesystem::remove(TempSaveName(tmp_ / "Other.wsd"));
  ASSERT_TRUE(site.SaveSiteFile("", false));
  EXPECT_EQ(ListFiles(tmp_.Path(), "*.wsd"), std::vector<std::string>{"Other.wsd"});
}

TEST_F(SiteFileTest, FailedSaveToANamedFileKeepsThePreviousFile) {
  TWebSite site;
  const std::string path = tmp_ / "kept.wsd";
  ASSERT_TRUE(site.SaveSiteFile(path, false));
  const std::string before = FileToString(path);
  std::filesystem::create_directory(TempSaveName(path));
  site.Info.CommonInfo().SetString("Name", "Changed");
  ui_.QueueRetry(true);
  EXPECT_FALSE(site.SaveSiteFile(path, false));
  EXPECT_EQ(ui_.Texts("retry").size(), 2u);  // Retry once, then Abort
  EXPECT_EQ(FileToString(path), before);
}

TEST_F(SiteFileTest, MakeFileNameRules) {
  const std::string cyrillic = "\xD7\xE0\xF9\xE0 \xDF";  // code page 1251
  const std::vector<std::pair<std::string, std::string>> cases = {
      {" My Site! 2", "My_Site_2.wsd"},
      {"abcdefghijklmnopqrst", "abcdefghijklmnop.wsd"},
      {"Soft-Ware_Zone", "Soft-Ware_Zone.wsd"},
      {"! A", "A.wsd"},
      {cyrillic, "CHasha_JA.wsd"},
  };
  FakeSiteOwner owner;
  owner.folder = tmp_.Path();
  TWebSite& site = owner.AddSite();
  for (const auto& [name, file] : cases) {
    site.Info.CommonInfo().SetString("Name", name);
    EXPECT_EQ(site.MakeFileName(), tmp_ / file) << name;
  }
  site.Info.CommonInfo().SetString("Name", "!!! ...");
  EXPECT_EQ(site.MakeFileName(), tmp_ / (site.UIN().substr(0, 16) + ".wsd"));

  site.Info.CommonInfo().SetString("Name", "Twin");
  StringToFile(tmp_ / "Twin.wsd", "x");
  StringToFile(tmp_ / "Twin(1).wsd", "x");
  EXPECT_EQ(site.MakeFileName(), tmp_ / "Twin(2).wsd");
  site.FileName = tmp_ / "Twin(1).wsd";
  EXPECT_EQ(site.MakeFileName(), tmp_ / "Twin(1).wsd");
}

TEST_F(SiteFileTest, ExportWritesACleanCopyAndKeepsTheSite) {
  TWebSite site;
  TOptionsList& common = site.Info.CommonInfo();
  site.SetDisabled(true);
  common.SetString("Rating", "57");
  common.SetString("Last Bug Reported", "01-01-2020 00:00:01");
  common.SetString("Last contributed", "05-06-2021 07:08:09");
  ASSERT_TRUE(site.ExportSiteFile(tmp_ / "export.wsd"));

  TWebSite copy;
  ASSERT_EQ(copy.LoadSiteFile(tmp_ / "export.wsd"), slLoaded);
  EXPECT_EQ(copy.Protected, 0);
  EXPECT_FALSE(copy.IsDisabled());
  EXPECT_EQ(copy.Info.Value("Common info", "Rating"), "1");
  EXPECT_EQ(copy.Info.Value("Common info", "Last Bug Reported"), "");
  EXPECT_EQ(copy.Info.Value("Common info", "Last exported"), "05-06-2021 07:08:09");

  EXPECT_EQ(site.Protected, 1);
  EXPECT_TRUE(site.IsDisabled());
  EXPECT_EQ(common.GetString("Rating"), "57");
  EXPECT_EQ(common.GetString("Last Bug Reported"), "01-01-2020 00:00:01");
  EXPECT_EQ(common.GetString("Last exported"), "05-06-2021 07:08:09");
}

TEST_F(SiteFileTest, ImportTakesOnlyANewerCopyAndKeepsTheRating) {
  auto make = [&](const std::string& name, const std::string& contributed,
                  const std::string& file) {
    TWebSite s;
    s.Info.CommonInfo().SetString("UIN", "SITE-1");
    s.Info.CommonInfo().SetString("Name", name);
    s.Info.CommonInfo().SetString("Rating", "3");
    s.Info.CommonInfo().SetString("Last contributed", contributed);
    EXPECT_TRUE(s.SaveSiteFile(file, true));
  };
  TWebSite local;
  local.Info.CommonInfo().SetString("UIN", "SITE-1");
  local.Info.CommonInfo().SetString("Name", "Local");
  local.Info.CommonInfo().SetString("Rating", "80");
  local.Info.CommonInfo().SetString("Last contributed", "10-10-2020 10:10:10");
  local.FileName = tmp_ / "x.wsd";
  ASSERT_TRUE(local.SaveSiteFile("", true));
  ASSERT_EQ(local.FileName, tmp_ / "Local.wsd");

  make("Older", "09-10-2020 10:10:10", tmp_ / "older.dl");
  EXPECT_TRUE(local.ImportSiteFile(tmp_ / "older.dl"));
  EXPECT_EQ(local.Name(), "Local");
  EXPECT_EQ(local.FileName, tmp_ / "Local.wsd");

  make("Newer Name", "11-10-2020 10:10:10", tmp_ / "newer.dl");
  EXPECT_TRUE(local.ImportSiteFile(tmp_ / "newer.dl"));
  EXPECT_EQ(local.Name(), "Newer Name");
  EXPECT_EQ(local.Info.Value("Common info", "Rating"), "80");
  EXPECT_EQ(local.FileName, tmp_ / "Newer_Name.wsd");
  EXPECT_FALSE(FileExists(tmp_ / "Local.wsd"));
  TWebSite reread;
  ASSERT_EQ(reread.LoadSiteFile(tmp_ / "Newer_Name.wsd"), slLoaded);
  EXPECT_EQ(reread.Info.Value("Common info", "Rating"), "80");

  StringToFile(tmp_ / "broken.dl", "\x07WSD 2.1");
  EXPECT_FALSE(local.ImportSiteFile(tmp_ / "broken.dl"));
  EXPECT_EQ(local.Name(), "Newer Name");  // reloaded from its own file
}

TEST_F(SiteFileTest, FileChecksumIsTheCrcOfTheBytes) {
  StringToFile(tmp_ / "c.txt", "123456789");
  EXPECT_EQ(FileChecksum(tmp_ / "c.txt"), 0xCBF43926u);
  StringToFile(tmp_ / "big.bin", std::string(1000, 'a'));
  EXPECT_EQ(FileChecksum(tmp_ / "big.bin"), Crc32(std::string(1000, 'a')));
  EXPECT_EQ(FileChecksum(tmp_ / "missing"), 0u);
  EXPECT_EQ(ui_.Texts("error"),
            std::vector<std::string>{"Cannot calculate checksum for '" + tmp_ / "missing" + "'"});
}

// An owned site parks its cover in the owner's cache, feeds the thumbnail strip, and still
// writes the cover into its file.
TEST_F(SiteFileTest, OwnedSitesParkCoversAndFeedThumbnails) {
  FakeSiteOwner owner;
  owner.folder = tmp_.Path();
  owner.strip = true;
  owner.cache.Write("some earlier bytes");
  TWebSite& site = owner.AddSite();
  site.ThumbnailIndex = 4;
  ASSERT_EQ(site.LoadSiteFile(FixturePath("sites/typical.wsd")), slLoaded);
  EXPECT_FALSE(site.HasOwnCover());
  EXPECT_EQ(site.CoverOffset, 18);
  ASSERT_EQ(owner.thumbnails.size(), 1u);
  EXPECT_EQ(owner.thumbnails[0].first, 4);
  EXPECT_EQ(owner.thumbnails[0].second.width, 160);
  EXPECT_EQ(owner.thumbnails[0].second.height, 120);
  EXPECT_EQ(site.CoverBytes(), Fixture("cover.jpg"));

  ASSERT_TRUE(site.SaveSiteFile(tmp_ / "owned.wsd", true));
  TWebSite copy;
  ASSERT_EQ(copy.LoadSiteFile(tmp_ / "owned.wsd"), slLoaded);
  EXPECT_EQ(copy.CoverBytes(), Fixture("cover.jpg"));

  // A site added with a buffer of its own has it parked by the next GetCoverPicture.
  TWebSite& fresh = owner.AddSite();
  ASSERT_TRUE(fresh.HasOwnCover());
  EXPECT_EQ(fresh.GetCoverPicture().width, 160);
  EXPECT_FALSE(fresh.HasOwnCover());
  EXPECT_EQ(fresh.CoverBytes(), DefaultCoverJpeg());

  TImage24 red(200, 150, 255, 0, 0);
  fresh.ThumbnailIndex = 7;
  fresh.SetCoverPicture(red);
  EXPECT_FALSE(fresh.HasOwnCover());
  ASSERT_EQ(owner.thumbnails.size(), 2u);
  EXPECT_EQ(owner.thumbnails[1].first, 7);
  EXPECT_EQ(owner.thumbnails[1].second.width, 160);
  EXPECT_EQ(fresh.GetCoverPicture().width, 200);

  TWebSite free_standing;
  free_standing.SetCoverPicture(red);
  EXPECT_TRUE(free_standing.HasOwnCover());

  // DeleteSite deletes the file, then the owner removes the site.
  fresh.FileName = tmp_ / "owned.wsd";
  const int before = owner.Count();
  EXPECT_TRUE(fresh.DeleteSite());
  EXPECT_EQ(owner.Count(), before - 1);
  EXPECT_FALSE(FileExists(tmp_ / "owned.wsd"));
}

TEST_F(SiteFileTest, BrokenCoverWithAThumbnailSlotFailsTheLoad) {
  // Build a file whose cover is not a JPEG.
  TWebSite site;
  site.SetCoverBytes("not a jpeg");
  ASSERT_TRUE(site.SaveSiteFile(tmp_ / "badcover.wsd", true));
  TWebSite free_standing;
  EXPECT_EQ(free_standing.LoadSiteFile(tmp_ / "badcover.wsd"), slLoaded);  // never decoded
  EXPECT_THROW(free_standing.GetCoverPicture(), std::runtime_error);

  FakeSiteOwner owner;
  owner.strip = true;
  TWebSite& owned = owner.AddSite();
  owned.ThumbnailIndex = 0;
  EXPECT_EQ(owned.LoadSiteFile(tmp_ / "badcover.wsd"), slUnreadable);
  EXPECT_EQ(owned.Info.Count(), 0);
}

}  // namespace
}  // namespace quillora
