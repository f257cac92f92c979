#include "app/products/record_fields.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

#include "app/qt_text.h"

namespace quillora::app {

namespace {

QString Decode(const std::string& value, bool utf8) {
  return utf8 ? QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()))
              : ToQString(value);
}

std::string Encode(const QString& text, bool utf8) {
  return utf8 ? text.toUtf8().toStdString() : FromQString(text);
}

int FindEntry(const QComboBox* box, const QString& value) {
  // Stored values often lose or gain a trailing blank on their way through PAD files.
  const QString wanted = value.trimmed();
  for (int i = 0; i < box->count(); ++i)
    if (box->itemText(i).trimmed().compare(wanted, Qt::CaseInsensitive) == 0) return i;
  return -1;
}

}  // namespace

std::vector<QString> SplitValue(const QString& value, QChar sep) {
  std::vector<QString> parts;
  for (const QString& part : value.split(sep)) parts.push_back(part);
  return parts;
}

void TRecordFields::AddText(const std::string& key, QLineEdit* edit, bool utf8) {
  fields_.push_back({key, Kind::Text, edit, utf8, false, {}, edit->toolTip()});
}

void TRecordFields::AddMemo(const std::string& key, QPlainTextEdit* edit, bool utf8) {
  fields_.push_back({key, Kind::Memo, edit, utf8, false, {}, edit->toolTip()});
}

void TRecordFields::AddChoice(const std::string& key, QComboBox* box, const QString& fallback) {
  fields_.push_back({key, Kind::Choice, box, false, false, fallback, box->toolTip()});
}

void TRecordFields::AddYesNo(const std::string& key, QCheckBox* box) {
  fields_.push_back({key, Kind::YesNo, box, false, false, {}, box->toolTip()});
}

void TRecordFields::AddCheckList(const std::string& key, QListWidget* list, bool append_unknown,
                                 const QString& empty_checks) {
  fields_.push_back(
      {key, Kind::CheckList, list, false, append_unknown, empty_checks, list->toolTip()});
}

void TRecordFields::Load(const TOptionsList& values) {
  for (const Field& f : fields_) {
    const QString value = Decode(values.GetString(f.key), f.utf8);
    switch (f.kind) {
      case Kind::Text:
        static_cast<QLineEdit*>(f.widget)->setText(value);
        break;
      case Kind::Memo:
        static_cast<QPlainTextEdit*>(f.widget)->setPlainText(value);
        break;
      case Kind::Choice: {
        auto* box = static_cast<QComboBox*>(f.widget);
        if (box->isEditable()) {
          // A drop-down of suggestions: the stored text stands as it is.
          box->setCurrentIndex(-1);
          box->setEditText(value);
          break;
        }
        int index = FindEntry(box, value);
        if (index < 0 && !f.extra.isEmpty()) index = FindEntry(box, f.extra);
        box->setCurrentIndex(index);
        break;
      }
      case Kind::YesNo:
        static_cast<QCheckBox*>(f.widget)->setChecked(value.toLower() == "y");
        break;
      case Kind::CheckList: {
        auto* list = static_cast<QListWidget*>(f.widget);
        // Entries a previous record appended belong to that edit only.
        for (int i = list->count() - 1; i >= 0; --i)
          if (list->item(i)->data(Qt::UserRole).toBool()) delete list->takeItem(i);
        for (int i = 0; i < list->count(); ++i) list->item(i)->setCheckState(Qt::Unchecked);
        const QString effective = value.isEmpty() ? f.extra : value;
        if (effective.isEmpty()) break;
        for (const QString& part : SplitValue(effective, ',')) {
          const auto found = list->findItems(part, Qt::MatchExactly);
          if (!found.isEmpty()) {
            found.front()->setCheckState(Qt::Checked);
          } else if (f.append_unknown && !part.isEmpty()) {
            auto* item = new QListWidgetItem(part, list);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Checked);
            item->setData(Qt::UserRole, true);
          }
        }
        break;
      }
    }
  }
}

QString TRecordFields::Value(const Field& f) const {
  switch (f.kind) {
    case Kind::Text:
      return static_cast<QLineEdit*>(f.widget)->text();
    case Kind::Memo:
      return static_cast<QPlainTextEdit*>(f.widget)->toPlainText();
    case Kind::Choice:
      return static_cast<QComboBox*>(f.widget)->currentText();
    case Kind::YesNo:
      return static_cast<QCheckBox*>(f.widget)->isChecked() ? "Y" : "N";
    case Kind::CheckList: {
      auto* list = static_cast<QListWidget*>(f.widget);
      QStringList checked;
      for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->checkState() == Qt::Checked) checked << list->item(i)->text();
      return checked.join(',');
    }
  }
  return {};
}

void TRecordFields::Store(TOptionsList& values) const {
  for (const Field& f : fields_) values.SetString(f.key, Encode(Value(f), f.utf8));
}

void TRecordFields::Collect(TOptionsList& values) const {
  for (const Field& f : fields_) values.SetString(f.key, Value(f).toUtf8().toStdString());
}

void TRecordFields::OnChange(QObject* context, const std::function<void()>& fn) {
  for (const Field& f : fields_) {
    switch (f.kind) {
      case Kind::Text:
        QObject::connect(static_cast<QLineEdit*>(f.widget), &QLineEdit::textChanged, context, fn);
        break;
      case Kind::Memo:
        QObject::connect(static_cast<QPlainTextEdit*>(f.widget), &QPlainTextEdit::textChanged,
                         context, fn);
        break;
      case Kind::Choice:
        QObject::connect(static_cast<QComboBox*>(f.widget), &QComboBox::currentTextChanged, context,
                         fn);
        break;
      case Kind::YesNo:
        QObject::connect(static_cast<QCheckBox*>(f.widget), &QCheckBox::toggled, context, fn);
        break;
      case Kind::CheckList:
        QObject::connect(static_cast<QListWidget*>(f.widget), &QListWidget::itemChanged, context,
                         fn);
        break;
    }
  }
}

const TRecordFields::Field* TRecordFields::Find(const std::string& key) const {
  for (const Field& f : fields_)
    if (f.key == key) return &f;
  return nullptr;
}

QWidget* TRecordFields::Widget(const std::string& key) const {
  const Field* f = Find(key);
  return f ? f->widget : nullptr;
}

QString TRecordFields::Text(const std::string& key) const {
  const Field* f = Find(key);
  return f ? Value(*f) : QString();
}

void TRecordFields::Mark(const std::vector<TPadProblem>& problems, const std::string& alias_from,
                         const std::string& alias_to) {
  for (const Field& f : fields_) {
    QStringList rules;
    for (const TPadProblem& p : problems) {
      std::string path = p.path;
      if (!alias_from.empty() && path.rfind(alias_from, 0) == 0)
        path = alias_to + path.substr(alias_from.size());
      if (path == f.key) rules << QString::fromStdString(p.rule);
    }
    const bool marked = !rules.isEmpty();
    if (f.widget->property("padProblem").toBool() == marked &&
        (!marked || f.widget->property("padRule").toString() == rules.join("; ")))
      continue;
    f.widget->setProperty("padProblem", marked);
    f.widget->setProperty("padRule", rules.join("; "));
    // A light red field is the cue; the rule itself sits in the tooltip.
    f.widget->setStyleSheet(marked ? "background-color: #ffd6d6;" : QString());
    f.widget->setToolTip(marked ? "A download site would reject this value: " + rules.join("; ")
                                : f.tooltip);
  }
}

}  // namespace quillora::app
