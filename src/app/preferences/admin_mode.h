// The process-wide admin mode: off at start, switched on by the pass phrase typed into the
// preferences dialog, never switched off or stored. The editors open their identity fields in it.
#pragma once

namespace quillora::app {

bool AdminMode();
void SetAdminMode(bool on);

}  // namespace quillora::app
