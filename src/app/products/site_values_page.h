// A per-site page of the record editors: the sites a per-site list (or, for logins, the login and
// password lists) holds a value for, an edit panel for the chosen entry, and "Append" for a site
// not yet listed. The page reads its lists on entering and writes them back on leaving.
#pragma once

#include <QWidget>
#include <string>

#include "foundation/option_list.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace quillora::app {

class TSiteValuesPage : public QWidget {
  Q_OBJECT
 public:
  // logins: two lists (login, password) shown side by side; otherwise one list of values.
  TSiteValuesPage(const QString& value_caption, bool logins, QWidget* parent = nullptr);

  // Lists every entry (logins: every site with a login or a password), sorted by site name.
  void Fill(const TOptionsList& values, const TOptionsList* passwords = nullptr);
  // Writes every listed entry back keyed by site UIN; an empty value removes that site's entry.
  void WriteBack(TOptionsList& values, TOptionsList* passwords = nullptr) const;

  QTreeWidget* List() const { return list_; }
  bool Logins() const { return logins_; }
  // Opens the edit panel for the entry (double-click), or for a new site (Append).
  void EditEntry(QTreeWidgetItem* item);
  void Append();
  // Closes the panel, writing its values into the entry (or adding the appended site).
  void CommitPanel();
  QComboBox* SiteChoice() const { return site_; }
  QLineEdit* ValueEdit() const { return value_; }
  QLineEdit* PasswordEdit() const { return password_; }

 private:
  void SetPanelVisible(bool on);

  QTreeWidget* list_ = nullptr;
  QWidget* panel_ = nullptr;
  QComboBox* site_ = nullptr;
  QLineEdit* value_ = nullptr;
  QLineEdit* password_ = nullptr;
  QTreeWidgetItem* editing_ = nullptr;
  bool logins_ = false;
  bool appending_ = false;
};

}  // namespace quillora::app
