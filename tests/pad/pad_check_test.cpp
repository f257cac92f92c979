// The PAD check's log over real transfers of file:// addresses, and the picture headers it
// reads.
#include "pad/pad_check.h"

#include <gtest/gtest.h>

#include "foundation/app_state.h"
#include "foundation/files.h"
#include "foundation/stream.h"
#include "net/transfer_result.h"
#include "net/transfers.h"
#include "pad/pad_picture.h"
#include "product_data_fixture.h"
#include "support/temp_dir.h"

namespace quillora {

void PrintTo(const TPadLogLine& l, std::ostream* os) {
  *os << static_cast<int>(l.color) << ": " << l.text;
}

namespace {

using Color = TPadLogColor;

std::string Le16(unsigned v) {
  return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8 & 0xFF)};
}
std::string Le32(unsigned v) {
  return Le16(v & 0xFFFF) + Le16(v >> 16);
}
std::string Bmp(int w, int h) {
  return "BM" + Le32(54) + Le32(0) + Le32(54) + Le32(40) + Le32(static_cast<unsigned>(w)) +
         Le32(static_cast<unsigned>(h)) + Le16(1) + Le16(24) + std::string(24, '\0');
}
std::string Ico(int w, int h) {
  return Le16(0) + Le16(1) + Le16(1) + std::string(1, static_cast<char>(w)) +
         std::string(1, static_cast<char>(h)) + std::string(14, '\0');
}
std::string Gif(int w, int h) {
  return "GIF89a" + Le16(static_cast<unsigned>(w)) + Le16(static_cast<unsigned>(h)) + "\0\0\0";
}
std::string Emf(int w, int h) {
  std::string b = Le32(1) + Le32(88) + Le32(0) + Le32(0) + Le32(static_cast<unsigned>(w - 1)) +
                  Le32(static_cast<unsigned>(h - 1)) + std::string(16, '\0') + " EMF";
  return b + std::string(88 - b.size(), '\0');
}
std::string PlaceableWmf(int w, int h) {  // 1440 units per inch
  return Le32(0x9AC6CDD7u) + Le16(0) + Le16(0) + Le16(0) + Le16(static_cast<unsigned>(w * 15)) +
         Le16(static_cast<unsigned>(h * 15)) + Le16(1440) + Le32(0) + Le16(0);
}
const std::string kPng = std::string("\x89PNG\r\n\x1a\n", 8) + std::string(24, '\0');

TEST(PadPicture, SizesComeFromEachFormatsHeader) {
  test::TempDir dir;
  struct Case {
    const char* name;
    std::string bytes;
    bool ok;
    int w, h;
  };
  const Case cases[] = {
      {"a.bmp", Bmp(32, 32), true, 32, 32},
      {"b.BMP", Bmp(48, -20), true, 48, 20},
      {"c.ico", Ico(16, 16), true, 16, 16},
      {"d.ico", Ico(0, 0), true, 256, 256},
      {"e.gif", Gif(640, 480), true, 640, 480},
      {"f.emf", Emf(100, 50), true, 100, 50},
      {"g.wmf", PlaceableWmf(32, 32), true, 32, 32},
      {"h.png", kPng, false, 0, 0},
      {"i.gif", Bmp(32, 32), false, 0, 0},
      {"j.jpg", "not a jpeg", false, 0, 0},
      {"k", Bmp(32, 32), false, 0, 0},
      {"l.bmp", "BM", false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StringToFile(dir / c.name, c.bytes);
    TPictureSize size;
    EXPECT_EQ(ReadPictureSize(dir / c.name, size), c.ok);
    if (c.ok) {
      EXPECT_EQ(size.width, c.w);
      EXPECT_EQ(size.height, c.h);
    }
  }
}

TEST(PadPicture, UrlExtension) {
  EXPECT_EQ(UrlExtension("http://h/icon.GIF"), ".GIF");
  EXPECT_EQ(UrlExtension("http://h/icon"), "");
  EXPECT_EQ(UrlExtension("http://h.x/icon"), "");
  EXPECT_EQ(UrlExtension("http://h/a.b:8"), "");
  EXPECT_EQ(UrlExtension("http://h/a.b\\c"), "");
}

class PadCheckTest : public test::ProductDataTest {
 protected:
  void SetUp() override {
    options_.load_sites = false;
    Start();
    name_space_.Section("Company").SetText(
        "Company_Info/Company_WebSite_URL= \r\nCompany_Info/Contact_Info/Contact_Email= \r\n"
        "Company_Info/Support_Info/Sales_Email= \r\nCompany_Info/City_Town= \r\n");
    name_space_.Section("Product").SetText(
        "Program_Info/Program_Name= \r\nAffiliates/AFFILIATES_FORM= \r\n"
        "Web_Info/Application_URLs/Application_Icon_URL= \r\n"
        "Web_Info/Application_URLs/Application_Screenshot_URL= \r\n"
        "Web_Info/Application_URLs/Application_Info_URL= \r\n"
        "Web_Info/Application_URLs/Application_Order_URL= \r\n"
        "Web_Info/Download_URLs/Primary_Download_URL= \r\n"
        "Web_Info/Download_URLs/Secondary_Download_URL= \r\n");
    profile_.SetString("Program_Info/Program_Name", "Sample Notes");
    profile_.SetString("Affiliates/AFFILIATES_FORM", "Y");
    profile_.SetString("Program_Info/Program_Cost_Dollars", "29.95");
    profile_.SetString("Program_Info/File_Info/File_Size_Bytes", "10");
    profile_.SetString("Company_Info/City_Town", "Portland");
    ForceDirectories(Folders().temp);
    hooks_.temp_folder = Folders().temp;
    hooks_.download = [](const std::string& url, const std::string& file) {
      std::string address = url;
      const auto r = DownloadToFile(address, file, nullptr, {}, false, {});
      return r == trNoError ? std::string() : TransferResultText(r);
    };
  }
  std::string Serve(const std::string& name, const std::string& bytes) {
    StringToFile(site_ / name, bytes);
    return "file://" + (site_ / name);
  }
  // The lines written for one key.
  std::vector<TPadLogLine> LinesFor(const std::string& key) {
    std::vector<TPadLogLine> out;
    bool in = false;
    for (const TPadLogLine& l : RunPadCheck(profile_, name_space_, hooks_)) {
      if (l.text.rfind("Checking ", 0) == 0) in = l.text.rfind("Checking " + key + "...", 0) == 0;
      if (in) out.push_back(l);
    }
    return out;
  }

  test::TempDir site_;
  TMultiOptions name_space_;
  TOptionsList profile_;
  TPadCheckHooks hooks_;
};

TEST_F(PadCheckTest, EveryKeyInOrderWithEmptyAndSkippedKeys) {
  profile_.SetString("Company_Info/Contact_Info/Contact_Email", "http://contact.localhost/");
  profile_.SetString("Company_Info/Support_Info/Sales_Email", "sales.localhost");
  profile_.SetString("Web_Info/Download_URLs/Secondary_Download_URL", "no address at all");
  const auto log = RunPadCheck(profile_, name_space_, hooks_);
  const std::vector<TPadLogLine> expected = {
      {Color::Notice, "Checking Company_Info/Company_WebSite_URL... Empty"},
      {Color::Normal, "Checking Company_Info/Contact_Info/Contact_Email... OK"},
      {Color::Error, "Checking Company_Info/Support_Info/Sales_Email... wrong e-mail format."},
      {Color::Normal, "Checking Company_Info/City_Town... OK"},
      {Color::Normal, "Checking Program_Info/Program_Name... OK"},
      {Color::Notice, "Checking Web_Info/Application_URLs/Application_Icon_URL... Empty"},
      {Color::Notice, "Checking Web_Info/Application_URLs/Application_Screenshot_URL... Empty"},
      {Color::Notice, "Checking Web_Info/Application_URLs/Application_Info_URL... Empty"},
      {Color::Notice, "Checking Web_Info/Application_URLs/Application_Order_URL... Empty"},
      {Color::Notice, "Checking Web_Info/Download_URLs/Primary_Download_URL... Empty"},
      {Color::Normal, "Checking Web_Info/Download_URLs/Secondary_Download_URL... OK"},
  };
  EXPECT_EQ(log, expected);
}

TEST_F(PadCheckTest, IconFormatAndSize) {
  const std::string key = "Web_Info/Application_URLs/Application_Icon_URL";
  const std::string head = "Checking " + key + "...";
  std::vector<std::string> shown;
  hooks_.show_picture = [&](const std::string& f) { shown.push_back(f); };
  struct Case {
    std::string url;
    std::vector<TPadLogLine> lines;
  };
  const Case cases[] = {
      {Serve("icon16.ico", Ico(16, 16)),
       {{Color::Normal, head},
        {Color::Error,
         "Error: Wrong dimensions ( 16x16 pixels ). Icon should be 32x32 pixels in size."}}},
      {Serve("icon32.bmp", Bmp(32, 32)), {{Color::Normal, head}, {Color::Normal, head + " OK"}}},
      {Serve("icon.png", kPng),
       {{Color::Normal, head}, {Color::Error, "Error: Wrong image format"}}},
      {Serve("icon", Bmp(32, 32)),
       {{Color::Normal, head}, {Color::Error, "Error: Wrong image format"}}},
      {"file://" + (site_ / "missing.ico"),
       {{Color::Normal, head}, {Color::Error, "Error: " + TransferResultText(trConnectionFailed)}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    profile_.SetString(key, c.url);
    EXPECT_EQ(LinesFor(key), c.lines);
  }
  EXPECT_EQ(shown.size(), 2u);  // the two that loaded
  EXPECT_EQ(shown[0], Folders().temp + "temp.ico");
}

TEST_F(PadCheckTest, MainDownloadSizeIsCompared) {
  const std::string key = "Web_Info/Download_URLs/Primary_Download_URL";
  profile_.SetString(key, Serve("setup.exe", "0123456789"));
  std::string target;
  hooks_.choose_download_file = [&](const std::string&, const std::string& proposed) {
    EXPECT_EQ(proposed, "setup.exe");
    return target;
  };
  EXPECT_EQ(LinesFor(key),
            (std::vector<TPadLogLine>{{Color::Normal, "Checking " + key + "... OK"}}));
  target = site_ / "got.exe";
  EXPECT_EQ(LinesFor(key),
            (std::vector<TPadLogLine>{{Color::Normal, "Checking " + key + "... OK"}}));
  profile_.SetString("Program_Info/File_Info/File_Size_Bytes", "11");
  EXPECT_EQ(LinesFor(key),
            (std::vector<TPadLogLine>{{Color::Error, "Checking " + key + "... invalid size"}}));
  // Without a hook the user is asked; No counts as OK.
  hooks_.choose_download_file = nullptr;
  ui_.QueueYesNo(false);
  EXPECT_EQ(LinesFor(key),
            (std::vector<TPadLogLine>{{Color::Normal, "Checking " + key + "... OK"}}));
  EXPECT_EQ(ui_.Texts("yesno").back(), "Download \"" + profile_.GetString(key) + "\" ?");
}

TEST_F(PadCheckTest, PagesMustNameTheProductAndThePrice) {
  const std::string info = "Web_Info/Application_URLs/Application_Info_URL";
  const std::string order = "Web_Info/Application_URLs/Application_Order_URL";
  struct Case {
    std::string key, page;
    TPadLogLine line;
  };
  const Case cases[] = {
      {info,
       "<html><title>Sample NOTES 2</title><body>x</body>",
       {Color::Normal, "Checking " + info + "... OK"}},
      {info,
       "<title>Notes</title><body>Sample Notes</body>",
       {Color::Notice, "Checking " + info + "... no product name in the page title."}},
      {info, "Sample Notes</title>", {Color::Normal, "Checking " + info + "... OK"}},
      {info,
       "<title>Sample Notes",
       {Color::Notice, "Checking " + info + "... no product name in the page title."}},
      {info,
       "<title>Other</title>",
       {Color::Error, "Checking " + info + "... no product name at the page."}},
      {order, "Buy Sample Notes for $29.95", {Color::Normal, "Checking " + order + "... OK"}},
      {order,
       "Buy Sample Notes",
       {Color::Error, "Checking " + order + "... no Program_Cost_Dollars at the page."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page);
    profile_.SetString(info, "");
    profile_.SetString(order, "");
    profile_.SetString(c.key, Serve("page.html", c.page));
    EXPECT_EQ(LinesFor(c.key), std::vector<TPadLogLine>{c.line});
  }
  profile_.SetString("Program_Info/Program_Name", "");
  profile_.SetString(info, Serve("page.html", "<title></title>"));
  EXPECT_EQ(LinesFor(info),
            (std::vector<TPadLogLine>{
                {Color::Error, "Checking " + info + "... no product name at the page."}}));
  profile_.SetString(info, "file://" + (site_ / "none.html"));
  EXPECT_EQ(LinesFor(info),
            (std::vector<TPadLogLine>{{Color::Error, "Checking " + info + "... " +
                                                         TransferResultText(trConnectionFailed)}}));
}

}  // namespace
}  // namespace quillora
