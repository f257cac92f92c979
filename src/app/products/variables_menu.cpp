#include "app/products/variables_menu.h"

#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <algorithm>
#include <map>

#include "app/qt_text.h"
#include "foundation/app_state.h"
#include "pad/product_data.h"
#include "pad/profile.h"

namespace quillora::app {

namespace {

// A menu caption shows "&" as itself rather than as a shortcut mark.
QString Caption(const std::string& text) {
  return ToQString(text).replace('&', "&&");
}

// What a chosen entry types: its path with the menu's "&" marks gone and "_" for spaces.
QString Typed(const std::string& key) {
  return ToQString(key).remove('&').replace(' ', '_');
}

}  // namespace

TVariableKeys ActiveVariableKeys() {
  TVariableKeys keys;
  if (!ApplicationDataReady() || !RecordListsReady()) return keys;
  for (const std::string& line : Tables().favorites.Lines())
    if (!line.empty()) keys.favorites.push_back(line);
  const TProfile& profile = ActiveProfile();
  for (int i = 0; i < profile.Count(); ++i) {
    const std::string key = profile.NameAt(i);
    if (key.find('/') != std::string::npos) keys.keys.push_back(key);
  }
  std::sort(keys.keys.begin(), keys.keys.end());
  keys.keys.erase(std::unique(keys.keys.begin(), keys.keys.end()), keys.keys.end());
  return keys;
}

void FillVariablesMenu(QMenu* menu, const TVariableKeys& keys,
                       const std::function<void(const QString&)>& insert) {
  if (!keys.favorites.empty()) {
    QMenu* favorites = menu->addMenu("Favorites");
    for (const std::string& key : keys.favorites) {
      const QString text = Typed(key);
      favorites->addAction(Caption(key), [insert, text] { insert(text); });
    }
  }
  // One submenu per path level, made as the sorted keys reach it.
  std::map<std::string, QMenu*> menus;
  for (const std::string& key : keys.keys) {
    QMenu* parent = menu;
    size_t start = 0;
    for (size_t slash = key.find('/'); slash != std::string::npos;
         slash = key.find('/', slash + 1)) {
      const std::string path = key.substr(0, slash);
      auto it = menus.find(path);
      if (it == menus.end())
        it = menus.emplace(path, parent->addMenu(Caption(key.substr(start, slash - start)))).first;
      parent = it->second;
      start = slash + 1;
    }
    const QString text = Typed(key);
    parent->addAction(Caption(key.substr(start)), [insert, text] { insert(text); });
  }
}

void AttachVariablesMenu(QWidget* root) {
  for (QLineEdit* edit : root->findChildren<QLineEdit*>()) {
    // The boxes of drop-downs have their own menus.
    if (edit->parentWidget() && edit->parentWidget()->inherits("QComboBox")) continue;
    edit->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(edit, &QWidget::customContextMenuRequested, edit, [edit](const QPoint& at) {
      QMenu* menu = edit->createStandardContextMenu();
      menu->addSeparator();
      FillVariablesMenu(menu->addMenu("Insert variable"), ActiveVariableKeys(),
                        [edit](const QString& key) {
                          if (!edit->isReadOnly()) edit->insert(key);
                        });
      menu->exec(edit->mapToGlobal(at));
      delete menu;
    });
  }
  for (QPlainTextEdit* edit : root->findChildren<QPlainTextEdit*>()) {
    edit->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(edit, &QWidget::customContextMenuRequested, edit, [edit](const QPoint& at) {
      QMenu* menu = edit->createStandardContextMenu(at);
      menu->addSeparator();
      FillVariablesMenu(menu->addMenu("Insert variable"), ActiveVariableKeys(),
                        [edit](const QString& key) {
                          if (!edit->isReadOnly()) edit->insertPlainText(key);
                        });
      menu->exec(edit->viewport()->mapToGlobal(at));
      delete menu;
    });
  }
}

}  // namespace quillora::app
