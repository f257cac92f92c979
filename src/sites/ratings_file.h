// The two files that carry the sites' ratings: "Ratings.dat" of a site database (checked by its
// CRC-32) and the ratings exchange file users pass between installations. Reading and writing
// them needs nothing beyond the foundation, so whatever serves a database can do it too.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/option_list.h"

namespace quillora {

// --- "Ratings.dat"

// A ratings file after its check.
struct TRatingsFile {
  TOptionsList ratings;  // UIN=rating lines
  bool has_general = false;
};
// Parses a ratings file text. With a "General" section the "Ratings" section must exist and its
// CRC-32 (lines each followed by CR LF) must equal the stored "CRC" as a non-negative signed
// 32-bit number; otherwise std::runtime_error "Page ranks file is corrupted.". A "CRC" that is
// not an integer raises its own conversion message. Without "General" the text is plain
// "UIN=rating" lines, taken unchecked.
TRatingsFile ReadRatingsText(std::string_view text);
// The text of a ratings file as the vendor writes it, CRC as a signed number (so a checksum of
// 2^31 or more comes out negative and is refused by ReadRatingsText).
std::string MakeRatingsText(const TOptionsList& ratings, const std::string& date);

// --- The ratings exchange file: one "UIN,rating,name" line per site between two banners

inline constexpr const char* kRatingsBegin = "*** Begin of Quillora ratings ***";
inline constexpr const char* kRatingsEnd = "*** End of Quillora ratings ***";

// One site's line; the name is written as it is, commas and all.
std::string RatingsExchangeLine(std::string_view uin, std::string_view rating,
                                std::string_view name);
// The lines between the banners; empty when either banner is missing.
std::vector<std::string> RatingsImportLines(std::vector<std::string> lines);

struct TRatingsExchangeEntry {
  std::string uin;     // the text before the first comma
  std::string rating;  // the text between the first and the second comma (or the end)
};
// The UIN and rating of one line between the banners; none when either is empty.
std::optional<TRatingsExchangeEntry> ReadRatingsExchangeLine(std::string_view line);

}  // namespace quillora
