#include "app/sites/filter_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/qt_text.h"
#include "foundation/app_state.h"
#include "foundation/codepage.h"
#include "foundation/data_tables.h"
#include "foundation/ui_port.h"
#include "pad/product_data.h"
#include "sites/site.h"
#include "sites/site_filter.h"

namespace quillora::app {

namespace {

const char* const kStatusChoices[] = {"ALL", "Complete", "Pending", "Default", "Failed", "Skipped"};
constexpr const char* kAll = "ALL";
constexpr const char* kCustom = "< Custom >";

QPushButton* Button(QWidget* parent, const char* name, const char* text) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(name);
  b->setAutoDefault(false);
  return b;
}

std::vector<std::string> Split(const std::string& text) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= text.size() && !text.empty()) {
    const size_t end = text.find(';', start);
    parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return parts;
}

void FillChoice(QComboBox* combo, const std::vector<std::string>& known, const std::string& value) {
  combo->clear();
  combo->addItem(kAll);
  for (const std::string& k : known) combo->addItem(ToQString(k));
  combo->addItem(kCustom);
  if (value.empty()) {
    combo->setCurrentIndex(0);
  } else if (value.find(';') != std::string::npos) {
    combo->setCurrentIndex(combo->count() - 1);
  } else {
    const int i = combo->findText(ToQString(value), Qt::MatchFixedString);
    if (i >= 0) {
      combo->setCurrentIndex(i);
    } else {
      combo->insertItem(combo->count() - 1, ToQString(value));
      combo->setCurrentIndex(combo->count() - 2);
    }
  }
}

}  // namespace

TSiteFilterPanel::TSiteFilterPanel(QWidget* parent) : QWidget(parent) {
  setObjectName("pnlFilter");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);

  auto* filter_box = new QGroupBox("Filter", this);
  auto* form = new QFormLayout(filter_box);
  form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  use_filter_ = new QCheckBox("Use filter", filter_box);
  use_filter_->setObjectName("cbUseFilter");
  form->addRow(use_filter_);
  category_ = new QComboBox(filter_box);
  category_->setObjectName("cbCategory");
  form->addRow("Category", category_);
  language_ = new QComboBox(filter_box);
  language_->setObjectName("cbLanguage");
  form->addRow("Language", language_);
  status_ = new QComboBox(filter_box);
  status_->setObjectName("cbStatus");
  for (const char* s : kStatusChoices) status_->addItem(s);
  form->addRow("Status", status_);
  search_ = new QLineEdit(filter_box);
  search_->setObjectName("edSearch");
  search_->setPlaceholderText("words, +required, -excluded");
  form->addRow("Search", search_);
  auto* rating = new QHBoxLayout;
  rating_from_ = new QSpinBox(filter_box);
  rating_from_->setObjectName("edRatingFrom");
  rating_to_ = new QSpinBox(filter_box);
  rating_to_->setObjectName("edRatingTo");
  for (QSpinBox* s : {rating_from_, rating_to_}) s->setRange(-999999, 999999);
  rating->addWidget(rating_from_);
  rating->addWidget(rating_to_);
  form->addRow("Rating", rating);
  show_disabled_ = new QCheckBox("Show disabled", filter_box);
  show_disabled_->setObjectName("cbShowDisabled");
  form->addRow(show_disabled_);
  apply_ = Button(filter_box, "btnFilterApply", "Apply");
  form->addRow(apply_);
  auto* saved_row = new QHBoxLayout;
  saved_ = new QComboBox(filter_box);
  saved_->setObjectName("cbSavedFilters");
  saved_row->addWidget(saved_, 1);
  auto* save = Button(filter_box, "btnFilterSave", "Save");
  auto* del = Button(filter_box, "btnFilterDelete", "Delete");
  saved_row->addWidget(save);
  saved_row->addWidget(del);
  form->addRow("Saved", saved_row);
  layout->addWidget(filter_box);

  auto* set_box = new QGroupBox("Custom sets", this);
  set_box->setObjectName("gbCustomSets");
  advanced_box_ = set_box;
  auto* set_layout = new QVBoxLayout(set_box);
  sets_ = new QComboBox(set_box);
  sets_->setObjectName("cbCustomSet");
  set_layout->addWidget(sets_);
  hide_unchecked_ = new QCheckBox("Hide unchecked", set_box);
  hide_unchecked_->setObjectName("cbHideUnchecked");
  set_layout->addWidget(hide_unchecked_);
  auto* set_buttons = new QGridLayout;
  auto* new_set = Button(set_box, "btnSetNew", "New");
  auto* delete_set = Button(set_box, "btnSetDelete", "Delete");
  auto* add_selected = Button(set_box, "btnSetAddSelected", "Add selected sites");
  auto* invert_selected = Button(set_box, "btnSetInvertSelected", "Invert selected sites");
  auto* export_sets = Button(set_box, "btnSetExport", "Export...");
  auto* import_sets = Button(set_box, "btnSetImport", "Import...");
  set_buttons->addWidget(new_set, 0, 0);
  set_buttons->addWidget(delete_set, 0, 1);
  set_buttons->addWidget(add_selected, 1, 0, 1, 2);
  set_buttons->addWidget(invert_selected, 2, 0, 1, 2);
  set_buttons->addWidget(export_sets, 3, 0);
  set_buttons->addWidget(import_sets, 3, 1);
  set_layout->addLayout(set_buttons);
  layout->addWidget(set_box);
  layout->addStretch(1);
  // Long category or set names must not widen the panel.
  for (QComboBox* combo : {category_, language_, status_, saved_, sets_}) {
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(10);
  }

  connect(use_filter_, &QCheckBox::toggled, this, [this] {
    EnableControls();
    Changed();
  });
  connect(category_, &QComboBox::activated, this, [this] {
    if (category_->currentText() == kCustom)
      ChooseMany(category_, "Categories", categories_);
    else
      categories_ = category_->currentIndex() == 0 ? "" : FromQString(category_->currentText());
    Changed();
  });
  connect(language_, &QComboBox::activated, this, [this] {
    if (language_->currentText() == kCustom)
      ChooseMany(language_, "Languages", languages_);
    else
      languages_ = language_->currentIndex() == 0 ? "" : FromQString(language_->currentText());
    Changed();
  });
  connect(status_, &QComboBox::activated, this, [this] { Changed(); });
  connect(show_disabled_, &QCheckBox::toggled, this, [this] { Changed(); });
  // Typed fields apply on Enter (or on leaving them when there is no apply button).
  for (QLineEdit* edit :
       {search_, rating_from_->findChild<QLineEdit*>(), rating_to_->findChild<QLineEdit*>()}) {
    connect(edit, &QLineEdit::returnPressed, this, [this] { Apply(); });
    connect(edit, &QLineEdit::editingFinished, this, [this] { Changed(); });
  }
  connect(apply_, &QPushButton::clicked, this, [this] { Apply(); });
  connect(save, &QPushButton::clicked, this, [this] { SaveAs(); });
  connect(del, &QPushButton::clicked, this, [this] { DeleteSaved(); });
  connect(saved_, &QComboBox::activated, this, [this] { LoadSaved(); });

  connect(sets_, &QComboBox::currentIndexChanged, this, [this] {
    if (filling_) return;
    emit customSetChanged();
    if (SiteFilter().HideUnchecked) emit applied();
  });
  connect(hide_unchecked_, &QCheckBox::toggled, this, [this](bool on) {
    if (filling_) return;
    SiteFilter().HideUnchecked = on;
    emit applied();
  });
  connect(new_set, &QPushButton::clicked, this, [this] { NewSet(); });
  connect(delete_set, &QPushButton::clicked, this, [this] { DeleteSet(); });
  connect(add_selected, &QPushButton::clicked, this, [this] { AddSelected(false); });
  connect(invert_selected, &QPushButton::clicked, this, [this] { AddSelected(true); });
  connect(export_sets, &QPushButton::clicked, this, [this] { ExportSets(); });
  connect(import_sets, &QPushButton::clicked, this, [this] { ImportSets(); });
}

void TSiteFilterPanel::LoadFromFilter(const TSiteChoiceLists& known) {
  filling_ = true;
  const TSiteFilter& f = SiteFilter();
  known_categories_ = known.categories;
  known_languages_ = known.languages;
  categories_ = f.Categories;
  languages_ = f.Languages;
  FillChoice(category_, known_categories_, categories_);
  FillChoice(language_, known_languages_, languages_);
  const std::string status = FilterStatusText(f.Status);
  const int si = status_->findText(ToQString(status));
  status_->setCurrentIndex(si < 0 ? 0 : si);
  search_->setText(ToQString(f.SearchText));
  rating_from_->setValue(f.RatingFrom);
  rating_to_->setValue(f.RatingTo);
  use_filter_->setChecked(!f.ShowAll);
  show_disabled_->setChecked(f.ShowDisabled);
  hide_unchecked_->setChecked(f.HideUnchecked);
  filling_ = false;
  EnableControls();
}

void TSiteFilterPanel::StoreToFilter() {
  TSiteFilter& f = SiteFilter();
  f.Categories = categories_;
  f.Languages = languages_;
  f.Status = FilterStatusFromText(FromQString(status_->currentText()));
  f.SearchText = FromQString(search_->text());
  f.RatingFrom = rating_from_->value();
  f.RatingTo = rating_to_->value();
  f.ShowAll = !use_filter_->isChecked();
  f.ShowDisabled = show_disabled_->isChecked();
  f.HideUnchecked = hide_unchecked_->isChecked();
}

void TSiteFilterPanel::Apply() {
  if (filling_) return;
  StoreToFilter();
  emit applied();
}

void TSiteFilterPanel::Changed() {
  if (filling_ || Settings().GetBool("Filter Show Apply Button")) return;
  Apply();
}

void TSiteFilterPanel::EnableControls() {
  const bool on = use_filter_->isChecked();
  for (QWidget* w : std::initializer_list<QWidget*>{category_, language_, status_, search_,
                                                    rating_from_, rating_to_})
    w->setEnabled(on);
  apply_->setVisible(Settings().GetBool("Filter Show Apply Button"));
}

void TSiteFilterPanel::ChooseMany(QComboBox* combo, const char* title, std::string& chosen) {
  const std::vector<std::string>& items = combo == category_ ? known_categories_ : known_languages_;
  const std::vector<std::string> now = Split(chosen);
  std::vector<bool> checked;
  for (const std::string& item : items) {
    bool on = false;
    for (const std::string& n : now) on = on || SameText(n, item);
    checked.push_back(on);
  }
  if (UI().CheckList(title, items, checked)) {
    std::string joined;
    for (size_t i = 0; i < items.size(); ++i)
      if (checked[i]) joined += (joined.empty() ? "" : ";") + items[i];
    chosen = joined;
  }
  filling_ = true;
  FillChoice(combo, items, chosen);
  filling_ = false;
}

TCustomSet* TSiteFilterPanel::CurrentSet() const {
  if (sets_->currentIndex() <= 0) return nullptr;
  return CustomSets().FindSet(FromQString(sets_->currentText()));
}

void TSiteFilterPanel::FillSetChoice() {
  filling_ = true;
  const QString current = sets_->currentText();
  sets_->clear();
  sets_->addItem("None");
  for (const std::string& name : CustomSets().Names()) sets_->addItem(ToQString(name));
  const int i = sets_->findText(current);
  sets_->setCurrentIndex(i < 0 ? 0 : i);
  filling_ = false;
}

void TSiteFilterPanel::AddSetChoice(const std::string& name) {
  if (sets_->findText(ToQString(name)) >= 0) return;
  filling_ = true;
  sets_->addItem(ToQString(name));
  filling_ = false;
}

void TSiteFilterPanel::SetAdvanced(bool on) {
  advanced_box_->setVisible(on);
}

bool TSiteFilterPanel::Advanced() const {
  return advanced_box_->isVisibleTo(const_cast<TSiteFilterPanel*>(this));
}

void TSiteFilterPanel::FillSavedFilters() {
  const QString current = saved_->currentText();
  saved_->clear();
  for (const std::string& name : SavedFilterNames(Tables().filters))
    saved_->addItem(ToQString(name));
  const int i = saved_->findText(current);
  saved_->setCurrentIndex(i);
}

void TSiteFilterPanel::SaveAs() {
  std::string name;
  if (const TOptionsList* values = ActiveProfileValues())
    name = values->GetString("Program_Info/Program_Name");
  if (!UI().InputText("New filter", "Filter name", name) || name.empty()) return;
  StoreToFilter();
  SaveFilterAs(Tables().filters, name, SiteFilter(), FromQString(status_->currentText()));
  FillSavedFilters();
  saved_->setCurrentIndex(saved_->findText(ToQString(name)));
}

void TSiteFilterPanel::DeleteSaved() {
  if (saved_->currentIndex() < 0) {
    ShowInfo("No filter selected");
    return;
  }
  if (!AskYesNo("Delete this filter?")) return;
  DeleteSavedFilter(Tables().filters, FromQString(saved_->currentText()));
  FillSavedFilters();
}

void TSiteFilterPanel::LoadSaved() {
  TSiteFilter f = SiteFilter();
  std::string status;
  if (!LoadSavedFilter(Tables().filters, FromQString(saved_->currentText()), f, &status)) return;
  SiteFilter() = f;
  TSiteChoiceLists known;
  known.categories = known_categories_;
  known.languages = known_languages_;
  LoadFromFilter(known);
  const int si = status_->findText(ToQString(status));
  status_->setCurrentIndex(si < 0 ? 0 : si);
  Changed();
}

void TSiteFilterPanel::NewSet() {
  std::string name;
  if (!UI().InputText("New set name", "Name", name) || name.empty()) return;
  if (!CustomSets().FindSet(name)) CustomSets().NewSet(name);
  FillSetChoice();
  filling_ = true;
  hide_unchecked_->setChecked(false);
  SiteFilter().HideUnchecked = false;
  filling_ = false;
  sets_->setCurrentIndex(sets_->findText(ToQString(name)));
}

void TSiteFilterPanel::DeleteSet() {
  if (sets_->currentIndex() <= 0 || !AskYesNo("Delete this custom set?")) return;
  CustomSets().DeleteSet(FromQString(sets_->currentText()));
  FillSetChoice();
  sets_->setCurrentIndex(0);
  emit customSetChanged();
}

void TSiteFilterPanel::AddSelected(bool invert) {
  TCustomSet* set = CurrentSet();
  if (!set || !selected_uins) return;
  for (const std::string& uin : selected_uins()) {
    if (invert)
      set->SetMember(uin, !set->Contains(uin));
    else
      set->Remove(uin);
  }
  emit customSetChanged();
}

void TSiteFilterPanel::ExportSets() {
  const std::vector<std::string> names = CustomSets().Names();
  std::vector<bool> checked(names.size(), false);
  if (names.empty() || !UI().CheckList("Export Custom Sets", names, checked)) return;
  std::vector<std::string> chosen;
  for (size_t i = 0; i < names.size(); ++i)
    if (checked[i]) chosen.push_back(names[i]);
  std::string path;
  if (chosen.empty() || !UI().SaveFileDialog("Export Custom Sets",
                                             "Custom sets (*.csf)|*.csf|All Files (*.*)|*.*", path))
    return;
  try {
    CustomSets().ExportSets(chosen, path);
  } catch (const std::exception& e) {
    ShowError(e.what());
  }
}

void TSiteFilterPanel::ImportSets() {
  std::string path;
  if (!UI().OpenFileDialog("Import Custom Sets", "Custom sets (*.csf)|*.csf|All Files (*.*)|*.*",
                           path))
    return;
  try {
    CustomSets().ImportSets(path);
  } catch (const std::exception& e) {
    ShowError(e.what());
    return;
  }
  FillSetChoice();
  emit customSetChanged();
}

}  // namespace quillora::app
