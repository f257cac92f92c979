#include "app/report/report_dialog.h"

#include <QCheckBox>
#include <QDate>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/qt_text.h"
#include "foundation/app_state.h"
#include "foundation/folders.h"
#include "foundation/option_list.h"
#include "foundation/text_utils.h"
#include "foundation/ui_port.h"
#include "pad/product_data.h"
#include "pad/profile.h"
#include "sites/site_list.h"
#include "sites/sites_view.h"

namespace quillora::app {

namespace {
constexpr int kColumnIdRole = Qt::UserRole + 1;
}  // namespace

TdlgReportOptions::TdlgReportOptions(TReportData& report, QWidget* parent)
    : QDialog(parent), data_(report) {
  setObjectName("dlgReportOptions");
  setWindowTitle("Report options");
  auto* hint = new QLabel(
      "Select columns to show in the report. Use Up/Down buttons to change columns order.", this);
  hint->setWordWrap(true);
  list_ = new QListWidget(this);
  list_->setObjectName("clbColumns");
  std::vector<const TReportColumn*> ordered;
  for (const TReportColumn& c : data_.columns) ordered.push_back(&c);
  std::stable_sort(ordered.begin(), ordered.end(),
                   [](auto* a, auto* b) { return a->position < b->position; });
  for (const TReportColumn* c : ordered) {
    auto* item = new QListWidgetItem(ToQString(c->caption), list_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(c->visible ? Qt::Checked : Qt::Unchecked);
    item->setData(kColumnIdRole, c->id);
  }
  if (list_->count() > 0) list_->setCurrentRow(0);
  auto* up = new QPushButton("Up", this);
  up->setObjectName("btnUp");
  auto* down = new QPushButton("Down", this);
  down->setObjectName("btnDown");
  total_ = new QCheckBox("Total", this);
  total_->setObjectName("cbTotal");
  total_->setChecked(data_.total);
  list_->setEnabled(!data_.total);
  auto* side = new QVBoxLayout;
  side->addWidget(up);
  side->addWidget(down);
  side->addStretch();
  side->addWidget(total_);
  auto* middle = new QHBoxLayout;
  middle->addWidget(list_, 1);
  middle->addLayout(side);
  auto* buttons = new QDialogButtonBox(this);
  save_ = buttons->addButton("Save", QDialogButtonBox::AcceptRole);
  save_->setObjectName("btnSave");
  auto* cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
  cancel->setObjectName("btnCancel");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(hint);
  layout->addLayout(middle, 1);
  layout->addWidget(buttons);
  resize(360, 460);

  connect(up, &QPushButton::clicked, this, [this] { MoveCurrent(-1); });
  connect(down, &QPushButton::clicked, this, [this] { MoveCurrent(1); });
  connect(total_, &QCheckBox::toggled, list_, [this](bool on) { list_->setEnabled(!on); });
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void TdlgReportOptions::MoveCurrent(int by) {
  const int row = list_->currentRow();
  const int to = row + by;
  if (row < 0 || to < 0 || to >= list_->count()) return;
  QListWidgetItem* item = list_->takeItem(row);
  list_->insertItem(to, item);
  list_->setCurrentRow(to);
}

void TdlgReportOptions::accept() {
  for (int row = 0; row < list_->count(); ++row) {
    QListWidgetItem* item = list_->item(row);
    if (TReportColumn* c = data_.FindById(item->data(kColumnIdRole).toInt())) {
      c->position = row;
      c->visible = item->checkState() == Qt::Checked ? 1 : 0;
    }
  }
  // The stored order and the report both read the columns in list order.
  std::stable_sort(
      data_.columns.begin(), data_.columns.end(),
      [](const TReportColumn& a, const TReportColumn& b) { return a.position < b.position; });
  data_.total = total_->isChecked();
  Settings().SetString("Report Columns Order", data_.OrderSetting());
  QDialog::accept();
}

void RunReportExport(QWidget* parent) {
  if (!SiteListReady() || !ActiveProfileValues()) return;
  TOptionsList& settings = Settings();
  TReportData data;
  data.Build(settings.GetString("Report Columns Order"), settings.GetString("Sites List Order"));
  {
    TdlgReportOptions options(data, parent);
    if (options.exec() != QDialog::Accepted) return;
  }

  QFileDialog dialog(parent, "Export Report", "Report_" + QDate::currentDate().toString("dd-MM-yy"),
                     DialogFilter("HTML files|*.html;*.htm|Text files|*.txt|All files|*.*"));
  dialog.setObjectName("dlgSave");
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix("txt");
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const std::string file = PathFromQString(dialog.selectedFiles().first());
  const bool html = dialog.nameFilters().indexOf(dialog.selectedNameFilter()) == 0;
  const TReportFormat format = html ? rfHtml : rfText;

  TSiteList& list = SiteList();
  int sort = -1;
  TryStrToInt(settings.GetString("Sites List Sort"), sort);
  const std::vector<int> order = SortedSitePositions(list, TSitesSort::FromSetting(sort));
  std::vector<std::string> lines;
  {
    TBusyWindow busy("Generating report");
    if (!CollectExportReport(list, order, ActiveProfile(), data, format,
                             Folders().data + "TML/Report.tml", lines))
      return;
  }
  TOptionsList out;
  out.MutableLines() = std::move(lines);
  try {
    out.SaveToTextFile(file);
  } catch (const std::exception&) {
    ShowError("Cannot save " + file);
    return;
  }
  UI().OpenDocument(file);
}

}  // namespace quillora::app
