#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "search/remote_search.h"
#include "search/search_request.h"

namespace quillora {
namespace {

TEST(RemoteStatus, ThreeLinesShowTheCurrentProductAndOneOtherTwoLinesAreInvalid) {
  const std::vector<std::string> three = {"APP-2", "Processing|3|4",
                                          "Ready to download|March 5, 2024|1200|4|4"};
  const std::string view = StatusViewText(
      three, [](const std::string& uin) { return uin == "APP-2" ? "Other" : ""; }, {});
  EXPECT_EQ(view,
            "Current Product: Ready to download, 4 of 4 sites processed ( 100% ) (March 5, 2024 / "
            "1200)\r\nOther: Processing, 3 of 4 sites processed ( 75% )\r\n");
  EXPECT_EQ(StatusViewText({"APP-2", "Idle"}, {}, {}), "Error receiving status from server!");
  EXPECT_EQ(StatusViewText({}, {}, {}), "Current Product: Idle");
  EXPECT_EQ(DescribeStatusLine("Unknown|1"), "Idle");
  EXPECT_EQ(DescribeStatusLine("Processing|1|0"), "Processing, 1 of 0 sites processed ( 0% )");
}

TEST(RemoteStatus, JobDatesAndHashes) {
  const std::vector<std::string> months = {"January", "February", "March"};
  EXPECT_EQ(JobDateText("March 5, 2024", months, '-'), "5-03-2024");
  EXPECT_EQ(JobDateText("Smarch 5, 2024", months, '-'), "?");
  EXPECT_EQ(JobDateText("March 5 2024", months, '-'), "?");
  EXPECT_EQ(ExternalSearchHash("APP-1", 0).size(), 8u);
  EXPECT_NE(ExternalSearchHash("APP-1", 0), ExternalSearchHash("APP-1", 1));
}

}  // namespace
}  // namespace quillora
