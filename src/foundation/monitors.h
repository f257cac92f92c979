// Named stopwatches whose totals are kept across runs ("speed_tests.dat") and reported at exit.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace quillora {

struct TMonitor {
  std::string name;
  uint32_t shortest = 0, longest = 0, total = 0;  // milliseconds
  uint32_t count = 0;

  // start = TickCount() taken by the caller; nothing happens when start is 0. Resets start to 0
  // so that a second Stop does not count the run twice.
  void Stop(uint32_t& start);
  void AddDuration(uint32_t ms);
};

class TMonitorsList {
 public:
  // Reads the binary file when it exists; unreadable or partial content is ignored.
  explicit TMonitorsList(std::string data_file = {});
  // Rewrites the binary file (failures ignored).
  ~TMonitorsList();
  TMonitorsList(const TMonitorsList&) = delete;
  TMonitorsList& operator=(const TMonitorsList&) = delete;

  // The monitor of that exact name, created and appended when missing. Monitors are never
  // removed, so the reference stays valid for the list's lifetime.
  TMonitor& Get(std::string_view name);
  // Thread-safe form of monitor.Stop(start) for monitors of this list (what TMonitorScope uses).
  void Stop(TMonitor& monitor, uint32_t& start);
  const std::vector<std::unique_ptr<TMonitor>>& Items() const { return items_; }

  // Throws std::runtime_error when the file cannot be written.
  void SaveBinary(const std::string& path) const;
  // Takes the figures of the monitors in the file (creating missing ones); a file that cannot
  // be read whole changes nothing.
  void LoadBinary(const std::string& path);
  // "TimeStamp: <date time>" and one line per monitor, CR LF line ends.
  std::string TextReport(double now) const;
  void SaveTextReport(const std::string& path) const;  // failures ignored

 private:
  std::string data_file_;
  std::vector<std::unique_ptr<TMonitor>> items_;
  mutable std::mutex mutex_;
};

// The process's monitors list, set by start-up (not owning); nullptr when there is none.
TMonitorsList* GlobalMonitors();
void SetGlobalMonitors(TMonitorsList* list);

// Starts and stops a named measurement on the global monitors list (no-op without one).
class TMonitorScope {
 public:
  explicit TMonitorScope(std::string_view name);
  ~TMonitorScope();
  TMonitorScope(const TMonitorScope&) = delete;
  TMonitorScope& operator=(const TMonitorScope&) = delete;

 private:
  TMonitorsList* list_;
  TMonitor* monitor_ = nullptr;
  uint32_t start_ = 0;
};

}  // namespace quillora
