#include "app/sites/find_site_dialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace quillora::app {

TdlgFindSite::TdlgFindSite(QWidget* parent) : QDialog(parent) {
  setObjectName("dlgFindSite");
  setWindowTitle("Find");
  auto* layout = new QHBoxLayout(this);
  auto* left = new QVBoxLayout;
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel("Find what:", this));
  text_ = new QLineEdit(this);
  text_->setObjectName("edFindText");
  row->addWidget(text_, 1);
  left->addLayout(row);
  auto* options = new QHBoxLayout;
  match_case_ = new QCheckBox("Match case", this);
  match_case_->setObjectName("cbMatchCase");
  options->addWidget(match_case_);
  auto* direction = new QGroupBox("Direction", this);
  auto* dir_layout = new QHBoxLayout(direction);
  up_ = new QRadioButton("Up", direction);
  up_->setObjectName("rbUp");
  down_ = new QRadioButton("Down", direction);
  down_->setObjectName("rbDown");
  down_->setChecked(true);
  dir_layout->addWidget(up_);
  dir_layout->addWidget(down_);
  options->addWidget(direction);
  left->addLayout(options);
  layout->addLayout(left, 1);
  auto* buttons = new QVBoxLayout;
  auto* next = new QPushButton("Find Next", this);
  next->setObjectName("btnFindNext");
  next->setDefault(true);
  auto* cancel = new QPushButton("Cancel", this);
  buttons->addWidget(next);
  buttons->addWidget(cancel);
  buttons->addStretch(1);
  layout->addLayout(buttons);
  connect(next, &QPushButton::clicked, this, [this] {
    if (!text_->text().isEmpty()) emit findNext();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString TdlgFindSite::Text() const {
  return text_->text();
}
bool TdlgFindSite::Down() const {
  return down_->isChecked();
}
bool TdlgFindSite::MatchCase() const {
  return match_case_->isChecked();
}
void TdlgFindSite::SetText(const QString& text) {
  text_->setText(text);
}
void TdlgFindSite::SetDown(bool down) {
  (down ? down_ : up_)->setChecked(true);
}
void TdlgFindSite::SetMatchCase(bool on) {
  match_case_->setChecked(on);
}

}  // namespace quillora::app
