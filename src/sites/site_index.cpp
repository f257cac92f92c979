#include "sites/site_index.h"

#include <algorithm>
#include <cctype>

#include "foundation/text_utils.h"

namespace quillora {

std::vector<TIndexEntry> ReadSiteIndex(std::string_view text, TOptionsList* general) {
  TMultiOptions tree;
  tree.SetText(text);
  std::vector<std::string> lines;
  if (const TOptionsList* sites = tree.FindSection("Sites")) {
    lines = sites->Lines();
    if (general) {
      if (const TOptionsList* g = tree.FindSection("General")) *general = *g;
    }
  } else {
    lines = SplitLines(text);
  }
  std::vector<TIndexEntry> entries;
  for (const std::string& line : lines) {
    const size_t c1 = line.find(',');
    if (c1 == std::string::npos) continue;
    const size_t c2 = line.find(',', c1 + 1);
    const size_t c3 = line.rfind(',');
    if (c2 == std::string::npos || c3 <= c2) continue;
    const std::string sum = Trim(std::string_view(line).substr(c3 + 1));
    if (sum.empty() || sum.size() > 10 || !std::all_of(sum.begin(), sum.end(), ::isdigit)) continue;
    const unsigned long long value = std::stoull(sum);
    if (value > 0xFFFFFFFFull) continue;
    TIndexEntry e;
    e.uin = line.substr(0, c1);
    e.last_contributed = line.substr(c1 + 1, c2 - c1 - 1);
    e.file_name = line.substr(c2 + 1, c3 - c2 - 1);
    e.checksum = static_cast<uint32_t>(value);
    entries.push_back(std::move(e));
  }
  return entries;
}

TSiteIndexWriter::TSiteIndexWriter(const std::optional<std::string>& present,
                                   std::string_view build, std::string_view exported) {
  if (present) {
    tree_.SetText(*present);
    if (!tree_.FindSection("Sites")) tree_.Section("Sites").SetText(*present);
  }
  TOptionsList& general = tree_.Section("General");
  general.SetString("Build", build);
  general.SetString("Exported", exported);
  tree_.Section("Sites").Clear();
}

void TSiteIndexWriter::Add(const TIndexEntry& entry) {
  // Raw lines: an index is read line by line, never as "key=value" pairs.
  tree_.Section("Sites").AddLine(entry.uin + "," + entry.last_contributed + "," + entry.file_name +
                                 "," + std::to_string(entry.checksum));
}

std::string TSiteIndexWriter::VersionText() const {
  const TOptionsList* general = tree_.FindSection("General");
  TOptionsList version;
  version.AddLine("Build=" + general->GetString("Build"));
  version.AddLine("Exported=" + general->GetString("Exported"));
  return version.Text();
}

}  // namespace quillora
