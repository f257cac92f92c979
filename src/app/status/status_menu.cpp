#include "app/status/status_menu.h"

#include "app/qt_text.h"
#include "foundation/app_state.h"
#include "foundation/data_tables.h"
#include "foundation/option_list.h"
#include "submit/status_records.h"

namespace quillora::app {

void FillStatusMenu(
    QMenu* menu,
    const std::function<void(const std::string& state, const std::string& comment)>& chosen) {
  menu->clear();
  for (const std::string& state : OverrideItems()) {
    const TOptionsList* comments =
        ApplicationDataReady() ? Tables().status.FindSection(state) : nullptr;
    std::vector<std::string> texts;
    if (comments)
      for (const std::string& line : comments->Lines())
        if (!line.empty()) texts.push_back(line);
    if (texts.empty()) {
      QObject::connect(menu->addAction(ToQString(state)), &QAction::triggered, menu,
                       [chosen, state] { chosen(state, ""); });
      continue;
    }
    QMenu* sub = menu->addMenu(ToQString(state));
    QObject::connect(sub->addAction("No specific comment"), &QAction::triggered, menu,
                     [chosen, state] { chosen(state, ""); });
    sub->addSeparator();
    for (const std::string& text : texts)
      QObject::connect(sub->addAction(ToQString(text)), &QAction::triggered, menu,
                       [chosen, state, text] { chosen(state, text); });
  }
}

}  // namespace quillora::app
