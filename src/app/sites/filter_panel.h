// The Sites page's filter panel: the simple filter (use filter, category, language, status,
// search words, rating range, disabled sites), saved filters, and the custom sets whose members
// the grid shows unticked.
#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace quillora {
class TCustomSet;
struct TSiteChoiceLists;
}  // namespace quillora

namespace quillora::app {

class TSiteFilterPanel : public QWidget {
  Q_OBJECT
 public:
  explicit TSiteFilterPanel(QWidget* parent = nullptr);

  // Fills the controls from the process's filter and the known categories and languages.
  void LoadFromFilter(const TSiteChoiceLists& known);
  // Writes the controls into the process's filter.
  void StoreToFilter();
  // "Apply": the controls into the filter, then `applied`.
  void Apply();
  // The chosen custom set; nullptr for "None".
  TCustomSet* CurrentSet() const;
  void FillSetChoice();
  // Offers a set made elsewhere (the login import's) in the set choice, keeping the choice.
  void AddSetChoice(const std::string& name);
  // The advanced part (the custom sets) shown or hidden.
  void SetAdvanced(bool on);
  bool Advanced() const;
  void FillSavedFilters();

  // The UINs of the grid's selected sites (for "Add selected sites" and "Invert selected").
  std::function<std::vector<std::string>()> selected_uins;

 signals:
  // The filter changed and should be applied to the list.
  void applied();
  // Another custom set was chosen, or its members changed.
  void customSetChanged();

 private:
  void Changed();
  void ChooseMany(QComboBox* combo, const char* title, std::string& chosen);
  void EnableControls();
  void SaveAs();
  void DeleteSaved();
  void LoadSaved();
  void NewSet();
  void DeleteSet();
  void AddSelected(bool invert);
  void ExportSets();
  void ImportSets();

  QCheckBox* use_filter_ = nullptr;
  QComboBox* category_ = nullptr;
  QComboBox* language_ = nullptr;
  QComboBox* status_ = nullptr;
  QLineEdit* search_ = nullptr;
  QSpinBox* rating_from_ = nullptr;
  QSpinBox* rating_to_ = nullptr;
  QCheckBox* show_disabled_ = nullptr;
  QPushButton* apply_ = nullptr;
  QComboBox* saved_ = nullptr;
  QComboBox* sets_ = nullptr;
  QCheckBox* hide_unchecked_ = nullptr;
  QWidget* advanced_box_ = nullptr;
  // The ";"-joined choices of "< Custom >".
  std::string categories_, languages_;
  std::vector<std::string> known_categories_, known_languages_;
  bool filling_ = false;
};

}  // namespace quillora::app
