// TemplatizeText: the inverse of expansion, used when a typed form value is captured as a rule.
#include <algorithm>

#include "foundation/codepage.h"
#include "template/template.h"

namespace quillora {

namespace {

struct Candidate {
  std::string value;  // decoded, in the code page
  std::string placeholder;
};

}  // namespace

std::u16string TemplatizeText(std::string_view text, const TOptionsList& values) {
  std::vector<Candidate> candidates;
  for (const std::string& line : values.Lines()) {
    size_t eq = line.find('=');
    if (eq == std::string::npos || eq == 0) continue;
    std::string value = WideToAnsi(Utf8ToWide(DecodeValue(std::string_view(line).substr(eq + 1))));
    if (value.size() < 2) continue;
    // A stored name may hold blanks, which the look-up reads as "_"; a blank would end the key
    // in the placeholder, so it is written the way it is looked up.
    std::string name = line.substr(0, eq);
    std::replace(name.begin(), name.end(), ' ', '_');
    candidates.push_back({std::move(value), "|" + name + "|"});
  }
  // Longest first; among equally long values the one earlier in the list.
  std::stable_sort(
      candidates.begin(), candidates.end(),
      [](const Candidate& a, const Candidate& b) { return a.value.size() > b.value.size(); });

  // Each part is searched for the longest value, which splits it into a part before, the
  // placeholder and a part after; the parts are handled alike. An explicit stack keeps long
  // texts off the call stack: entries are parts still to search or finished output. A value
  // missing from a part is missing from its pieces too, so the pieces resume the search at the
  // value that split them.
  struct Piece {
    std::string_view part;
    const std::string* literal;  // finished output when set
    size_t first_candidate;
  };
  std::string out;
  std::vector<Piece> stack{{text, nullptr, 0}};
  while (!stack.empty()) {
    Piece piece = stack.back();
    stack.pop_back();
    if (piece.literal != nullptr) {
      out += *piece.literal;
      continue;
    }
    std::string_view part = piece.part;
    size_t hit = candidates.size();
    size_t at = std::string_view::npos;
    if (part.size() >= 2) {
      for (size_t i = piece.first_candidate; i < candidates.size(); ++i) {
        if (candidates[i].value.size() > part.size()) continue;
        at = part.find(candidates[i].value);
        if (at != std::string_view::npos) {
          hit = i;
          break;
        }
      }
    }
    if (hit == candidates.size()) {
      out += part;
      continue;
    }
    const Candidate& c = candidates[hit];
    stack.push_back({part.substr(at + c.value.size()), nullptr, hit});
    stack.push_back({{}, &c.placeholder, 0});
    stack.push_back({part.substr(0, at), nullptr, hit});
  }
  return AnsiToWide(out);
}

}  // namespace quillora
