#include "search/tar_archive.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/files.h"
#include "foundation/stream.h"
#include "support/temp_dir.h"

namespace quillora {
namespace {

std::string ReadAll(const std::string& path) {
  TFileStream f(path, TFileStream::Mode::Read);
  return f.ReadToEnd();
}

TEST(TarArchive, ReadsEntriesWithTheirFieldsAndData) {
  const std::string body(700, 'x');  // crosses a block boundary: padding must be skipped
  const std::string archive = TarEntryBytes("SITE-1.htm", body, '0', 1700000000) +
                              TarEntryBytes("dir", "", '5') + TarEntryBytes("b.htm", "B") +
                              TarEndBytes();
  TTarArchive tar(archive);
  TTarEntry e;
  ASSERT_TRUE(tar.FindNext(e));
  EXPECT_EQ(e.name, "SITE-1.htm");
  EXPECT_EQ(e.size, 700);
  EXPECT_EQ(e.mtime, 1700000000);
  EXPECT_EQ(e.mode, 0644);
  EXPECT_EQ(e.magic, "ustar");
  EXPECT_TRUE(e.checksum_ok);
  EXPECT_EQ(tar.ReadData(), body);
  ASSERT_TRUE(tar.FindNext(e));
  EXPECT_EQ(e.type, '5');
  // The data of an entry that was not read is skipped by the next find.
  ASSERT_TRUE(tar.FindNext(e));
  EXPECT_EQ(e.name, "b.htm");
  EXPECT_FALSE(tar.FindNext(e));
  tar.Reset();
  ASSERT_TRUE(tar.FindNext(e));
  EXPECT_EQ(e.name, "SITE-1.htm");
}

TEST(TarArchive, DamagedChecksumIsRecordedButReadAndShortArchivesEnd) {
  std::string archive = TarEntryBytes("a.htm", "A") + TarEndBytes();
  archive[0] = 'b';
  TTarArchive tar(archive);
  TTarEntry e;
  ASSERT_TRUE(tar.FindNext(e));
  EXPECT_FALSE(e.checksum_ok);
  EXPECT_EQ(tar.ReadData(), "A");

  // A size beyond the end of the data, and a header cut short, end the reading cleanly.
  std::string huge = TarEntryBytes("h.htm", "");
  huge.replace(124, 11, "77777777777");
  const std::string cut_bytes = huge + std::string(100, 'z');  // the reader does not copy
  TTarArchive cut(cut_bytes);
  ASSERT_TRUE(cut.FindNext(e));
  EXPECT_EQ(cut.ReadData(), std::string(100, 'z'));
  EXPECT_FALSE(cut.FindNext(e));
}

TEST(TarArchive, UnpackWritesOnlyPlainRegularFilesInsideTheFolder) {
  test::TempDir dir;
  const std::string folder = dir / "product/";
  ForceDirectories(folder);
  const std::string archive =
      TarEntryBytes("SITE-1.htm", "page one") + TarEntryBytes("../escaped.htm", "bad") +
      TarEntryBytes(dir / "absolute.htm", "bad") + TarEntryBytes("sub/inner.htm", "bad") +
      TarEntryBytes("..", "bad") + TarEntryBytes("link.htm", "", '2') +
      TarEntryBytes("SITE-2.htm", "page two") + TarEndBytes();
  std::vector<std::string> skipped;
  const int count =
      UnpackTarArchive(archive, folder, [&](const std::string& line) { skipped.push_back(line); });
  EXPECT_EQ(count, 2);
  EXPECT_EQ(ReadAll(folder + "SITE-1.htm"), "page one");
  EXPECT_EQ(ReadAll(folder + "SITE-2.htm"), "page two");
  EXPECT_FALSE(FileExists(dir / "escaped.htm"));
  EXPECT_FALSE(FileExists(dir / "absolute.htm"));
  EXPECT_FALSE(DirectoryExists(folder + "sub"));
  EXPECT_EQ(ListFiles(folder, "*").size(), 2u);
  EXPECT_EQ(skipped.size(), 5u);
}

}  // namespace
}  // namespace quillora
