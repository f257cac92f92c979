#include "app/preferences/preferences_dialog.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/preferences/admin_mode.h"
#include "app/products/record_editor.h"
#include "app/qt_text.h"
#include "foundation/app_state.h"
#include "foundation/colors.h"
#include "foundation/text_utils.h"
#include "foundation/ui_port.h"
#include "foundation/window_state.h"

namespace quillora::app {

const char* const TdlgOptions::kColorCaptions[kColorCount] = {"Default", "Found", "Not found",
                                                              "Not supported", "Error"};
const char* const TdlgOptions::kColorKeys[kColorCount] = {"Default", "Found", "NF", "NS", "ER"};

namespace {

// Style bits of "Font Style".
constexpr int kBold = 1, kItalic = 2, kUnderline = 4, kStrikeOut = 8;

QColor ToQColor(const std::string& hex) {
  const TColor c = HexToColor(hex);
  return QColor(static_cast<int>((c >> 16) & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                static_cast<int>(c & 0xFF));
}

std::string ToHex(const QColor& color) {
  return ColorToHex((static_cast<TColor>(color.red()) << 16) |
                    (static_cast<TColor>(color.green()) << 8) | static_cast<TColor>(color.blue()));
}

// The settings, or an empty list when the program's data was never loaded (the dialog then
// edits nothing that lasts).
TOptionsList& SettingsOrScratch() {
  static TOptionsList scratch;
  return ApplicationDataReady() ? Settings() : scratch;
}

QListWidgetItem* CheckItem(QListWidget* list, const QString& text, bool checked) {
  auto* item = new QListWidgetItem(text, list);
  item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
  item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
  return item;
}

}  // namespace

TdlgOptions::TdlgOptions(QWidget* parent) : QDialog(parent) {
  setObjectName("dlgOptions");
  setWindowTitle("Preferences");
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  pages_ = new QTabWidget(this);
  pages_->setObjectName("PageControl");
  layout->addWidget(pages_);
  BuildSiteListPage();
  BuildEMailPage();
  BuildColorsPage();
  BuildSubmitterPage();
  BuildEditorsPage();

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* save = buttons->addButton("Save", QDialogButtonBox::AcceptRole);
  save->setObjectName("btnSave");
  save->setDefault(true);
  QPushButton* cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
  cancel->setObjectName("btnCancel");
  layout->addWidget(buttons);
  connect(save, &QPushButton::clicked, this, [this] {
    Save();
    accept();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  resize(540, 560);
}

TdlgOptions::~TdlgOptions() {
  qApp->removeEventFilter(this);
}

void TdlgOptions::BuildSiteListPage() {
  auto* page = new QWidget(pages_);
  page->setObjectName("tsSiteList");
  auto* layout = new QVBoxLayout(page);

  auto* columns_box = new QGroupBox(" Columns ", page);
  auto* columns_layout = new QHBoxLayout(columns_box);
  columns_ = new QListWidget(columns_box);
  columns_->setObjectName("lstColumns");
  columns_layout->addWidget(columns_, 1);
  auto* arrows = new QVBoxLayout;
  up_ = new QToolButton(columns_box);
  up_->setObjectName("btnColumnUp");
  up_->setArrowType(Qt::UpArrow);
  up_->setToolTip("Change order");
  down_ = new QToolButton(columns_box);
  down_->setObjectName("btnColumnDown");
  down_->setArrowType(Qt::DownArrow);
  down_->setToolTip("Change order");
  arrows->addWidget(up_);
  arrows->addWidget(down_);
  arrows->addStretch();
  columns_layout->addLayout(arrows);
  layout->addWidget(columns_box, 1);
  connect(up_, &QToolButton::clicked, this, [this] { MoveColumn(-1); });
  connect(down_, &QToolButton::clicked, this, [this] { MoveColumn(+1); });
  connect(columns_, &QListWidget::currentRowChanged, this, [this] { UpdateMoveButtons(); });

  show_apply_ = new QCheckBox(" Show the \"Apply\" button on the filter panel.", page);
  show_apply_->setObjectName("cbShowApplyButton");
  layout->addWidget(show_apply_);
  auto_backup_ = new QCheckBox(" Automatically backup data on exit", page);
  auto_backup_->setObjectName("cbAutoBackup");
  layout->addWidget(auto_backup_);

  auto* repository_box = new QGroupBox(" Sites repository (URL) ", page);
  auto* repository_layout = new QVBoxLayout(repository_box);
  repository_ = new QLineEdit(repository_box);
  repository_->setObjectName("edtRepository");
  repository_layout->addWidget(repository_);
  layout->addWidget(repository_box);

  auto* font_box = new QGroupBox(" Font ", page);
  auto* font_layout = new QHBoxLayout(font_box);
  font_sample_ = new QLabel("Sample Text Sample Text", font_box);
  font_sample_->setObjectName("lblFontSample");
  font_sample_->setFrameShape(QFrame::StyledPanel);
  font_sample_->setAutoFillBackground(true);
  font_sample_->setMinimumHeight(32);
  font_sample_->setCursor(Qt::PointingHandCursor);
  font_sample_->installEventFilter(this);
  font_layout->addWidget(font_sample_, 1);
  auto* change = new QPushButton("Change Font", font_box);
  change->setObjectName("btnChangeFont");
  auto* color = new QPushButton("Font Color", font_box);
  color->setObjectName("btnFontColor");
  font_layout->addWidget(change);
  font_layout->addWidget(color);
  layout->addWidget(font_box);
  connect(change, &QPushButton::clicked, this, [this] { ChooseFont(); });
  connect(color, &QPushButton::clicked, this, [this] { ChooseFontColor(); });

  pages_->addTab(page, "Site List");
}

void TdlgOptions::BuildEMailPage() {
  auto* page = new QWidget(pages_);
  page->setObjectName("tsEMail");
  auto* layout = new QVBoxLayout(page);
  auto* box = new QGroupBox(" Select a method for e-mail sumbissions ", page);
  auto* box_layout = new QVBoxLayout(box);
  use_mapi_ = new QRadioButton("Use MAPI", box);
  use_mapi_->setObjectName("rbUseMAPI");
  use_eml_ = new QRadioButton("Create *.eml files", box);
  use_eml_->setObjectName("rbCreateEml");
  box_layout->addWidget(use_mapi_);
  box_layout->addWidget(use_eml_);
  layout->addWidget(box);
  layout->addStretch();
  pages_->addTab(page, "E-Mail");
}

void TdlgOptions::BuildColorsPage() {
  auto* page = new QWidget(pages_);
  page->setObjectName("tsColors");
  auto* layout = new QGridLayout(page);
  for (int i = 0; i < kColorCount; ++i) {
    auto* sample = new QLabel(kColorCaptions[i], page);
    sample->setObjectName(QString("pnlColor") + kColorKeys[i]);
    sample->setAlignment(Qt::AlignCenter);
    sample->setFrameShape(QFrame::StyledPanel);
    sample->setAutoFillBackground(true);
    sample->setMinimumSize(160, 26);
    sample->setCursor(Qt::PointingHandCursor);
    sample->setToolTip("Click to choose the background");
    sample->installEventFilter(this);
    color_samples_[i] = sample;
    auto* text = new QPushButton("Font Color", page);
    text->setObjectName(QString("btnTextColor") + kColorKeys[i]);
    auto* background = new QPushButton("Background", page);
    background->setObjectName(QString("btnBgColor") + kColorKeys[i]);
    layout->addWidget(sample, i, 0);
    layout->addWidget(text, i, 1);
    layout->addWidget(background, i, 2);
    connect(text, &QPushButton::clicked, this, [this, i] { ChooseColor(i, false); });
    connect(background, &QPushButton::clicked, this, [this, i] { ChooseColor(i, true); });
  }
  layout->setColumnStretch(0, 1);
  layout->setRowStretch(kColorCount, 1);
  pages_->addTab(page, "Colors");
}

void TdlgOptions::BuildSubmitterPage() {
  auto* page = new QWidget(pages_);
  page->setObjectName("tsSubmitter");
  auto* layout = new QVBoxLayout(page);
  skip_images_ = new QCheckBox(" Do not load images", page);
  skip_images_->setObjectName("cbSkipImages");
  layout->addWidget(skip_images_);
  // Kept for its setting; the choice itself is not offered.
  open_site_for_ = new QComboBox(page);
  open_site_for_->setObjectName("cbOpenSiteFor");
  open_site_for_->addItems({"Search", "Submit"});
  open_site_for_->setToolTip("Open site for");
  open_site_for_->setVisible(false);
  layout->addWidget(open_site_for_);
  open_menu_ = new QCheckBox(" Show the Open Site button menu", page);
  open_menu_->setObjectName("cbShowOpenMenu");
  layout->addWidget(open_menu_);
  keep_overrides_ =
      new QCheckBox(" Do not drop override status values when changing product version", page);
  keep_overrides_->setObjectName("cbDoNotDropOverride");
  layout->addWidget(keep_overrides_);
  layout->addStretch();
  pages_->addTab(page, "Submitter");
}

void TdlgOptions::BuildEditorsPage() {
  auto* page = new QWidget(pages_);
  page->setObjectName("tsPADEditors");
  auto* layout = new QVBoxLayout(page);
  auto* box = new QGroupBox(" Please, select sections you wish to use ", page);
  auto* lists = new QGridLayout(box);
  lists->addWidget(new QLabel("Company Editor", box), 0, 0);
  lists->addWidget(new QLabel("Product Editor", box), 0, 1);
  company_pages_ = new QListWidget(box);
  company_pages_->setObjectName("lstCompanyPages");
  product_pages_ = new QListWidget(box);
  product_pages_->setObjectName("lstProductPages");
  lists->addWidget(company_pages_, 1, 0);
  lists->addWidget(product_pages_, 1, 1);
  layout->addWidget(box);
  pages_->addTab(page, "PAD Editors");
}

bool TdlgOptions::Show(int page) {
  if (isVisible()) {
    raise();
    activateWindow();
    return false;
  }
  Load();
  saved_ = false;
  decided_ = false;
  phrase_position_ = 1;
  if (page < 0 || page >= pages_->count() || !pages_->isTabVisible(page)) {
    page = -1;
    for (int i = 0; i < pages_->count() && page < 0; ++i)
      if (pages_->isTabVisible(i)) page = i;
  }
  if (page >= 0) pages_->setCurrentIndex(page);
  qApp->installEventFilter(this);
  exec();
  qApp->removeEventFilter(this);
  return saved_;
}

void TdlgOptions::Load() {
  const TOptionsList& s = SettingsOrScratch();
  font_ = QFont(ToQString(s.GetString("Font Name")));
  int size = 8;
  TryStrToInt(s.GetString("Font Size"), size);
  if (size > 0) font_.setPointSize(size);
  int style = 0;
  TryStrToInt(s.GetString("Font Style"), style);
  font_.setBold(style & kBold);
  font_.setItalic(style & kItalic);
  font_.setUnderline(style & kUnderline);
  font_.setStrikeOut(style & kStrikeOut);
  font_color_ = ToQColor(s.GetString("Font Color"));
  font_charset_ = s.GetString("Font CharSet");
  ShowFont();

  repository_->setText(ToQString(s.GetString("Sites Repository")));
  show_apply_->setChecked(s.GetBool("Filter Show Apply Button"));
  auto_backup_->setChecked(s.GetBool("Automatically backup"));
  (s.GetBool("Use MAPI") ? use_mapi_ : use_eml_)->setChecked(true);
  for (int i = 0; i < kColorCount; ++i) {
    text_colors_[i] = ToQColor(s.GetString(std::string("Color ") + kColorKeys[i]));
    backgrounds_[i] = ToQColor(s.GetString(std::string("BgColor ") + kColorKeys[i]));
    ShowColor(i);
  }
  skip_images_->setChecked(s.GetBool("Skip Images"));
  open_site_for_->setCurrentIndex(s.GetBool("Open site for submit") ? 1 : 0);
  open_menu_->setChecked(s.GetBool("Show the Open button menu"));
  keep_overrides_->setChecked(s.GetBool("DO_NOT_DROP_OVERRIDE"));

  columns_->clear();
  if (grid_ && grid_->model()) {
    QHeaderView* header = grid_->horizontalHeader();
    for (int k = 0; k < header->count(); ++k) {
      const int column = header->logicalIndex(k);
      const QString caption =
          grid_->model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
      CheckItem(columns_, caption, !header->isSectionHidden(column));
    }
  }
  UpdateMoveButtons();
  FillPages(company_pages_, company_editor_);
  FillPages(product_pages_, product_editor_);
}

void TdlgOptions::FillPages(QListWidget* list, const TRecordEditor* editor) {
  list->clear();
  if (!editor) return;
  const std::vector<TEditorPage> pages = editor->PageStates();
  for (size_t i = 0; i < pages.size(); ++i) {
    QListWidgetItem* item = CheckItem(list, ToQString(pages[i].caption), pages[i].visible);
    // The first page is where the record's identity lives: it always shows.
    if (i == 0) {
      item->setCheckState(Qt::Checked);
      item->setFlags(item->flags() & ~(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled));
    }
  }
}

void TdlgOptions::ApplyPages(const QListWidget* list, TRecordEditor* editor) {
  if (!editor) return;
  std::vector<TEditorPage> pages = editor->PageStates();
  for (int i = 0; i < list->count() && i < static_cast<int>(pages.size()); ++i)
    pages[static_cast<size_t>(i)].visible = list->item(i)->checkState() == Qt::Checked;
  editor->ApplyPageStates(pages);
}

void TdlgOptions::Save() {
  TOptionsList& s = SettingsOrScratch();
  s.SetString("Font Name", FromQString(font_.family()));
  s.SetString("Font CharSet", font_charset_);
  s.SetString("Font Size", std::to_string(font_.pointSize() > 0 ? font_.pointSize() : 8));
  s.SetString("Font Color", ToHex(font_color_));
  int style = 0;
  if (font_.bold()) style += kBold;
  if (font_.italic()) style += kItalic;
  if (font_.underline()) style += kUnderline;
  if (font_.strikeOut()) style += kStrikeOut;
  s.SetString("Font Style", std::to_string(style));
  if (grid_) {
    grid_->setFont(font_);
    grid_->horizontalHeader()->setFont(font_);
  }

  s.SetString("Sites Repository", FromQString(repository_->text()));
  s.SetBool("Filter Show Apply Button", show_apply_->isChecked());
  s.SetBool("Automatically backup", auto_backup_->isChecked());
  // Switched off, the archive's name is forgotten: switching on again asks for it anew.
  if (!auto_backup_->isChecked()) s.SetString("Automatically backup directory", "");

  if (grid_ && grid_->model()) {
    QHeaderView* header = grid_->horizontalHeader();
    grid_->setUpdatesEnabled(false);
    for (int i = 0; i < columns_->count(); ++i) {
      const QListWidgetItem* item = columns_->item(i);
      for (int column = 0; column < header->count(); ++column) {
        if (grid_->model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString() !=
            item->text())
          continue;
        header->setSectionHidden(column, item->checkState() != Qt::Checked);
        header->moveSection(header->visualIndex(column), i);
        break;
      }
    }
    grid_->setUpdatesEnabled(true);
  }

  s.SetBool("Use MAPI", use_mapi_->isChecked());
  for (int i = 0; i < kColorCount; ++i) {
    s.SetString(std::string("Color ") + kColorKeys[i], ToHex(text_colors_[i]));
    s.SetString(std::string("BgColor ") + kColorKeys[i], ToHex(backgrounds_[i]));
  }
  s.SetBool("Skip Images", skip_images_->isChecked());
  s.SetBool("Open site for submit", open_site_for_->currentIndex() == 1);
  s.SetBool("Show the Open button menu", open_menu_->isChecked());
  s.SetBool("DO_NOT_DROP_OVERRIDE", keep_overrides_->isChecked());

  ApplyPages(company_pages_, company_editor_);
  ApplyPages(product_pages_, product_editor_);
  if (company_editor_) SaveEditorPages(s, "Company_Editor", company_editor_->PageStates());
  if (product_editor_) SaveEditorPages(s, "Product_Editor", product_editor_->PageStates());
  saved_ = true;
}

void TdlgOptions::SetSampleFont(const QFont& font) {
  font_ = font;
  ShowFont();
}

void TdlgOptions::SetColors(int i, const QColor& text, const QColor& background) {
  text_colors_[i] = text;
  backgrounds_[i] = background;
  ShowColor(i);
}

void TdlgOptions::ShowFont() {
  font_sample_->setFont(font_);
  QPalette palette = font_sample_->palette();
  palette.setColor(QPalette::WindowText, font_color_);
  // A light colour is shown on a dark ground, so that the sample can always be read.
  palette.setColor(QPalette::Window,
                   font_color_.lightness() > 160 ? QColor(0x40, 0x40, 0x40) : QColor(Qt::white));
  font_sample_->setPalette(palette);
}

void TdlgOptions::ShowColor(int i) {
  QPalette palette = color_samples_[i]->palette();
  palette.setColor(QPalette::WindowText, text_colors_[i]);
  palette.setColor(QPalette::Window, backgrounds_[i]);
  color_samples_[i]->setPalette(palette);
}

void TdlgOptions::ChooseFont() {
  bool ok = false;
  const QFont font = QFontDialog::getFont(&ok, font_, this, "Font");
  if (ok) SetSampleFont(font);
}

void TdlgOptions::ChooseFontColor() {
  const QColor color = QColorDialog::getColor(font_color_, this, "Font Color");
  if (!color.isValid()) return;
  font_color_ = color;
  ShowFont();
}

void TdlgOptions::ChooseColor(int i, bool background) {
  const QColor start = background ? backgrounds_[i] : text_colors_[i];
  const QColor color = QColorDialog::getColor(start, this, kColorCaptions[i]);
  if (!color.isValid()) return;
  (background ? backgrounds_[i] : text_colors_[i]) = color;
  ShowColor(i);
}

void TdlgOptions::MoveColumn(int step) {
  const int row = columns_->currentRow();
  const int to = row + step;
  if (row < 0 || to < 0 || to >= columns_->count()) return;
  QListWidgetItem* item = columns_->takeItem(row);
  columns_->insertItem(to, item);
  columns_->setCurrentRow(to);
}

void TdlgOptions::UpdateMoveButtons() {
  const bool selected = columns_->currentRow() >= 0;
  up_->setEnabled(selected);
  down_->setEnabled(selected);
}

void TdlgOptions::PassPhraseCharacter(QChar c) {
  static const QString phrase = QString::fromLatin1(kPassPhrase);
  if (c != phrase.at(phrase_position_ - 1)) {
    phrase_position_ = 1;
    return;
  }
  if (++phrase_position_ <= phrase.size()) return;
  phrase_position_ = 1;
  SetAdminMode(true);
  ShowInfo("Admin mode");
}

void TdlgOptions::closeEvent(QCloseEvent* event) {
  // Save and Cancel have decided already; only the close box asks.
  if (isVisible() && !decided_ && AskYesNo("Save changes?")) {
    Save();
    event->ignore();
    accept();
    return;
  }
  QDialog::closeEvent(event);
}

void TdlgOptions::done(int result) {
  // Save, Cancel and Escape have decided: the close that follows asks nothing.
  decided_ = true;
  QDialog::done(result);
}

bool TdlgOptions::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease) {
    if (watched == font_sample_) {
      ChooseFont();
      return true;
    }
    for (int i = 0; i < kColorCount; ++i)
      if (watched == color_samples_[i]) {
        ChooseColor(i, true);
        return true;
      }
  }
  if (event->type() == QEvent::KeyPress && isVisible()) {
    auto* widget = qobject_cast<QWidget*>(watched);
    // A key a control ignores travels on to its parents as the same event: count it once, where
    // it started.
    const bool passed_on = event == last_key_event_ && last_key_widget_ && widget &&
                           widget != last_key_widget_ && widget->isAncestorOf(last_key_widget_);
    last_key_event_ = event;
    last_key_widget_ = widget;
    if (widget && widget->window() == this && !passed_on) {
      const QString text = static_cast<QKeyEvent*>(event)->text();
      for (const QChar c : text)
        if (c.isPrint()) PassPhraseCharacter(c);
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace quillora::app
