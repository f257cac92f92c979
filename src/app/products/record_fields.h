// Binds record keys to an editor's widgets: loading a record's values into them, storing them
// back, and marking the fields the PAD validator finds a download site would reject.
#pragma once

#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "foundation/option_list.h"
#include "pad/pad_validator.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QObject;
class QPlainTextEdit;
class QWidget;

namespace quillora::app {

class TRecordFields {
 public:
  enum class Kind { Text, Memo, Choice, YesNo, CheckList };

  // utf8: the value is stored UTF-8 encoded (PAD descriptions), otherwise in the code page.
  void AddText(const std::string& key, QLineEdit* edit, bool utf8 = false);
  void AddMemo(const std::string& key, QPlainTextEdit* edit, bool utf8 = false);
  // A choice shows the entry equal to the value without regard to case; fallback is chosen for
  // a value not in the list (none when empty). Storing with no entry chosen removes the key.
  void AddChoice(const std::string& key, QComboBox* box, const QString& fallback = {});
  // Checked when the value, lower-cased, is "y"; stored as "Y" or "N".
  void AddYesNo(const std::string& key, QCheckBox* box);
  // Checked entries joined by ","; stored values not in the list are dropped unless
  // append_unknown, which adds them for this edit, checked. An empty value checks empty_checks.
  void AddCheckList(const std::string& key, QListWidget* list, bool append_unknown = false,
                    const QString& empty_checks = {});

  void Load(const TOptionsList& values);
  // Empty texts and unchecked-nothing lists remove their keys.
  void Store(TOptionsList& values) const;
  // Every field's current text, UTF-8, keyed like the record: what the validator reads.
  void Collect(TOptionsList& values) const;

  // Calls fn (in context) whenever a bound field changes, typed or loaded.
  void OnChange(QObject* context, const std::function<void()>& fn);

  QWidget* Widget(const std::string& key) const;
  // Marks the fields whose key has a problem (the rule in the tooltip) and clears the others.
  // alias maps a problem path to a field key first (the descriptions of the shown language).
  void Mark(const std::vector<TPadProblem>& problems, const std::string& alias_from = {},
            const std::string& alias_to = {});

  // The text a field would store, as Qt text.
  QString Text(const std::string& key) const;

 private:
  struct Field {
    std::string key;
    Kind kind;
    QWidget* widget;
    bool utf8 = false;
    bool append_unknown = false;
    QString extra;    // choice fallback / check list's entry for an empty value
    QString tooltip;  // the widget's own hint, restored when a mark clears
  };
  const Field* Find(const std::string& key) const;
  QString Value(const Field& f) const;

  std::vector<Field> fields_;
};

// Splits at sep, dropping nothing.
std::vector<QString> SplitValue(const QString& value, QChar sep);

}  // namespace quillora::app
