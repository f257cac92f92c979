// The character sets of web pages: which one a reply is written in, decoding it for the page
// parser, and encoding form values into the set a form is submitted in (ICU underneath).
#pragma once

#include <string>
#include <string_view>

namespace quillora {

// The canonical name of a character set ICU knows ("UTF-8", "windows-1251", ...); empty for an
// unknown or empty name.
std::string KnownCharset(std::string_view name);

// The "charset" parameter of a Content-Type value; empty when there is none.
std::string CharsetOfContentType(std::string_view content_type);

// The set a page declares in its first kilobytes: <meta charset> or an http-equiv Content-Type.
std::string DeclaredCharset(std::string_view html);

// The set a reply is read in: its Content-Type's, else the page's declaration, else UTF-8 when
// the bytes are valid UTF-8, else windows-1252 (what browsers assume for such pages). Always a
// known set.
std::string ReplyCharset(std::string_view content_type, std::string_view body);

// The bytes in `charset` as UTF-8; undecodable bytes become U+FFFD.
std::string DecodeToUtf8(std::string_view bytes, std::string_view charset);

// Wide text in `charset`; a character the set cannot hold is written as a decimal character
// reference ("&#1078;"), as browsers send it.
std::string EncodeWide(std::u16string_view text, std::string_view charset);

}  // namespace quillora
