#include "sites/site_index.h"

#include <gtest/gtest.h>

namespace quillora {
namespace {

TEST(SiteIndex, WriterKeepsWhatThePresentIndexHeldBesidesItsSites) {
  const TIndexEntry entry{"SITE-A", "01-02-2024 10:00:00", "a.wsd", 4294967295u};
  struct Case {
    const char* what;
    std::optional<std::string> present;
    std::string index;
  };
  const Case cases[] = {
      {"no index yet", std::nullopt,
       "[General]\r\nBuild=7\r\nExported=02-03-2024 04:05:06\r\n\r\n"
       "[Sites]\r\nSITE-A,01-02-2024 10:00:00,a.wsd,4294967295\r\n\r\n"},
      {"other values and sections stay where they were",
       "[Mirror]\r\nUrl=x\r\n\r\n[Sites]\r\nOLD,d,o.wsd,1\r\n\r\n[General]\r\nBuild=1\r\nNote="
       "n\r\n",
       "[Mirror]\r\nUrl=x\r\n\r\n[Sites]\r\nSITE-A,01-02-2024 10:00:00,a.wsd,4294967295\r\n\r\n"
       "[General]\r\nBuild=7\r\nNote=n\r\nExported=02-03-2024 04:05:06\r\n\r\n"},
      {"an older index is all \"Sites\" lines", "OLD,d,o.wsd,1\r\n",
       "[Sites]\r\nSITE-A,01-02-2024 10:00:00,a.wsd,4294967295\r\n\r\n"
       "[General]\r\nBuild=7\r\nExported=02-03-2024 04:05:06\r\n\r\n"},
  };
  for (const Case& c : cases) {
    TSiteIndexWriter writer(c.present, "7", "02-03-2024 04:05:06");
    writer.Add(entry);
    EXPECT_EQ(writer.IndexText(), c.index) << c.what;
    EXPECT_EQ(writer.VersionText(), "Build=7\r\nExported=02-03-2024 04:05:06\r\n") << c.what;

    TOptionsList general;
    const std::vector<TIndexEntry> read = ReadSiteIndex(writer.IndexText(), &general);
    ASSERT_EQ(read.size(), 1u) << c.what;
    EXPECT_EQ(read[0].uin, entry.uin);
    EXPECT_EQ(read[0].last_contributed, entry.last_contributed);
    EXPECT_EQ(read[0].file_name, entry.file_name);
    EXPECT_EQ(read[0].checksum, entry.checksum);
    EXPECT_EQ(general.GetString("Build"), "7");
  }
}

}  // namespace
}  // namespace quillora
