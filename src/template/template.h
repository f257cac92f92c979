// The template language: texts with "|expression|" parts filled from a value list (usually the
// active profile), and TemplatizeText, which turns a typed text back into such a template.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/option_list.h"

namespace quillora {

// Every caller passes this delimiter.
inline constexpr char kTemplateDelimiter = '|';

// What MAKEFILE asks the save dialog for.
struct TSaveFileRequest {
  std::string default_name;  // proposed file name
  std::string default_ext;   // extension added when the chosen name has none
  std::string filter;        // "*.<ext>|*.<ext>"
};

// Returns false when the user cancelled; otherwise path holds the chosen full file name.
using TSaveFileDialog = std::function<bool(const TSaveFileRequest& request, std::string& path)>;

struct TExpandOptions {
  // MAKEFILE's save dialog. Empty: the user-interface port's SaveFileDialog (which confirms
  // overwriting), with the default extension added to a name chosen without one.
  TSaveFileDialog save_dialog;
};

// Expands every delimited expression of text (system code page) in place. Functions work on the
// stored bytes of values; each expression's value is decoded from UTF-8 (or taken in the code
// page when it is not valid UTF-8) and inserted in the code page. Never throws on any text.
void ExpandTemplate(const TOptionsList& values, char delimiter, std::string& text,
                    std::string_view language_prefix, const TExpandOptions& options = {});

// Expands each line by itself (an expression cannot span lines; MAKEFILE takes the rest of its
// line).
void ExpandTemplateLines(const TOptionsList& values, char delimiter,
                         std::vector<std::string>& lines, std::string_view language_prefix,
                         const TExpandOptions& options = {});

// Loads source as lines, expands each line and saves the lines (CR LF) to dest. File errors
// throw std::runtime_error.
void ExpandTemplateFile(const std::string& source, const std::string& dest,
                        const TOptionsList& values, char delimiter,
                        std::string_view language_prefix, const TExpandOptions& options = {});
// As ExpandTemplateFile, but the expanded lines go to the caller's list instead of a file.
void ExpandTemplateFileToLines(const std::string& source, std::vector<std::string>& lines,
                               const TOptionsList& values, char delimiter,
                               std::string_view language_prefix,
                               const TExpandOptions& options = {});

// The same language on wide characters: text is UTF-8 in and out; values are decoded from UTF-8
// as they are looked up, LENGTH counts UTF-16 units.
void ExpandTemplateUtf8(const TOptionsList& values, char delimiter, std::string& text,
                        std::string_view language_prefix, const TExpandOptions& options = {});
// ExpandTemplateUtf8 with "|", returned as wide text.
std::u16string ExpandTemplateToWide(std::string_view utf8_template, const TOptionsList& values,
                                    std::string_view language_prefix,
                                    const TExpandOptions& options = {});

// Replaces the values of the list that occur in text (system code page) by "|Name|"
// placeholders, longest value first; returns wide text.
std::u16string TemplatizeText(std::string_view text, const TOptionsList& values);

// The language's truth: not empty and not exactly "FALSE".
inline bool IsTemplateTrue(std::string_view value) {
  return !value.empty() && value != "FALSE";
}

}  // namespace quillora
