#include "template/template_values.h"

#include <algorithm>

namespace quillora {

namespace {

inline char Fold(char c) {
  return c == ' ' ? '_' : c;
}

std::string Folded(std::string_view s) {
  std::string out(s);
  std::replace(out.begin(), out.end(), ' ', '_');
  return out;
}

// The first n bytes of a and b are equal with blanks read as "_". Compared from the end: names
// of one section share long beginnings.
bool FoldedEqual(const char* a, const char* b, size_t n) {
  while (n > 0) {
    --n;
    if (a[n] != b[n] && Fold(a[n]) != Fold(b[n])) return false;
  }
  return true;
}

}  // namespace

void TTemplateValues::Count() {
  if (!indexed_ && ++lookups_ > kIndexAfter) BuildIndex();
}

void TTemplateValues::BuildIndex() {
  const auto& lines = list_.Lines();
  index_.clear();
  index_.reserve(lines.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    size_t eq = line.find('=');
    if (eq == std::string::npos || eq == 0) continue;
    index_.try_emplace(Folded(std::string_view(line).substr(0, eq)), static_cast<int>(i));
  }
  indexed_ = true;
}

int TTemplateValues::Find(std::string_view key, std::string_view& raw) {
  // A name ends at the first "=", so a key holding one can never match.
  if (key.empty() || key.find('=') != std::string_view::npos) return -1;
  Count();
  const auto& lines = list_.Lines();
  const size_t k = key.size();
  if (indexed_) {
    // Looked up through one buffer: a lookup runs for every placeholder of every template.
    folded_.assign(key);
    std::replace(folded_.begin(), folded_.end(), ' ', '_');
    auto it = index_.find(folded_);
    if (it == index_.end()) return -1;
    raw = std::string_view(lines[static_cast<size_t>(it->second)]).substr(k + 1);
    return it->second;
  }
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.size() <= k || line[k] != '=') continue;
    if (FoldedEqual(line.data(), key.data(), k)) {
      raw = std::string_view(line).substr(k + 1);
      return static_cast<int>(i);
    }
  }
  return -1;
}

// Only description keys whose language is missing get here, so a scan is enough.
bool TTemplateValues::HasNameStartingWith(std::string_view prefix, int from) {
  if (prefix.find('=') != std::string_view::npos) return false;
  const auto& lines = list_.Lines();
  const size_t p = prefix.size();
  for (size_t i = static_cast<size_t>(std::max(from, 0)); i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.size() < p || !FoldedEqual(line.data(), prefix.data(), p)) continue;
    size_t eq = line.find('=', p);
    if (eq != std::string::npos && (p > 0 || eq > 0)) return true;
  }
  return false;
}

}  // namespace quillora
