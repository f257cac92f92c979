#include "sites/ratings_file.h"

#include <cstdint>
#include <stdexcept>

#include "foundation/encoding.h"

namespace quillora {

TRatingsFile ReadRatingsText(std::string_view text) {
  TRatingsFile result;
  TMultiOptions tree;
  tree.SetText(text);
  const TOptionsList* general = tree.FindSection("General");
  if (!general) {
    result.ratings.SetText(text);
    return result;
  }
  result.has_general = true;
  const TOptionsList* ratings = tree.FindSection("Ratings");
  // The stored checksum is a signed 32-bit number: a CRC of 2^31 or more can never match it.
  const int stored = general->GetInt("CRC");
  if (!ratings || stored < 0 || static_cast<uint32_t>(stored) != Crc32(ratings->Text()))
    throw std::runtime_error("Page ranks file is corrupted.");
  result.ratings = *ratings;
  return result;
}

std::string MakeRatingsText(const TOptionsList& ratings, const std::string& date) {
  TMultiOptions tree;
  TOptionsList& general = tree.Section("General");
  general.SetString("Date", date);
  // Written as the signed 32-bit number the reader compares with.
  general.AddLine("CRC=" + std::to_string(static_cast<int32_t>(Crc32(ratings.Text()))));
  tree.Section("Ratings").MutableLines() = ratings.Lines();
  return tree.Text();
}

std::string RatingsExchangeLine(std::string_view uin, std::string_view rating,
                                std::string_view name) {
  std::string line;
  line.reserve(uin.size() + rating.size() + name.size() + 2);
  line.append(uin).append(",").append(rating).append(",").append(name);
  return line;
}

std::vector<std::string> RatingsImportLines(std::vector<std::string> lines) {
  size_t first = 0;
  while (first < lines.size() && lines[first] != kRatingsBegin) ++first;
  size_t last = lines.size();
  while (last > first + 1 && lines[last - 1] != kRatingsEnd) --last;
  if (first >= lines.size() || last <= first + 1) return {};
  return std::vector<std::string>(lines.begin() + static_cast<long>(first) + 1,
                                  lines.begin() + static_cast<long>(last) - 1);
}

std::optional<TRatingsExchangeEntry> ReadRatingsExchangeLine(std::string_view line) {
  const size_t c1 = line.find(',');
  if (c1 == std::string_view::npos || c1 == 0) return std::nullopt;
  const size_t c2 = line.find(',', c1 + 1);
  TRatingsExchangeEntry entry;
  entry.uin = line.substr(0, c1);
  entry.rating =
      line.substr(c1 + 1, c2 == std::string_view::npos ? std::string_view::npos : c2 - c1 - 1);
  if (entry.rating.empty()) return std::nullopt;
  return entry;
}

}  // namespace quillora
