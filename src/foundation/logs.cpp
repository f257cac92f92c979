#include "foundation/logs.h"

#include <cstdio>

#include "foundation/app_state.h"
#include "foundation/data_tables.h"
#include "foundation/dates.h"
#include "foundation/files.h"

namespace quillora {

std::string ExceptionLogLine(unsigned address, const std::string& message) {
  char hex[9];
  std::snprintf(hex, sizeof hex, "%08X", address);
  return DateTimeToStr(Now()) + ": " + hex + " " + message;
}

void WriteExceptionLogHeader(TOptionsList& log, const TSystemDescription& sys) {
  if (log.Count() < 6) {
    log.Clear();
    for (int i = 0; i < 6; ++i) log.AddLine("");
  }
  log.SetLine(0, "Quillora 3.0");
  log.SetLine(1, "Build: " + sys.build);
  log.SetLine(2, "OS: " + sys.operating_system);
  log.SetLine(3, "Memory: " + sys.memory);
  log.SetLine(4, "IE: " + sys.browser);
  log.SetLine(5, "");
}

void LoadExceptionLog(TOptionsList& log, const std::string& path, const TSystemDescription& sys) {
  try {
    if (FileExists(path)) log.LoadFromTextFile(path);
  } catch (...) {
    log.Clear();
  }
  WriteExceptionLogHeader(log, sys);
  SaveSideFile(path, log.Text());
}

void AppendExceptionLog(const std::string& line) {
  if (!ApplicationDataReady()) return;
  try {
    TOptionsList& log = Tables().exceptions;
    if (log.Count() > 200) log.DeleteLine(6);
    log.AddLine(line);
    log.SaveToTextFile(Folders().data + "exceptions.dat");
  } catch (...) {
  }
}

}  // namespace quillora
