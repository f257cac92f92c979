// The report export: the options dialog that picks and orders the report's columns, then the
// file, the report written through the core's report builder and opened.
#pragma once

#include <QDialog>

#include "report/report.h"

class QCheckBox;
class QListWidget;
class QPushButton;

namespace quillora::app {

// "Report options": the columns as a check list in report order, Up/Down, "Total", "Save".
class TdlgReportOptions : public QDialog {
  Q_OBJECT
 public:
  TdlgReportOptions(TReportData& report, QWidget* parent = nullptr);

  QListWidget* List() const { return list_; }
  QCheckBox* Total() const { return total_; }
  QPushButton* SaveButton() const { return save_; }
  // Moves the current row up (-1) or down (+1).
  void MoveCurrent(int by);

 protected:
  void accept() override;

 private:
  TReportData& data_;
  QListWidget* list_;
  QCheckBox* total_;
  QPushButton* save_;
};

// "Export Report": the options, the file, then the report of the active product over the sites
// in the Sites view's order, written and opened.
void RunReportExport(QWidget* parent);

}  // namespace quillora::app
