// Timing monitors and their two files: the binary totals kept across runs and the text report.
#include "foundation/monitors.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdio>
#include <limits>
#include <stdexcept>

#include "foundation/binary_read.h"
#include "foundation/dates.h"

namespace quillora {
namespace {

std::atomic<TMonitorsList*> g_global{nullptr};

// The file holds a few hundred bytes; anything far larger is not ours.
constexpr long kMaxFileSize = 16 * 1024 * 1024;

// Milliseconds as seconds with three decimals, independent of the C locale's decimal point.
std::string Seconds(double ms) {
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, ms / 1000.0, std::chars_format::fixed, 3);
  return std::string(buf, res.ptr);
}

uint32_t SaturatingAdd(uint32_t a, uint32_t b) {
  return a > std::numeric_limits<uint32_t>::max() - b ? std::numeric_limits<uint32_t>::max()
                                                      : a + b;
}

}  // namespace

void TMonitor::Stop(uint32_t& start) {
  if (start == 0) return;
  AddDuration(TickCount() - start);  // unsigned difference survives the tick count wrapping
  start = 0;
}

void TMonitor::AddDuration(uint32_t ms) {
  if (shortest == 0 || shortest > ms) shortest = ms;
  if (longest == 0 || longest < ms) longest = ms;
  // Totals kept across months of runs must not wrap around into nonsense averages.
  total = SaturatingAdd(total, ms);
  count = SaturatingAdd(count, 1);
}

TMonitorsList::TMonitorsList(std::string data_file) : data_file_(std::move(data_file)) {
  if (!data_file_.empty()) LoadBinary(data_file_);
}

TMonitorsList::~TMonitorsList() {
  if (g_global.load() == this) g_global.store(nullptr);
  if (data_file_.empty()) return;
  try {
    SaveBinary(data_file_);
  } catch (...) {
    // The timing figures are a convenience; a read-only data folder must not stop the exit.
  }
}

TMonitor& TMonitorsList::Get(std::string_view name) {
  std::lock_guard lock(mutex_);
  for (auto& m : items_)
    if (m->name == name) return *m;
  items_.push_back(std::make_unique<TMonitor>());
  items_.back()->name = std::string(name);
  return *items_.back();
}

void TMonitorsList::Stop(TMonitor& monitor, uint32_t& start) {
  std::lock_guard lock(mutex_);
  monitor.Stop(start);
}

void TMonitorsList::SaveBinary(const std::string& path) const {
  TMemoryStream stream;
  {
    std::lock_guard lock(mutex_);
    WriteUInt32(stream, static_cast<uint32_t>(items_.size()));
    for (const auto& m : items_) {
      WriteUInt32(stream, static_cast<uint32_t>(m->name.size()));
      stream.Write(m->name);
      for (uint32_t v : {m->shortest, m->longest, m->total, m->count}) WriteUInt32(stream, v);
    }
  }
  const std::string& out = stream.Data();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) throw std::runtime_error("Cannot create file " + path);
  bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
  ok = std::fclose(f) == 0 && ok;
  if (!ok) throw std::runtime_error("Cannot write file " + path);
}

void TMonitorsList::LoadBinary(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return;
  std::string data;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0 &&
         data.size() + n <= static_cast<size_t>(kMaxFileSize))
    data.append(buf, n);
  bool too_big = n > 0;
  std::fclose(f);
  if (too_big) return;

  // Parse everything before touching the list, so a damaged file changes nothing. Every
  // length is checked against the bytes actually present before anything is allocated.
  TMemoryStream r(std::move(data));
  std::vector<TMonitor> loaded;
  try {
    const uint32_t count = ReadUInt32Strict(r, "the count");
    constexpr int64_t kMinRecord = 4 + 16;
    if (count > r.Remaining() / kMinRecord) return;
    loaded.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
      TMonitor m;
      m.name = ReadBytesStrict(r, ReadUInt32Strict(r, "a name"), "a name");
      for (uint32_t* v : {&m.shortest, &m.longest, &m.total, &m.count})
        *v = ReadUInt32Strict(r, "a monitor");
      loaded.push_back(std::move(m));
    }
  } catch (const std::runtime_error&) {
    return;
  }

  for (auto& m : loaded) {
    TMonitor& target = Get(m.name);
    std::lock_guard lock(mutex_);
    target.shortest = m.shortest;
    target.longest = m.longest;
    target.total = m.total;
    target.count = m.count;
  }
}

std::string TMonitorsList::TextReport(double now) const {
  std::string r = "TimeStamp: " + DateTimeToStr(now) + "\r\n";
  std::lock_guard lock(mutex_);
  for (const auto& m : items_) {
    r += m->name + ": " + Seconds(m->shortest);
    if (m->shortest != m->longest) {
      double average = m->count == 0 ? 0.0 : static_cast<double>(m->total) / m->count;
      r += " - " + Seconds(m->longest) + " (avrg: " + Seconds(average) + ")";
    }
    r += "\r\n";
  }
  return r;
}

void TMonitorsList::SaveTextReport(const std::string& path) const {
  std::string text = TextReport(Now());
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return;
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
}

TMonitorsList* GlobalMonitors() {
  return g_global.load();
}

void SetGlobalMonitors(TMonitorsList* list) {
  g_global.store(list);
}

TMonitorScope::TMonitorScope(std::string_view name) : list_(GlobalMonitors()) {
  if (list_ == nullptr) return;
  monitor_ = &list_->Get(name);
  start_ = TickCount();
}

TMonitorScope::~TMonitorScope() {
  if (list_ != nullptr && monitor_ != nullptr) list_->Stop(*monitor_, start_);
}

}  // namespace quillora
