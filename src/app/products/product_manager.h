// The Products page: the companies and products on record, the active product marked; a product
// is made active, exported as a PAD file or deleted from here.
#pragma once

#include <QWidget>
#include <string>

class QListWidget;
class QPushButton;

namespace quillora::app {

class TfraProductMan : public QWidget {
  Q_OBJECT
 public:
  explicit TfraProductMan(QWidget* parent = nullptr);
  // The lists afresh from the records.
  void Refresh();
  // The product of the chosen row ("" when none).
  std::string ChosenProduct() const;
  void UseChosen();
  void DeleteChosen();
  void ExportChosen();
  // The product editor on the chosen product; true when it was saved.
  bool EditChosen();

 signals:
  // Another product became the active one.
  void productChanged();

 private:
  QListWidget* companies_;
  QListWidget* products_;
  QPushButton* use_;
  QPushButton* edit_;
  QPushButton* delete_;
  QPushButton* export_;
};

}  // namespace quillora::app
