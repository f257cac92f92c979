#include "app/products/company_editor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QTabWidget>

#include "app/qt_text.h"
#include "foundation/app_state.h"
#include "foundation/option_list.h"
#include "pad/pad_records.h"

namespace quillora::app {

namespace {

// The names (text before "=") of a data table file, for a drop-down of suggestions.
QStringList TableNames(const std::string& file) {
  QStringList names;
  if (!ApplicationDataReady()) return names;
  TOptionsList table;
  try {
    table.LoadFromTextFile(Folders().data + file);
  } catch (const std::exception&) {
    return names;
  }
  for (int i = 0; i < table.Count(); ++i) {
    const std::string name = table.NameAt(i);
    if (!name.empty()) names << ToQString(name);
  }
  return names;
}

}  // namespace

TfrmCompanyEditor::TfrmCompanyEditor(QWidget* parent) : TRecordEditor("Company editor", parent) {
  setObjectName("frmCompanyEditor");
  resize(560, 600);
  QFormLayout* form = nullptr;
  QWidget* page = AddPage("Company", &form);
  auto text = [&](const char* label, const char* name, const std::string& key) {
    return AddTextRow(form, label, name, key);
  };
  auto suggestions = [&](const char* label, const char* name, const std::string& key,
                         const char* table) {
    auto* box = new QComboBox(page);
    box->setObjectName(name);
    box->setEditable(true);
    box->addItems(TableNames(table));
    box->setInsertPolicy(QComboBox::NoInsert);
    form->addRow(label, box);
    fields_.AddChoice(key, box);
  };
  uin_ = text("UIN:", "edtUIN", "Quillora/Company_UIN");
  uin_->setToolTip("Company UIN");
  uin_->setReadOnly(true);
  text("Company Name:", "edtCompanyName", "Company_Info/Company_Name");
  text("Address 1:", "edtAddress1", "Company_Info/Address_1");
  text("Address 2:", "edtAddress2", "Company_Info/Address_2");
  text("City / Town:", "edtCity", "Company_Info/City_Town");
  suggestions("State / Province:", "cbState", "Company_Info/State_Province", "state_short.dat");
  text("Zip / Postal Code:", "edtZip", "Company_Info/Zip_Postal_Code");
  suggestions("Country:", "cbCountry", "Company_Info/Country", "country_short.dat");
  text("Web Site:", "edtWebSite", "Company_Info/Company_WebSite_URL");
  text("Contact First Name:", "edtContactFirstName",
       "Company_Info/Contact_Info/Contact_First_Name");
  text("Contact Last Name:", "edtContactLastName", "Company_Info/Contact_Info/Contact_Last_Name");
  text("Contact E-mail:", "edtContactEmail", "Company_Info/Contact_Info/Contact_Email");
  text("Sales E-mail:", "edtSalesEmail", "Company_Info/Support_Info/Sales_Email");
  text("Support E-mail:", "edtSupportEmail", "Company_Info/Support_Info/Support_Email");
  text("General E-mail:", "edtGeneralEmail", "Company_Info/Support_Info/General_Email");
  text("Sales Phone:", "edtSalesPhone", "Company_Info/Support_Info/Sales_Phone");
  text("Support Phone:", "edtSupportPhone", "Company_Info/Support_Info/Support_Phone");
  text("General Phone:", "edtGeneralPhone", "Company_Info/Support_Info/General_Phone");
  text("Fax:", "edtFax", "Company_Info/Support_Info/Fax_Phone");

  page = AddPage("Private", &form);
  text("Common Login:", "edtCommonLogin", "Quillora/Common_Login");
  QLineEdit* password = text("Common Password:", "edtCommonPassword", "Quillora/Common_Password");
  password->setEchoMode(QLineEdit::PasswordEchoOnEdit);

  page = AddPage("ASP", &form);
  auto* member = new QCheckBox(" I am an ASP member.", page);
  member->setObjectName("cbASPMember");
  form->addRow("", member);
  text("Member Number:", "edtASPMemberNumber", "ASP/ASP_Member_Number");
  // Only exactly "Y" is a member; a yes-no field would also take "y".
  Finish();
  connect(member, &QCheckBox::toggled, this, [this](bool) { Validate(); });
  member_ = member;

  AddSitePage("Accounts", "Login", true,
              [](TRecord& r) { return std::make_pair(&r.SiteLogins, &r.SitePasswords); });
  AddSitePage("Comments", "Comment", false, [](TRecord& r) {
    return std::make_pair(&r.Comments, static_cast<TOptionsList*>(nullptr));
  });
}

int TfrmCompanyEditor::ImportXmlInto(TRecord& copy, const std::string& path) {
  return ImportCompanyXml(static_cast<TCompany&>(copy), path, nullptr);
}

int TfrmCompanyEditor::ExportXmlFrom(TRecord& copy, const std::string& path) {
  return ExportCompanyXml(static_cast<TCompany&>(copy), path);
}

std::unique_ptr<TRecord> TfrmCompanyEditor::NewCopy() const {
  return std::make_unique<TCompany>();
}

void TfrmCompanyEditor::LoadFields() {
  TRecordEditor::LoadFields();
  member_->setChecked(Copy()->GetString("ASP/ASP_Member") == "Y");
}

void TfrmCompanyEditor::StoreFields() {
  TRecordEditor::StoreFields();
  Copy()->SetString("ASP/ASP_Member", member_->isChecked() ? "Y" : "N");
  Copy()->SetString("ASP/ASP_FORM", "Y");
}

std::string TfrmCompanyEditor::HelpTopic() const {
  return Pages()->currentIndex() == 0 ? "CmpEd_Company.html" : "CmpEd_Accounts.html";
}

}  // namespace quillora::app
