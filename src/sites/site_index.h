// The site index ("Index.dat") that describes a site database as a whole, and its short form
// "version.dat": reading the entries of an index and writing both files. It needs nothing beyond
// the foundation, so whatever serves a database can read and write it too.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/option_list.h"

namespace quillora {

// One "Sites" line of an index: UIN, last contributed, file name, checksum.
struct TIndexEntry {
  std::string uin;
  std::string last_contributed;
  std::string file_name;  // without folder
  uint32_t checksum = 0;  // FileChecksum of the site file
};

// Reads an index ("Index.dat") text: the "General" section into general, the "Sites" lines into
// the result. Text without a "Sites" section is an older index made of "Sites" lines only. Lines
// with fewer than four fields or a checksum that is not a number are skipped.
std::vector<TIndexEntry> ReadSiteIndex(std::string_view text, TOptionsList* general = nullptr);

// An index being rewritten, as the export of a database writes it.
class TSiteIndexWriter {
 public:
  // present: the text of the index it replaces, when there is one. Its sections are kept as they
  // were (an older index without a "Sites" section is taken whole as the "Sites" lines);
  // "General" gets "Build" and "Exported", and the "Sites" lines start empty.
  TSiteIndexWriter(const std::optional<std::string>& present, std::string_view build,
                   std::string_view exported);

  // Appends the entry's "Sites" line: UIN "," last contributed "," file name "," checksum.
  void Add(const TIndexEntry& entry);

  // The "Index.dat" text.
  std::string IndexText() const { return tree_.Text(); }
  // The "version.dat" text: the "Build" and "Exported" lines alone, without a section header.
  std::string VersionText() const;

 private:
  TMultiOptions tree_;
};

}  // namespace quillora
