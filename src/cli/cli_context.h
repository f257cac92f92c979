// What every quillora-cli command gets: the global options, the output streams and the lazily
// run start-up data load.
#pragma once

#include <iosfwd>
#include <stdexcept>
#include <string>

namespace CLI {
class App;
}

namespace quillora::cli {

class TCliUserInterface;

// A failed operation: the message goes to stderr as "error: <message>" and the exit code is 1.
struct CliError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A failure whose messages the user has already seen: exit code 1, nothing more printed.
struct CliReportedFailure : std::runtime_error {
  CliReportedFailure() : std::runtime_error("failed") {}
};

struct CliContext {
  CliContext(std::ostream& o, std::ostream& e) : out(o), err(e) {}
  std::ostream& out;
  std::ostream& err;
  TCliUserInterface* ui = nullptr;
  std::string data_dir;  // empty: resolved as the program does
  std::string user_dir;  // empty: resolved as the program does
  bool yes = false, no = false, quiet = false;

  // Runs the program's start-up data load once (settings, data tables, ...); throws
  // CliReportedFailure when it fails. The settings are saved when the command has finished.
  void EnsureStarted();
  bool started = false;
};

}  // namespace quillora::cli
