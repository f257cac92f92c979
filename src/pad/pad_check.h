// The PAD check: every company and product key of the active profile looked at once, with one
// coloured log line per key (empty values, the icon's format and size, the main download's size,
// the product name on its web pages, the price on the order page, e-mail addresses).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "foundation/option_list.h"

namespace quillora {

enum class TPadLogColor { Normal, Notice, Error };  // normal, blue, red

struct TPadLogLine {
  TPadLogColor color = TPadLogColor::Normal;
  std::string text;
  bool operator==(const TPadLogLine&) const = default;
};

// Fetches url into file; empty text on success, otherwise the transfer's result text. The
// program passes its transfer layer (the check itself knows no network).
using TPadDownload = std::function<std::string(const std::string& url, const std::string& file)>;

struct TPadCheckHooks {
  TPadDownload download;
  // The folder of the scratch files ("temp" + the address's extension, "temp.tmp").
  std::string temp_folder;
  // Where the main download goes: the path, or empty when the user declined. Empty hook: the
  // Yes/No question "Download "<url>" ?" and the save dialog "Download Application".
  std::function<std::string(const std::string& url, const std::string& proposed_name)>
      choose_download_file;
  // A fetched picture that loaded (the dialog shows it).
  std::function<void(const std::string& file)> show_picture;
  // Each line as it is written.
  std::function<void(const TPadLogLine&)> on_line;
};

// Whether the check writes nothing for the key (case-insensitive).
bool IsPadCheckSkippedKey(const std::string& key);
// The extension of an address as the scratch file takes it: from the last dot on, unless a
// path delimiter or a colon follows that dot.
std::string UrlExtension(const std::string& url);

// Checks every key of the namespace sections "Company" and "Product", in their order, against
// the values of profile; returns the log.
std::vector<TPadLogLine> RunPadCheck(const TOptionsList& profile, const TMultiOptions& name_space,
                                     const TPadCheckHooks& hooks);

}  // namespace quillora
