// The desktop program's QApplication: the application-wide exception handler that writes an
// exception reaching the event loop to the exception log instead of showing it or ending the
// program.
#pragma once

#include <QApplication>
#include <functional>
#include <string>

namespace quillora::app {

class TQuilloraApplication : public QApplication {
  Q_OBJECT
 public:
  TQuilloraApplication(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;

  // Writes one line for an exception that reached the event loop (the program's exception log
  // by default; tests replace it).
  std::function<void(const std::string& line)> log_exception;
};

// The line the exception log gets for an exception that reached the event loop. The code address
// is where the event was being delivered: the throw site is gone once the stack has unwound.
std::string UnhandledExceptionLine(const void* where, const std::string& message);

}  // namespace quillora::app
