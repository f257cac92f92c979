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

  // Paths the dialogs answer with (from command options); empty: the dialog is cancelled.
  std::string open_path, save_path, folder_path;

 protected:
  void DoShowMessage(TMessageKind kind, const std::string& text) override;
  bool DoAskYesNo(const std::string& text) override;
  TYesNoCancel DoAskYesNoCancel(const std::string& text) override;
  TYesNoAll DoAskYesNoAll(const std::string& text) override;
  bool DoAskRetry(const std::string& text) override;
  bool DoOpenFileDialog(const std::string& title, const std::string& filter,
                        std::string& path) override;
  bool DoSaveFileDialog(const std::string& title, const std::string& filter,
                        std::string& path) override;
  bool DoSelectFolderDialog(const std::string& title, std::string& path) override;
  bool DoInputText(const std::string& title, const std::string& prompt,
                   std::string& value) override;
  bool DoCheckList(const std::string& title, const std::vector<std::string>& items,
                   std::vector<bool>& checked) override;
  bool DoOpenDocument(const std::string& path_or_url) override;
  void DoSetClipboardText(const std::string& text) override { clipboard_ = text; }
  std::string DoClipboardText() override { return clipboard_; }

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
