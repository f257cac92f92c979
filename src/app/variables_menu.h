// The pop-up menu of profile keys that the editors use to put template references ("|key|")
// into their text fields, and the text-editing entries that share the menu with them.
#pragma once

#include <QString>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QWidget;

namespace quillora::app {

// The sorted key names the menu offers: with the record namespace, every key of
// "NameSpace.dat" and of the active profile (each once); without it, the profile's keys alone.
std::vector<std::string> VariableNames(bool with_namespace);

// Empties menu and fills it: "Favorites" (one entry per line of "Favorites.dat") when there are
// any, then the names with "/" as nested submenus, then those without. Every leaf calls
// on_choose with its path.
void BuildVariablesMenu(QMenu* menu, bool with_namespace,
                        const std::function<void(const QString& path)>& on_choose);
// The key an entry of such a menu stands for: its captions from the top joined with "/", a
// leading "Favorites/" dropped, "&" removed and blanks back to "_".
QString VariablePath(const QAction* item);

// Appends "Cut", "Copy", "Paste", "Delete" (and "Select all" when asked) acting on whichever of
// the text fields the menu was last opened on (see AttachVariablesMenu).
void AddEditEntries(QMenu* menu, bool select_all);
// Makes menu the context menu of a QLineEdit, QPlainTextEdit or QComboBox; a variable chosen
// while opened there replaces the field's selection with text_for(path).
void AttachVariablesMenu(QWidget* field, QMenu* menu);
// Gives every line and multi-line text box under root (not the boxes of drop-downs) its standard
// context menu with an "Insert variable" submenu of the profile's keys.
void AttachVariablesMenuToTextBoxes(QWidget* root);
// The field the menu was last opened on, or nullptr.
QWidget* MenuField(const QMenu* menu);
// Replaces the selection of a text field (line, multi-line or editable choice) with text.
void InsertIntoField(QWidget* field, const QString& text);

}  // namespace quillora::app
