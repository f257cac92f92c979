// The product editor's variables menu: the text fields' context menu gains the active profile's
// keys as a tree (and the favourite keys first), and choosing one types the key at the cursor.
#pragma once

#include <QString>
#include <functional>
#include <string>
#include <vector>

class QMenu;
class QWidget;

namespace quillora::app {

// Every key of the active profile that contains "/", sorted, and the favourite keys.
struct TVariableKeys {
  std::vector<std::string> favorites;
  std::vector<std::string> keys;
};
TVariableKeys ActiveVariableKeys();

// Adds the "Favorites" submenu (when there are any) and the key tree to menu; insert is called
// with the key chosen.
void FillVariablesMenu(QMenu* menu, const TVariableKeys& keys,
                       const std::function<void(const QString&)>& insert);

// Gives every line and multi-line text box under root the menu.
void AttachVariablesMenu(QWidget* root);

}  // namespace quillora::app
