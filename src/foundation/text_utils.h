// Small text helpers shared by many parts of the program. Positions are 1-based; 0 = not found.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillora {

bool ContainsText(std::string_view s, std::string_view sub);
bool ContainsAnyText(std::string_view s, const std::vector<std::string>& lines);
size_t PosFrom(std::string_view sub, std::string_view s, size_t from, bool case_sensitive);
size_t LastPosBefore(std::string_view sub, std::string_view s, size_t pos, bool case_sensitive);
int CountOccurrences(std::string_view sub, std::string_view s, size_t& last_pos);
std::string ReplaceAll(std::string_view s, std::string_view old_text, std::string_view new_text);
std::string ReplaceAllText(std::string_view s, std::string_view old_text,
                           std::string_view new_text);
std::string CollapseSpaces(std::string_view s);
std::string StripElementText(std::string_view s, std::string_view marker,
                             std::string_view closing_tag, std::string_view opening_tag,
                             bool case_sensitive);
std::string ReverseBytes(std::string_view s);

// Splitting at separators: a part ends at every separator (and at the end of the text); what
// becomes of empty parts and of blanks around a part is the caller's choice.
enum class TSplitMode {
  KeepEmpty,      // every part, empty ones too ("" gives one empty part)
  DropEmpty,      // the non-empty parts
  TrimDropEmpty,  // each part trimmed (Trim), then the non-empty ones
};
std::vector<std::string> SplitAt(std::string_view s, char separator, TSplitMode mode);
// The same where any byte of `separators` ends a part.
std::vector<std::string> SplitAtAny(std::string_view s, std::string_view separators,
                                    TSplitMode mode);
// The n-th part (from 0) of KeepEmpty splitting; empty beyond the last.
std::string NthField(std::string_view s, int n, char separator);
// The number of KeepEmpty parts, except that an empty text has none.
int CountFields(std::string_view s, char separator);
std::string NormalizeName(std::string_view s);

// Splits text into lines at CR, LF or CR LF (each ends one line); a NUL ends the text; a final
// line without a line end is kept; no empty line after a final line end.
std::vector<std::string> SplitLines(std::string_view text);
// Each line followed by CR LF.
std::string JoinLines(const std::vector<std::string>& lines);
std::string Trim(std::string_view s);  // bytes <= 32 at both ends
// Decimal integer: optional leading blanks, optional sign, digits. False when s is not a
// 32-bit integer.
bool TryStrToInt(std::string_view s, int& out);
// As TryStrToInt but throws std::invalid_argument("'<s>' is not a valid integer value").
int StrToInt(std::string_view s);

}  // namespace quillora
