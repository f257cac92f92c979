#include "foundation/app_state.h"

#include <stdexcept>

#include "foundation/ui_port.h"

namespace quillora {

namespace {

TAppState* g_state = nullptr;

TAppState& State() {
  if (!g_state) throw std::logic_error("Application data is not initialised");
  return *g_state;
}

}  // namespace

void InstallAppState(TAppState* state) {
  g_state = state;
}

bool ApplicationDataReady() {
  return g_state != nullptr;
}
TOptionsList& Settings() {
  return State().settings;
}
const TAppFolders& Folders() {
  return State().folders;
}
TDataTables& Tables() {
  return State().tables;
}
const TSystemDescription& SystemDescription() {
  return State().system;
}
TMonitorsList& Monitors() {
  TAppState& st = State();
  if (!st.monitors) throw std::logic_error("The monitors list does not exist yet");
  return *st.monitors;
}

void OpenHelp(const std::string& topic) {
  std::string file =
      g_state ? Folders().executable + Settings().GetString("Help FileName") : std::string();
  UI().OpenDocument(topic.empty() ? file : file + "::/" + topic);
}

}  // namespace quillora
