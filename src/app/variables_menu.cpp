#include "app/variables_menu.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <algorithm>
#include <set>

#include "app/qt_text.h"
#include "foundation/app_state.h"
#include "pad/product_data.h"
#include "pad/profile.h"

namespace quillora::app {

namespace {

constexpr const char* kFieldProperty = "quilloraMenuField";

QMenu* ChildMenu(QMenu* parent, const QString& caption) {
  for (QAction* a : parent->actions())
    if (a->menu() && a->text() == caption) return a->menu();
  QMenu* sub = parent->addMenu(caption);
  return sub;
}

void AddPath(QMenu* menu, const std::string& name,
             const std::function<void(const QString&)>& on_choose) {
  QString shown = ToQString(name);
  shown.replace('_', ' ');
  // "&" would become an accelerator mark; doubling keeps it as a character.
  shown.replace("&", "&&");
  const QStringList parts = shown.split('/');
  QMenu* at = menu;
  for (int i = 0; i + 1 < parts.size(); ++i) at = ChildMenu(at, parts[i]);
  for (QAction* a : at->actions())
    if (!a->menu() && a->text() == parts.last()) return;
  QAction* leaf = at->addAction(parts.last());
  QObject::connect(leaf, &QAction::triggered, menu,
                   [leaf, on_choose] { on_choose(VariablePath(leaf)); });
}

}  // namespace

std::vector<std::string> VariableNames(bool with_namespace) {
  std::vector<std::string> names;
  std::set<std::string> seen;
  auto add = [&](const std::string& name) {
    if (!name.empty() && seen.insert(name).second) names.push_back(name);
  };
  if (with_namespace && ApplicationDataReady()) {
    const TMultiOptions& space = Tables().name_space;
    for (int s = 0; s < space.Count(); ++s) {
      const TOptionsList& section = space.SectionAt(s);
      for (int i = 0; i < section.Count(); ++i) add(section.NameAt(i));
    }
  }
  if (RecordListsReady()) {
    const TProfile& profile = ActiveProfile();
    for (int i = 0; i < profile.Count(); ++i) add(profile.NameAt(i));
  }
  std::sort(names.begin(), names.end());
  return names;
}

void BuildVariablesMenu(QMenu* menu, bool with_namespace,
                        const std::function<void(const QString& path)>& on_choose) {
  menu->clear();
  if (ApplicationDataReady() && !Tables().favorites.Empty()) {
    QMenu* favorites = menu->addMenu("Favorites");
    for (const std::string& line : Tables().favorites.Lines()) {
      QString shown = ToQString(line);
      shown.replace('_', ' ');
      shown.replace("&", "&&");
      QAction* leaf = favorites->addAction(shown);
      QObject::connect(leaf, &QAction::triggered, menu,
                       [leaf, on_choose] { on_choose(VariablePath(leaf)); });
    }
  }
  const std::vector<std::string> names = VariableNames(with_namespace);
  for (const std::string& name : names)
    if (name.find('/') != std::string::npos) AddPath(menu, name, on_choose);
  for (const std::string& name : names)
    if (name.find('/') == std::string::npos) AddPath(menu, name, on_choose);
}

QString VariablePath(const QAction* item) {
  QStringList captions{item->text()};
  // A submenu's menuAction is what its parent shows; walk up through the menus.
  auto* menu = qobject_cast<QMenu*>(item->parent());
  while (menu) {
    QAction* shown = menu->menuAction();
    auto* parent = qobject_cast<QMenu*>(menu->parent());
    if (!parent || !parent->actions().contains(shown)) break;
    captions.prepend(shown->text());
    menu = parent;
  }
  QString path = captions.join('/');
  if (path.startsWith("Favorites/")) path.remove(0, 10);
  // "&&" is a shown "&"; single marks are accelerators.
  path.replace("&&", QChar(0x1));
  path.remove('&');
  path.replace(QChar(0x1), "&");
  path.replace(' ', '_');
  return path;
}

QWidget* MenuField(const QMenu* menu) {
  return qvariant_cast<QWidget*>(menu->property(kFieldProperty));
}

void InsertIntoField(QWidget* field, const QString& text) {
  if (auto* line = qobject_cast<QLineEdit*>(field)) {
    line->insert(text);
  } else if (auto* memo = qobject_cast<QPlainTextEdit*>(field)) {
    memo->insertPlainText(text);
  } else if (auto* choice = qobject_cast<QComboBox*>(field); choice && choice->lineEdit()) {
    choice->lineEdit()->insert(text);
  }
}

void AddEditEntries(QMenu* menu, bool select_all) {
  auto on_field = [menu](auto line_fn, auto memo_fn) {
    QWidget* field = MenuField(menu);
    if (auto* choice = qobject_cast<QComboBox*>(field)) field = choice->lineEdit();
    if (auto* line = qobject_cast<QLineEdit*>(field)) line_fn(line);
    if (auto* memo = qobject_cast<QPlainTextEdit*>(field)) memo_fn(memo);
  };
  menu->addAction("Cut", menu, [on_field] {
    on_field([](QLineEdit* e) { e->cut(); }, [](QPlainTextEdit* e) { e->cut(); });
  });
  menu->addAction("Copy", menu, [on_field] {
    on_field([](QLineEdit* e) { e->copy(); }, [](QPlainTextEdit* e) { e->copy(); });
  });
  menu->addAction("Paste", menu, [on_field] {
    on_field([](QLineEdit* e) { e->paste(); }, [](QPlainTextEdit* e) { e->paste(); });
  });
  menu->addAction("Delete", menu, [on_field] {
    on_field([](QLineEdit* e) { e->del(); },
             [](QPlainTextEdit* e) { e->textCursor().removeSelectedText(); });
  });
  if (select_all)
    menu->addAction("Select all", menu, [on_field] {
      on_field([](QLineEdit* e) { e->selectAll(); }, [](QPlainTextEdit* e) { e->selectAll(); });
    });
}

void AttachVariablesMenu(QWidget* field, QMenu* menu) {
  field->setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(field, &QWidget::customContextMenuRequested, menu,
                   [field, menu](const QPoint& at) {
                     menu->setProperty(kFieldProperty, QVariant::fromValue<QWidget*>(field));
                     menu->exec(field->mapToGlobal(at));
                     menu->setProperty(kFieldProperty, QVariant());
                   });
  if (auto* choice = qobject_cast<QComboBox*>(field); choice && choice->lineEdit()) {
    choice->lineEdit()->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(choice->lineEdit(), &QWidget::customContextMenuRequested, menu,
                     [field, choice, menu](const QPoint& at) {
                       menu->setProperty(kFieldProperty, QVariant::fromValue<QWidget*>(field));
                       menu->exec(choice->lineEdit()->mapToGlobal(at));
                       menu->setProperty(kFieldProperty, QVariant());
                     });
  }
}

void AttachVariablesMenuToTextBoxes(QWidget* root) {
  auto popup = [](QWidget* edit, QMenu* menu, const QPoint& global) {
    menu->addSeparator();
    BuildVariablesMenu(menu->addMenu("Insert variable"), false, [edit](const QString& path) {
      if (auto* line = qobject_cast<QLineEdit*>(edit); line && line->isReadOnly()) return;
      if (auto* memo = qobject_cast<QPlainTextEdit*>(edit); memo && memo->isReadOnly()) return;
      InsertIntoField(edit, path);
    });
    menu->exec(global);
    delete menu;
  };
  for (QLineEdit* edit : root->findChildren<QLineEdit*>()) {
    // The boxes of drop-downs have their own menus.
    if (edit->parentWidget() && edit->parentWidget()->inherits("QComboBox")) continue;
    edit->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(edit, &QWidget::customContextMenuRequested, edit,
                     [edit, popup](const QPoint& at) {
                       popup(edit, edit->createStandardContextMenu(), edit->mapToGlobal(at));
                     });
  }
  for (QPlainTextEdit* edit : root->findChildren<QPlainTextEdit*>()) {
    edit->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(
        edit, &QWidget::customContextMenuRequested, edit, [edit, popup](const QPoint& at) {
          popup(edit, edit->createStandardContextMenu(at), edit->viewport()->mapToGlobal(at));
        });
  }
}

}  // namespace quillora::app
