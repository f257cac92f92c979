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

std::string NthField(std::string_view s, int n, char separator);
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
