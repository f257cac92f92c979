// Encodings, dates, files and colours.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

#include <gtest/gtest.h>

#include "foundation/colors.h"
#include "foundation/dates.h"
#include "foundation/encoding.h"
#include "foundation/files.h"
#include "foundation/stream.h"
#include "foundation/sysinfo.h"

namespace quillora {
namespace {

namespace fs = std::filesystem;

TEST(Encoding, Crc32) {
  EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
  EXPECT_EQ(Crc32(""), 0u);
  EXPECT_EQ(Crc32("The quick brown fox jumps over the lazy dog"), 0x414FA339u);
  // The eight-byte loop and the byte loop agree, and chaining equals one pass.
  std::string data;
  std::mt19937 gen(7);
  for (int i = 0; i < 1000; ++i) data += static_cast<char>(gen());
  uint32_t bytewise = 0xFFFFFFFFu;
  for (char c : data) {
    bytewise ^= static_cast<unsigned char>(c);
    for (int k = 0; k < 8; ++k)
      bytewise = (bytewise & 1) ? (bytewise >> 1) ^ 0xEDB88320u : bytewise >> 1;
  }
  EXPECT_EQ(Crc32(data), ~bytewise);
  EXPECT_EQ(Crc32Update(Crc32Update(0, data.substr(0, 13)), data.substr(13)), Crc32(data));
}

TEST(Encoding, UrlEncoding) {
  EXPECT_EQ(UrlEncode("a b&c"), "a+b&c");
  EXPECT_EQ(UrlEncodeValue("a b&c"), "a+b%26c");
  EXPECT_EQ(UrlEncode("x=1+2/3?\xE9~"), "x=1%2B2%2F3%3F%E9%7E");
  EXPECT_EQ(UrlEncodeValue("x=1+2"), "x%3D1+2");
  EXPECT_EQ(UrlEncode("!$'()*,-._"), "!$'()*,-._");
  EXPECT_EQ(UrlEncode(std::string("\0\n", 2)), "%00%0A");

  struct Case {
    const char* in;
    std::string out;
  } decode[] = {
      {"%41%zz+%00", "A "},  // the example from the form engine's notes
      {"a+b%26c", "a b&c"}, {"%e9", "\xE9"},    {"%4", "\x04"}, {"%", ""},
      {"100%", "100"},      {"%+41", "1"},  // "% 4" is no number
      {"%%41", "1"},        {"plain", "plain"},
  };
  for (const auto& c : decode) EXPECT_EQ(UrlDecode(c.in), c.out) << c.in;
}

TEST(Encoding, Base64AndHex) {
  struct Case {
    const char* plain;
    const char* encoded;
  } cases[] = {{"", ""},
               {"f", "Zg=="},
               {"fo", "Zm8="},
               {"foo", "Zm9v"},
               {"foob", "Zm9vYg=="},
               {"fooba", "Zm9vYmE="},
               {"foobar", "Zm9vYmFy"}};
  for (const auto& c : cases) {
    EXPECT_EQ(Base64Encode(c.plain), c.encoded);
    EXPECT_EQ(Base64Decode(c.encoded), c.plain);
  }
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  std::string encoded = Base64Encode(all);
  EXPECT_EQ(encoded.find('\n'), std::string::npos);
  EXPECT_EQ(Base64Decode(encoded), all);
  EXPECT_EQ(Base64Decode("Zm9v\r\nYmFy"), "foobar");
  EXPECT_EQ(HexEncode("\x01\xAB\xFF"), "01ABFF");
}

TEST(Dates, EncodeAndDecode) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
  EXPECT_EQ(EncodeDate(2000, 1, 1), 36526.0);
  EXPECT_EQ(EncodeDate(1899, 12, 29), -1.0);
  TDateParts p{2024, 2, 29, 13, 45, 30, 250};
  TDateParts q = DecodeDateTime(EncodeDateTime(p));
  EXPECT_EQ((std::tuple{q.year, q.month, q.day, q.hour, q.minute, q.second, q.msec}),
            (std::tuple{2024, 2, 29, 13, 45, 30, 250}));
  // Before the epoch the fraction is still the time of day.
  TDateParts before{1899, 12, 29, 6, 0, 0, 0};
  EXPECT_DOUBLE_EQ(EncodeDateTime(before), -1.25);
  q = DecodeDateTime(-1.25);
  EXPECT_EQ((std::tuple{q.year, q.month, q.day, q.hour}), (std::tuple{1899, 12, 29, 6}));
  // A time a hair below midnight rounds into the next day, not to 24:00.
  q = DecodeDateTime(EncodeDate(2004, 7, 15) - 1e-10);
  EXPECT_EQ((std::tuple{q.day, q.hour, q.minute, q.second}), (std::tuple{15, 0, 0, 0}));
  EXPECT_EQ(DayOfWeek(EncodeDate(2004, 7, 15)), 5);   // Thursday
  EXPECT_EQ(DayOfWeek(0), 7);                         // Saturday
  EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 24)), 1);  // Sunday
}

TEST(Dates, FixedFormats) {
  TDateTime t = EncodeDateTime({2004, 7, 5, 9, 3, 7, 0});
  EXPECT_EQ(DateTimeToStr(t), "05-07-2004 09:03:07");
  EXPECT_EQ(DateTimeToStr(EncodeDate(1900, 1, 1)), "01-01-1900");  // midnight: date alone
  EXPECT_EQ(DateToStr(t), "05-07-2004");
  EXPECT_EQ(TimeToStr(t), "09:03:07");
  EXPECT_EQ(FormatDateTime("d/m/yy h:n:s mmm mmmm ddd dddd \"dd mm\" zzz", t),
            "5/7/04 9:3:7 Jul July Mon Monday dd mm 000");

  struct Case {
    const char* text;
    bool ok;
    TDateTime value;
  } cases[] = {
      {"05-07-2004 09:03:07", true, t},
      {"05-07-2004", true, EncodeDate(2004, 7, 5)},
      {"5-7-2004 9:03", true, EncodeDateTime({2004, 7, 5, 9, 3, 0, 0})},
      {" 01-01-1900 ", true, 2.0},
      {"31-02-2004", false, 0},
      {"05-13-2004", false, 0},
      {"05-07-04", false, 0},
      {"05-07-2004 25:00", false, 0},
      {"05/07/2004", false, 0},
      {"05-07-2004x", false, 0},
      {"", false, 0},
  };
  for (const auto& c : cases) {
    TDateTime v = -99;
    EXPECT_EQ(TryStrToDateTime(c.text, v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_NEAR(v, c.value, 1e-9) << c.text;
    }
  }
  TDateTime d;
  EXPECT_FALSE(TryStrToDate("05-07-2004 09:03", d));
  EXPECT_TRUE(TryStrToDate("05-07-2004", d));
  TDateTime back;
  ASSERT_TRUE(TryStrToDateTime(DateTimeToStr(t), back));
  EXPECT_NEAR(back, t, 1e-9);
}

TEST(Dates, InternetDateUsesTheZoneOffset) {
  const char* old = std::getenv("TZ");
  std::string saved = old ? old : "";
  TDateTime winter = EncodeDateTime({2004, 1, 15, 10, 30, 0, 0});
  TDateTime summer = EncodeDateTime({2004, 7, 1, 8, 5, 9, 0});
  setenv("TZ", "UTC", 1);
  tzset();
  EXPECT_EQ(InternetDate(winter), "Thu, 15 Jan 2004 10:30:00 +0000");
  setenv("TZ", "Europe/Berlin", 1);
  tzset();
  EXPECT_EQ(InternetDate(winter), "Thu, 15 Jan 2004 10:30:00 +0100");
  EXPECT_EQ(InternetDate(summer), "Thu, 1 Jul 2004 08:05:09 +0200");
  setenv("TZ", "America/St_Johns", 1);
  tzset();
  EXPECT_EQ(InternetDate(winter), "Thu, 15 Jan 2004 10:30:00 -0330");
  if (old)
    setenv("TZ", saved.c_str(), 1);
  else
    unsetenv("TZ");
  tzset();
}

TEST(Dates, MakeUniqueId) {
  std::string id = MakeUniqueIdAt(EncodeDate(2004, 7, 15));
  EXPECT_EQ(id.substr(0, 6), "00470F");
  EXPECT_GE(id.size(), 10u);
  EXPECT_LE(id.size(), 11u);
  EXPECT_EQ(id.find_first_not_of("0123456789ABCDEF"), std::string::npos);
  EXPECT_EQ(MakeUniqueIdAt(EncodeDate(2031, 12, 1)).substr(0, 4), "01FC");
  // Ids made back to back differ (the generator is not reseeded from the clock each time).
  std::set<std::string> ids;
  for (int i = 0; i < 50; ++i) ids.insert(MakeUniqueIdAt(EncodeDate(2004, 7, 15)));
  EXPECT_GT(ids.size(), 45u);
  EXPECT_NE(TickCount(), 0u);
}

class Files : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("quillora_files_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    root_ = IncludeTrailingPathDelimiter(dir_.string());
  }
  void TearDown() override { fs::remove_all(dir_); }
  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(root_ + name, std::ios::binary) << bytes;
  }

  fs::path dir_;
  std::string root_;
};

TEST_F(Files, ExistenceSizeAndFolders) {
  Write("a.dat", "12345");
  EXPECT_TRUE(FileExists(root_ + "a.dat"));
  EXPECT_FALSE(FileExists(root_));
  EXPECT_TRUE(DirectoryExists(root_));
  EXPECT_FALSE(DirectoryExists(root_ + "a.dat"));
  EXPECT_EQ(FileSizeOf(root_ + "a.dat"), 5);
  EXPECT_EQ(FileSizeOf(root_ + "missing"), -1);
  EXPECT_GT(FileAge(root_ + "a.dat"), 0);
  EXPECT_EQ(FileAge(root_ + "missing"), -1);

  EXPECT_TRUE(ForceDirectories(root_ + "x/y/z/"));
  EXPECT_TRUE(DirectoryExists(root_ + "x/y/z"));
  EXPECT_FALSE(ForceDirectories(root_ + "a.dat/sub"));

  Write("b.dat", "old");
  EXPECT_TRUE(RenameFileAt(root_ + "a.dat", root_ + "b.dat"));
  EXPECT_EQ(FileSizeOf(root_ + "b.dat"), 5);
  EXPECT_FALSE(FileExists(root_ + "a.dat"));
  EXPECT_TRUE(DeleteFileAt(root_ + "b.dat"));
  EXPECT_FALSE(DeleteFileAt(root_ + "b.dat"));
}

TEST_F(Files, ListFilesMatchesMaskWithoutCase) {
  for (const char* n : {"b.wsd", "A.WSD", "c.wsd.bak", "notes.txt", "noext"}) Write(n, "x");
  fs::create_directory(dir_ / "dir.wsd");
  EXPECT_EQ(ListFiles(root_, "*.wsd"), (std::vector<std::string>{"A.WSD", "b.wsd"}));
  EXPECT_EQ(ListFiles(root_, "*.*").size(), 5u);
  EXPECT_EQ(ListFiles(root_, "n*"), (std::vector<std::string>{"noext", "notes.txt"}));
  EXPECT_TRUE(ListFiles(root_ + "missing/", "*.wsd").empty());
}

TEST_F(Files, SafeSaveReplacesTheFileWholeOrNotAtAll) {
  const std::string path = root_ + "a.dat";
  EXPECT_EQ(TempSaveName(path), path + "." + std::to_string(::getpid()) + ".$$$");
  Write("a.dat", "old");
  SaveFileSafely(path, "new");
  EXPECT_EQ(FileToString(path), "new");
  SaveFileSafely(path, "private", {}, 0600);
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);

  // A check that refuses the written copy keeps the old file and its own exception.
  EXPECT_THROW(SaveFileSafely(path, "bad",
                              [](const std::string& temp) {
                                EXPECT_EQ(FileToString(temp), "bad");
                                throw std::invalid_argument("refused");
                              }),
               std::invalid_argument);
  EXPECT_EQ(FileToString(path), "private");

  // Each step that fails names itself and the file it concerns.
  try {
    SaveFileSafely(root_ + "missing/b.dat", "x");
    ADD_FAILURE() << "saved into a missing folder";
  } catch (const TSaveFileError& e) {
    EXPECT_EQ(e.step, TSaveFileError::Step::Create);
    EXPECT_EQ(std::string(e.what()), "Cannot create file " + TempSaveName(root_ + "missing/b.dat") +
                                         ": No such file or directory");
  }
  fs::create_directories(dir_ / "folder" / "inside");
  try {
    SaveFileSafely(root_ + "folder", "x");
    ADD_FAILURE() << "replaced a folder";
  } catch (const TSaveFileError& e) {
    EXPECT_EQ(e.step, TSaveFileError::Step::Replace);
    EXPECT_EQ(e.file, root_ + "folder");
  }
  // Nothing but the saved file is left behind.
  EXPECT_EQ(ListFiles(root_, "*"), std::vector<std::string>{"a.dat"});
}

TEST_F(Files, LeftoversOfDeadSavesGoAndLiveOnesStay) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(0);
  ASSERT_EQ(waitpid(child, nullptr, 0), child);
  const std::string dead = std::to_string(child), live = std::to_string(::getpid());
  struct Case {
    std::string name;
    bool old;  // written two hours ago
    bool stays;
  } cases[] = {
      {"config.dat." + dead + ".$$$", false, false},
      {"custom_sets.dat.tmp" + dead, false, false},  // the settings' older name
      {"config.dat." + live + ".$$$", false, true},
      {"filters.dat.tmp" + live, false, true},
      {"Demo.wsd.$$$", true, false},   // older programs' pid-less name, long abandoned
      {"Fresh.wsd.$$$", false, true},  // ... or perhaps still being written
      {"notes.txt", true, true},
      {"report.tmp", true, true},
      {"Sample.dat", true, true},
  };
  for (const Case& c : cases) {
    Write(c.name, "x");
    if (c.old)
      fs::last_write_time(dir_ / c.name, fs::file_time_type::clock::now() - std::chrono::hours(2));
  }
  fs::create_directory(dir_ / "sub");
  Write("sub/a.dat." + dead + ".$$$", "x");  // only the folder itself is cleaned

  EXPECT_EQ(RemoveDeadSaveLeftovers(root_), 3);
  for (const Case& c : cases) EXPECT_EQ(FileExists(root_ + c.name), c.stays) << c.name;
  EXPECT_TRUE(FileExists(root_ + "sub/a.dat." + dead + ".$$$"));
}

TEST(FilePaths, Parts) {
  EXPECT_EQ(IncludeTrailingPathDelimiter("/a/b"), "/a/b/");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/a/b/"), "/a/b/");
  EXPECT_EQ(ExtractFilePath("/a/b/c.txt"), "/a/b/");
  EXPECT_EQ(ExtractFilePath("c.txt"), "");
  EXPECT_EQ(ExtractFileName("/a/b/c.txt"), "c.txt");
  EXPECT_EQ(ExtractFileExt("/a/b.d/c.tar.gz"), ".gz");
  EXPECT_EQ(ExtractFileExt("/a/b.d/c"), "");
  EXPECT_EQ(ChangeFileExt("/a/b.d/c.txt", ".bak"), "/a/b.d/c.bak");
  EXPECT_EQ(ChangeFileExt("/a/b.d/c", ".bak"), "/a/b.d/c.bak");
  EXPECT_TRUE(IsAbsolutePath("/x"));
  EXPECT_TRUE(IsAbsolutePath("C:\\dump\\"));
  EXPECT_FALSE(IsAbsolutePath("dump/"));
  EXPECT_FALSE(IsAbsolutePath(""));
  std::string exe = ExecutableFolder();
  EXPECT_EQ(exe.back(), '/');
  EXPECT_TRUE(DirectoryExists(exe));

  const char* old = std::getenv("XDG_CONFIG_HOME");
  std::string saved = old ? old : "";
  setenv("XDG_CONFIG_HOME", "/tmp/xdg", 1);
  EXPECT_EQ(UserConfigFolder(), "/tmp/xdg/");
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(UserConfigFolder().substr(UserConfigFolder().size() - 9), "/.config/");
  if (old) setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
}

TEST(Colors, HexForm) {
  EXPECT_EQ(ColorToHex(0xCDDFCC), "CDDFCC");
  EXPECT_EQ(ColorToHex(0x0000FF), "0000FF");
  EXPECT_EQ(ColorToHex(0), "000000");
  struct Case {
    const char* text;
    TColor color;
  } cases[] = {{"FDE6E6", 0xFDE6E6}, {"fde6e6", 0xFDE6E6}, {"FFF", 0xFFF}, {"", 0},
               {"GGGGGG", 0},        {"1234567", 0},       {"12 34", 0}};
  for (const auto& c : cases) EXPECT_EQ(HexToColor(c.text), c.color) << c.text;
  EXPECT_EQ(HexToColor(ColorToHex(0x123ABC)), 0x123ABCu);
}

TEST(SystemDescription, Fields) {
  EXPECT_EQ(FormatThousands(0), "0");
  EXPECT_EQ(FormatThousands(999), "999");
  EXPECT_EQ(FormatThousands(1000), "1,000");
  EXPECT_EQ(FormatThousands(24587164), "24,587,164");

  TSystemDescription d = ComputeSystemDescription();
  EXPECT_EQ(d.build, QUILLORA_BUILD);
  EXPECT_EQ(d.operating_system.rfind("Linux ", 0), 0u);
  EXPECT_GT(d.memory.size(), 3u);
  EXPECT_EQ(d.memory.substr(d.memory.size() - 3), " Kb");
  EXPECT_EQ(d.browser, "unknown");
  SetBrowserEngineDescription("QtWebEngine 6.4.2 (Chromium 102)");
  EXPECT_EQ(ComputeSystemDescription().browser, "QtWebEngine 6.4.2 (Chromium 102)");
  SetBrowserEngineDescription({});
  EXPECT_FALSE(d.user_name.empty());
}

}  // namespace
}  // namespace quillora
