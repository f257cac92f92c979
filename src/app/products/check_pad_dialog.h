// The "Check PAD" dialog: the PAD check of the active profile, one coloured log line per key
// (normal, blue notices, red errors) and the last icon or screenshot fetched.
#pragma once

#include <QDialog>

#include "pad/pad_check.h"

class QLabel;
class QPushButton;
class QTextEdit;

namespace quillora::app {

class TdlgCheckPAD : public QDialog {
  Q_OBJECT
 public:
  explicit TdlgCheckPAD(QWidget* parent = nullptr);

  // "Start": clears the log and checks every key of the active profile.
  void Start();
  QTextEdit* Log() const { return log_; }
  QLabel* Picture() const { return picture_; }
  QPushButton* StartButton() const { return start_; }
  // The lines of the last run, with their colours.
  const std::vector<TPadLogLine>& Lines() const { return lines_; }

 private:
  void AddLine(const TPadLogLine& line);
  void ShowPicture(const std::string& file);

  QTextEdit* log_ = nullptr;
  QLabel* picture_ = nullptr;
  QPushButton* start_ = nullptr;
  std::vector<TPadLogLine> lines_;
  bool running_ = false;
};

}  // namespace quillora::app
