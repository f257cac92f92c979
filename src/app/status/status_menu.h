// The status menu of the Submitter's status dialog and the Sites view: the six override states,
// each with a submenu of the predefined comments of "status.dat" when it has any.
#pragma once

#include <QMenu>
#include <functional>
#include <string>

namespace quillora::app {

// Fills menu with the states. chosen gets the state and the comment ("" for "No specific
// comment" or a state without comments).
void FillStatusMenu(
    QMenu* menu,
    const std::function<void(const std::string& state, const std::string& comment)>& chosen);

}  // namespace quillora::app
