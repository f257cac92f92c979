#include "app/application.h"

#include <cstdint>
#include <exception>

#include "foundation/logs.h"

namespace quillora::app {

TQuilloraApplication::TQuilloraApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName("Quillora");
  setApplicationDisplayName("Quillora");
  setApplicationVersion(QUILLORA_VERSION);
  setDesktopFileName("quillora");
  log_exception = [](const std::string& line) { AppendExceptionLog(line); };
}

std::string UnhandledExceptionLine(const void* where, const std::string& message) {
  return ExceptionLogLine(static_cast<unsigned>(reinterpret_cast<uintptr_t>(where)), message);
}

bool TQuilloraApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    log_exception(UnhandledExceptionLine(receiver, e.what()));
  } catch (...) {
    log_exception(UnhandledExceptionLine(receiver, "Unknown exception"));
  }
  return false;
}

}  // namespace quillora::app
