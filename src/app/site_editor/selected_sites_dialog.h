// The selected-sites dialog ("Properties" of the sites view): one change to the active product's
// values, the categories, rating, disabled flag and custom-set membership of every selected site.
// Every field starts unchanged, and an unchanged field writes nothing.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "submit/selected_sites_change.h"

class QCheckBox;
class QComboBox;
class QItemSelectionModel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace quillora {
class TCustomSet;
class TWebSite;
}  // namespace quillora

namespace quillora::app {

class TSitesModel;

class TfrmAllSitesProperties : public QDialog {
  Q_OBJECT
 public:
  // set: the custom set chosen in the sites view (its box is shown only then).
  TfrmAllSitesProperties(const std::vector<std::string>& categories, TCustomSet* set,
                         const QString& set_name, QWidget* parent = nullptr);
  // The change as the fields now stand.
  TSelectedSitesChange Change() const;
  // An override state chosen from the button's menu, with its comment ("" for none).
  void ChooseOverride(const std::string& state, const std::string& comment);

 private:
  void MarkFields();

  QLineEdit* version_listed_;
  QLineEdit* version_submitted_;
  QLineEdit* date_submitted_;
  QComboBox* search_flag_;
  QPlainTextEdit* company_notes_;
  QPlainTextEdit* product_notes_;
  QComboBox* categories_[4];
  QLineEdit* rating_;
  QCheckBox* disabled_;
  QCheckBox* member_;
  QPushButton* override_;
  QPushButton* apply_;
};

// The sites of the selected rows of a sites grid, in the order they were selected.
std::vector<TWebSite*> SelectedSites(const QItemSelectionModel* selection,
                                     const TSitesModel* model);

// Applies the dialog's change to `sites` when the user chooses "Apply" and writes the profile
// back; true when applied. The caller then refreshes the sites view in full when the setting
// "Filter Show Apply Button" is FALSE, and shows the current custom set's tick boxes again.
bool EditSelectedSites(QWidget* parent, const std::vector<TWebSite*>& sites,
                       const std::vector<std::string>& categories, TCustomSet* set = nullptr,
                       const QString& set_name = {});

}  // namespace quillora::app
