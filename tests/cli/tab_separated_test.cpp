#include "cli/tab_separated.h"

#include <gtest/gtest.h>

namespace quillora::cli {
namespace {

TEST(TabSeparated, CellEscapesKeepEachRowOnOneLine) {
  EXPECT_EQ(EscapeCell("a\tb\\c\r\n"), "a\\tb\\\\c\\r\\n");
  EXPECT_EQ(EscapeCell("plain \xE9 text"), "plain \xE9 text");
  EXPECT_EQ(EscapeCell("\\t"), "\\\\t");  // an escape typed by the user stays told apart
}

}  // namespace
}  // namespace quillora::cli
