#include "app/preferences/admin_mode.h"

namespace quillora::app {

namespace {
bool admin_mode = false;
}  // namespace

bool AdminMode() {
  return admin_mode;
}

void SetAdminMode(bool on) {
  admin_mode = on;
}

}  // namespace quillora::app
