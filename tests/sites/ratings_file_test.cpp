#include "sites/ratings_file.h"

#include <gtest/gtest.h>

namespace quillora {
namespace {

TEST(RatingsExchange, LinesBetweenTheBannersAndWhatEachCarries) {
  EXPECT_EQ(RatingsExchangeLine("SITE-1", "7", "One, with comma"), "SITE-1,7,One, with comma");

  using V = std::vector<std::string>;
  EXPECT_EQ(RatingsImportLines({"junk", kRatingsBegin, "a", "b", kRatingsEnd, "trailer"}),
            (V{"a", "b"}));
  EXPECT_EQ(RatingsImportLines({kRatingsBegin, kRatingsEnd}), V{});
  EXPECT_EQ(RatingsImportLines({"a", kRatingsEnd}), V{});
  EXPECT_EQ(RatingsImportLines({kRatingsBegin, "a"}), V{});

  struct Case {
    const char* line;
    const char* uin;  // nullptr: the line is passed over
    const char* rating;
  };
  const Case cases[] = {
      {"SITE-1,42,Name, with comma", "SITE-1", "42"},
      {"SITE-1,42", "SITE-1", "42"},
      {"SITE-1,,Name", nullptr, nullptr},
      {",42,Name", nullptr, nullptr},
      {"no comma", nullptr, nullptr},
  };
  for (const Case& c : cases) {
    const std::optional<TRatingsExchangeEntry> entry = ReadRatingsExchangeLine(c.line);
    if (!c.uin) {
      EXPECT_FALSE(entry) << c.line;
      continue;
    }
    ASSERT_TRUE(entry) << c.line;
    EXPECT_EQ(entry->uin, c.uin);
    EXPECT_EQ(entry->rating, c.rating);
  }
}

}  // namespace
}  // namespace quillora
