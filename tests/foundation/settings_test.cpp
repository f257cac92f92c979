#include "foundation/settings.h"

#include <string>

#include <gtest/gtest.h>

namespace quillora {
namespace {

TEST(SettingsMigration, ColumnOrderCases) {
  struct Case {
    std::string order, width, want_order, want_width;
  } cases[] = {
      {"1,2,3", "10,20,30", "25,1,2,3", "20,10,20,30"},
      {"7,-1,2", "5,6,7", "7,25,-1,2", "5,20,6,7"},
      {"1,-25,3", "10,20,30", "1,-25,3", "10,20,30"},  // already has the column
      {"2,3", "10,20", "2,3", "10,20"},                // no column 1: nothing changes
      {"", "", "", ""},
      {"1,x", "10,20", "1,x", "10,20"},  // unreadable: left alone
  };
  for (const auto& c : cases) {
    TOptionsList s;
    s.SetString("Sites List Order", c.order);
    s.SetString("Sites List Width", c.width);
    MigrateSitesColumnOrder(s);
    EXPECT_EQ(s.GetString("Sites List Order"), c.want_order) << c.order;
    EXPECT_EQ(s.GetString("Sites List Width"), c.want_width) << c.order;
  }
}

}  // namespace
}  // namespace quillora
