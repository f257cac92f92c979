// Pieces the listing-search windows share: their settings spin boxes and their log views.
#pragma once

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QSpinBox>

namespace quillora::app {

inline QSpinBox* Spin(QWidget* parent, const char* name, int low, int high, int value) {
  auto* spin = new QSpinBox(parent);
  spin->setObjectName(name);
  spin->setRange(low, high);
  spin->setValue(value);
  return spin;
}

// Read-only, unwrapped, in the fixed-pitch font: log lines line up as written.
inline QPlainTextEdit* LogView(QWidget* parent, const char* name) {
  auto* log = new QPlainTextEdit(parent);
  log->setObjectName(name);
  log->setReadOnly(true);
  log->setLineWrapMode(QPlainTextEdit::NoWrap);
  log->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  return log;
}

}  // namespace quillora::app
