// The process's "system code page": the single-byte code page stored texts are written in,
// with conversions, case mapping and locale-aware comparisons (ICU underneath).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillora {

// Chooses the code page once: QUILLORA_CODEPAGE (e.g. "1252") if set, else by the user's locale
// language (1251 for ru/uk/be/bg/sr, 1250 for Central European languages, 1252 otherwise).
// Called lazily by everything below; calling it again re-reads the environment (tests).
void InitSystemCodePage();
int SystemCodePage();            // e.g. 1252
void SetSystemCodePage(int cp);  // for tests: 1250, 1251 or 1252

// Conversions between the code page and UTF-16. Unmappable characters become '?'.
std::u16string AnsiToWide(std::string_view s);
std::string WideToAnsi(std::u16string_view s);
std::string AnsiToUtf8(std::string_view s);
std::string Utf8ToAnsi(std::string_view s);  // invalid UTF-8 bytes become '?'

// Byte-wise case mapping in the code page (the locale's rules for single characters).
char AnsiUpperChar(char c);
char AnsiLowerChar(char c);
std::string AnsiUpperCase(std::string_view s);
std::string AnsiLowerCase(std::string_view s);
// The 256-byte upper-case table of the current code page, for scanning loops that must not pay
// a call per byte. Tables are never freed; after a switch of code page it still reads the old one.
const unsigned char* AnsiUpperTable();
// Case-insensitive equality in the code page (the rule option-list keys are looked up by).
bool SameText(std::string_view a, std::string_view b);

// Locale collation of code-page text: -1, 0 or 1.
int AnsiCompareStr(std::string_view a, std::string_view b);
int AnsiCompareText(std::string_view a, std::string_view b);  // ignoring case

// UTF-8 <-> UTF-16 as stored texts use them (see the .cpp for the exact, lenient rules):
// an invalid sequence makes Utf8ToWide fall back to the code page for the whole input.
std::u16string Utf8ToWide(std::string_view s);
std::string WideToUtf8(std::u16string_view s);
// Strict UTF-8 (no overlong forms, no surrogates, four-byte sequences allowed), as HTML parsers
// want it.
bool IsValidUtf8(std::string_view s);
// Strict UTF-8 to UTF-16 with surrogate pairs; an invalid byte becomes U+FFFD.
std::u16string Utf8ToWideStrict(std::string_view s);
// One strict UTF-8 sequence at s[i] (i < s.size()): its code point, with i moved past it; -1
// for a byte that starts no valid sequence, with i moved past that one byte.
int32_t NextUtf8CodePoint(std::string_view s, size_t& i);
// Appends a code point (up to U+10FFFF) in strict UTF-8, four-byte forms included.
void AppendUtf8(std::string& out, char32_t cp);
// True when Utf8ToWide would decode s as UTF-8 (no fallback).
bool IsUtf8Decodable(std::string_view s);

std::u16string WideUpperCase(std::u16string_view s);
std::u16string WideLowerCase(std::u16string_view s);
// Locale comparisons of wide text: -1, 0 or 1.
int WideCompare(std::u16string_view a, std::u16string_view b);
int WideCompareText(std::u16string_view a, std::u16string_view b);
int WideCompareTextN(std::u16string_view a, std::u16string_view b, size_t n);

}  // namespace quillora
