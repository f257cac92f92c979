// The general-purpose check-list dialog ("CheckList"): a list of items with check boxes.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QListWidget;

namespace quillora::app {

class TdlgCheckListBox : public QDialog {
  Q_OBJECT
 public:
  TdlgCheckListBox(const QString& title, const std::vector<std::string>& items,
                   const std::vector<bool>& checked, QWidget* parent = nullptr);
  std::vector<bool> Checked() const;

 private:
  QListWidget* list_;
};

}  // namespace quillora::app
