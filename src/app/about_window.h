// The About window: the program's name, version and build, shown modally.
#pragma once

#include <QDialog>

namespace quillora::app {

class TfrmAbout : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmAbout(QWidget* parent = nullptr);
};

}  // namespace quillora::app
