// The Sites page's find dialog: a find text, a direction, a match-case option and "Find Next";
// it stays open while the user steps through the matches.
#pragma once

#include <QDialog>
#include <functional>

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace quillora::app {

class TdlgFindSite : public QDialog {
  Q_OBJECT
 public:
  explicit TdlgFindSite(QWidget* parent = nullptr);

  QString Text() const;
  bool Down() const;
  bool MatchCase() const;
  void SetText(const QString& text);
  void SetDown(bool down);
  void SetMatchCase(bool on);

 signals:
  void findNext();

 private:
  QLineEdit* text_ = nullptr;
  QRadioButton* up_ = nullptr;
  QRadioButton* down_ = nullptr;
  QCheckBox* match_case_ = nullptr;
};

}  // namespace quillora::app
