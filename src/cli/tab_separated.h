// Tab-separated output of quillora-cli: one line per row, cells between tabs, so a cell's own
// line breaks, tabs and backslashes are written as escapes.
#pragma once

#include <string>

namespace quillora::cli {

// CR, LF and TAB as "\r", "\n" and "\t", a backslash doubled; every other byte as it is.
std::string EscapeCell(const std::string& text);

}  // namespace quillora::cli
