// What every quillora-cli command gets: the global options, the output streams and the lazily
// run start-up data load.
#pragma once

#include <iosfwd>
#include <memory>
#include <stdexcept>
#include <string>

namespace CLI {
class App;
}

namespace quillora {
class TCoreContext;
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
  CliContext(std::ostream& o, std::ostream& e);
  ~CliContext();  // a core still running is released unsaved
  std::ostream& out;
  std::ostream& err;
  TCliUserInterface* ui = nullptr;
  std::string data_dir;  // empty: resolved as the program does
  std::string user_dir;  // empty: resolved as the program does
  bool yes = false, no = false, quiet = false;
  // What the start-up loads: the program loads the site list and the records.
  bool load_sites = true;
  bool load_records = true;
  bool no_site_cache = false;  // --no-site-cache: every site file is read in full
  // The exit status of a command that finished with a result other than success or failure.
  int exit_status = 0;

  // Runs the program's start-up data load once (settings, data tables, sites, records); throws
  // CliReportedFailure when it fails.
  void EnsureStarted();
  // What the program does when the command has finished: the settings are saved and the core
  // released. Nothing happens when it never started.
  void Finish();
  std::unique_ptr<TCoreContext> core;
};

}  // namespace quillora::cli
