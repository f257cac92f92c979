// Speed of the LZH coder on the 1 MiB mixed vector and on a site-body-like option text.
// Figures are measured against a budget (encode 12 MB/s, decode 60 MB/s; the reference
// LZHUF built with -O2 does about 9.4 and 52 on the mixed vector) and against memcpy of the
// same bytes.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <time.h>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench_util.h"
#include "foundation/lzh.h"
#include "foundation/stream.h"

namespace {

using quillora::bench::CpuSeconds;
using quillora::bench::MemcpySeconds;

using quillora::LzhDecodeBits;
using quillora::LzhEncodeBits;

constexpr double kEncodeBudgetMBs = 12.0;
constexpr double kDecodeBudgetMBs = 60.0;

// The body of a site file: an option tree of a few dozen sections, CR LF line ends.
std::string SiteBodyText(size_t size) {
  static const char* const kCategories[] = {"Shareware", "Freeware", "Demo", "Commercial"};
  std::string out = "[Common info]\r\nUIN=SITE-00A1B2C3D4\r\nLanguage=English\r\n\r\n";
  for (int n = 1; out.size() < size; ++n) {
    const std::string num = std::to_string(n);
    out += "[Field " + num + "]\r\n";
    out += "Name=submit_field_" + num + "\r\n";
    out += "Type=" + std::string(n % 3 ? "text" : "select") + "\r\n";
    out += "Value=%Program Name% " + num + " - " + kCategories[n % 4] + "\r\n";
    out += "URL=http://www.site" + std::to_string(n * 37 % 1000) +
           ".example/submit.php?step=" + num + "\r\n";
    out += "Max length=" + std::to_string(20 + n * 13 % 200) + "\r\n\r\n";
  }
  out.resize(size);
  return out;
}

void SetCounters(benchmark::State& state, size_t bytes, double seconds, double memcpy_seconds,
                 double budget) {
  const double per_iter = seconds / static_cast<double>(state.iterations());
  const double mbs = static_cast<double>(bytes) / per_iter / 1e6;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
  state.counters["MB/s"] = mbs;
  state.counters["x_budget"] = mbs / budget;
  state.counters["x_memcpy_time"] = per_iter / memcpy_seconds;
}

void Encode(benchmark::State& state, const std::string& input) {
  const double memcpy_s = MemcpySeconds(input);
  const double t0 = CpuSeconds();
  for (auto _ : state) benchmark::DoNotOptimize(LzhEncodeBits(input));
  const double s = CpuSeconds() - t0;
  SetCounters(state, input.size(), s, memcpy_s, kEncodeBudgetMBs);
}

void Decode(benchmark::State& state, const std::string& input) {
  const std::string bits = LzhEncodeBits(input);
  if (LzhDecodeBits(bits, input.size()) != input) {
    state.SkipWithError("round trip failed");
    return;
  }
  const double memcpy_s = MemcpySeconds(input);
  const double t0 = CpuSeconds();
  for (auto _ : state) benchmark::DoNotOptimize(LzhDecodeBits(bits, input.size()));
  const double s = CpuSeconds() - t0;
  SetCounters(state, input.size(), s, memcpy_s, kDecodeBudgetMBs);
  state.counters["ratio"] = static_cast<double>(bits.size()) / static_cast<double>(input.size());
}

}  // namespace

int main(int argc, char** argv) {
  static std::string mixed;
  try {
    mixed = quillora::FileToString(std::string(QUILLORA_BENCH_DATA_DIR) + "/lzh/mixed_1m.in");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  static const std::string site_body = SiteBodyText(20 * 1024);

  benchmark::RegisterBenchmark("LzhEncode/mixed_1m", Encode, mixed)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("LzhDecode/mixed_1m", Decode, mixed)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("LzhEncode/site_body_20k", Encode, site_body)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("LzhDecode/site_body_20k", Decode, site_body)
      ->Unit(benchmark::kMicrosecond);

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
