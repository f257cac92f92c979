#include "app/about_window.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "app/window_placements.h"

namespace quillora::app {

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent) {
  setObjectName("frmAbout");
  setWindowTitle("About");
  auto* layout = new QVBoxLayout(this);
  auto* name = new QLabel("<h2>Quillora</h2>", this);
  name->setObjectName("lblName");
  auto* version =
      new QLabel(QString("Version %1 (build %2)").arg(QUILLORA_VERSION, QUILLORA_BUILD), this);
  version->setObjectName("lblVersion");
  auto* text = new QLabel(
      "Keeps your company and product descriptions, a database of download sites and their "
      "forms, and submits your products to those sites.",
      this);
  text->setWordWrap(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(name);
  layout->addWidget(version);
  layout->addWidget(text);
  layout->addWidget(buttons);
  setFixedSize(380, 200);
  RegisterPlacedWindow(this);
  SetAutoPosition(this, TAutoPosition::ScreenCenter);
}

}  // namespace quillora::app
