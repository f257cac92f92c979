#include "cli/cli_ui.h"

#include <cctype>
#include <iostream>
#include <string>

#include "foundation/text_utils.h"

namespace quillora::cli {

TCliUserInterface::TCliUserInterface(std::istream& in, std::ostream& err, Answer answer,
                                     bool interactive)
    : in_(in), err_(err), answer_(answer), interactive_(interactive) {}

std::string TCliUserInterface::OneLine(const std::string& text) const {
  // Message boxes break lines with CR; on a terminal each becomes a line of its own.
  return ReplaceAll(ReplaceAll(ReplaceAll(text, "\r\n", "\n"), "\r", "\n"), "\n\n", "\n");
}

void TCliUserInterface::DoShowMessage(TMessageKind kind, const std::string& text) {
  const char* prefix = kind == TMessageKind::Error     ? "error: "
                       : kind == TMessageKind::Warning ? "warning: "
                                                       : "info: ";
  err_ << prefix << OneLine(text) << std::endl;
}

char TCliUserInterface::Ask(const std::string& text, const std::string& choices) {
  err_ << OneLine(text) << " [" << choices << "] " << std::flush;
  std::string line;
  if (!std::getline(in_, line)) return 0;
  std::string t = Trim(line);
  return t.empty() ? 0 : static_cast<char>(std::tolower(static_cast<unsigned char>(t[0])));
}

bool TCliUserInterface::DoAskYesNo(const std::string& text) {
  if (answer_ != Answer::Ask) return answer_ == Answer::Yes;
  if (!interactive_) {
    err_ << "note: " << OneLine(text) << " -> No (no terminal; use --yes or --no)" << std::endl;
    return false;
  }
  return Ask(text, "y/n") == 'y';
}

TYesNoCancel TCliUserInterface::DoAskYesNoCancel(const std::string& text) {
  if (answer_ != Answer::Ask) return answer_ == Answer::Yes ? TYesNoCancel::Yes : TYesNoCancel::No;
  if (!interactive_) {
    err_ << "note: " << OneLine(text) << " -> Cancel (no terminal; use --yes or --no)" << std::endl;
    return TYesNoCancel::Cancel;
  }
  char c = Ask(text, "y/n/c");
  return c == 'y' ? TYesNoCancel::Yes : c == 'n' ? TYesNoCancel::No : TYesNoCancel::Cancel;
}

TYesNoAll TCliUserInterface::DoAskYesNoAll(const std::string& text) {
  if (answer_ != Answer::Ask)
    return answer_ == Answer::Yes ? TYesNoAll::YesToAll : TYesNoAll::NoToAll;
  if (!interactive_) {
    err_ << "note: " << OneLine(text) << " -> No (no terminal; use --yes or --no)" << std::endl;
    return TYesNoAll::No;
  }
  char c = Ask(text, "y/n/a=yes to all/o=no to all");
  return c == 'y'   ? TYesNoAll::Yes
         : c == 'a' ? TYesNoAll::YesToAll
         : c == 'o' ? TYesNoAll::NoToAll
                    : TYesNoAll::No;
}

bool TCliUserInterface::DoAskRetry(const std::string& text) {
  // --yes means Retry; anything unattended aborts, so a script never loops forever.
  if (answer_ != Answer::Ask) return answer_ == Answer::Yes;
  if (!interactive_) {
    err_ << "note: " << OneLine(text) << " -> Abort (no terminal)" << std::endl;
    return false;
  }
  return Ask(text + "\rAbort or Retry?", "a/r") == 'r';
}

bool TCliUserInterface::DoOpenFileDialog(const std::string&, const std::string&,
                                         std::string& path) {
  if (open_path.empty()) return false;
  path = open_path;
  return true;
}

bool TCliUserInterface::DoSaveFileDialog(const std::string&, const std::string&,
                                         std::string& path) {
  if (save_path.empty()) return false;
  path = save_path;
  return true;
}

bool TCliUserInterface::DoSelectFolderDialog(const std::string&, std::string& path) {
  if (folder_path.empty()) return false;
  path = folder_path;
  return true;
}

bool TCliUserInterface::DoInputText(const std::string& title, const std::string& prompt,
                                    std::string& value) {
  if (!interactive_ || answer_ != Answer::Ask)
    return answer_ == Answer::Yes;  // keep the proposed value
  err_ << title << ": " << prompt << " [" << value << "] " << std::flush;
  std::string line;
  if (!std::getline(in_, line)) return false;
  if (!line.empty()) value = line;
  return true;
}

bool TCliUserInterface::DoCheckList(const std::string&, const std::vector<std::string>&,
                                    std::vector<bool>&) {
  // Unattended, the proposed ticks stand when the user said --yes.
  return answer_ == Answer::Yes;
}

bool TCliUserInterface::DoOpenDocument(const std::string& path_or_url) {
  err_ << "info: open " << path_or_url << std::endl;
  return true;
}

}  // namespace quillora::cli
