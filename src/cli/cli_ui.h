// The command line's user-interface port: messages on stderr, questions answered by --yes/--no,
// asked on a terminal, or given their safe answer.
#pragma once

#include <iosfwd>

#include "foundation/ui_port.h"

namespace quillora::cli {

class TCliUserInterface : public TUserInterface {
 public:
  enum class Answer { Ask, Yes, No };
  TCliUserInterface(std::istream& in, std::ostream& err, Answer answer, bool interactive);

  void SetAnswer(Answer answer) { answer_ = answer; }

  void ShowMessage(TMessageKind kind, const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
  TYesNoCancel AskYesNoCancel(const std::string& text) override;
  TYesNoAll AskYesNoAll(const std::string& text) override;
  bool AskRetry(const std::string& text) override;
  bool OpenFileDialog(const std::string& title, const std::string& filter,
                      std::string& path) override;
  bool SaveFileDialog(const std::string& title, const std::string& filter,
                      std::string& path) override;
  bool SelectFolderDialog(const std::string& title, std::string& path) override;
  bool InputText(const std::string& title, const std::string& prompt, std::string& value) override;
  bool CheckList(const std::string& title, const std::vector<std::string>& items,
                 std::vector<bool>& checked) override;
  bool OpenDocument(const std::string& path_or_url) override;
  void SetClipboardText(const std::string& text) override { clipboard_ = text; }
  std::string ClipboardText() override { return clipboard_; }

  // Paths the dialogs answer with (from command options); empty: the dialog is cancelled.
  std::string open_path, save_path, folder_path;

 private:
  // Asks on the terminal; returns the first letter typed (lower-case) or 0 at end of input.
  char Ask(const std::string& text, const std::string& choices);
  std::string OneLine(const std::string& text) const;

  std::istream& in_;
  std::ostream& err_;
  Answer answer_;
  bool interactive_;
  std::string clipboard_;
};

}  // namespace quillora::cli
