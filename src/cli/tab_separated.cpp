#include "cli/tab_separated.h"

namespace quillora::cli {

std::string EscapeCell(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    switch (ch) {
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        out += ch;
    }
  }
  return out;
}

}  // namespace quillora::cli
