// Time to load and parse one typical site file (two stored forms, a 5 KB cover kept as bytes,
// not decoded): what the start-up pays per site. Measured against a budget of 250 us per site
// (a database of 2000 sites in half a second) and against a memcpy of the file's bytes.
#include <cstdio>
#include <cstring>
#include <string>
#include <time.h>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench_util.h"
#include "foundation/stream.h"
#include "sites/site.h"

namespace {

using quillora::bench::CpuSeconds;
using quillora::bench::MemcpySeconds;

using quillora::TMemoryStream;
using quillora::TWebSite;

constexpr double kBudgetMicroseconds = 250.0;

void Report(benchmark::State& state, double seconds, double memcpy_seconds) {
  const double per_site = seconds / static_cast<double>(state.iterations());
  state.counters["us_per_site"] = per_site * 1e6;
  state.counters["x_budget"] = per_site * 1e6 / kBudgetMicroseconds;
  state.counters["x_memcpy_time"] = per_site / memcpy_seconds;
}

// Parsing alone: the file's bytes are already in memory.
void Parse(benchmark::State& state, const std::string& bytes) {
  const double memcpy_s = MemcpySeconds(bytes, 100);
  const double t0 = CpuSeconds();
  for (auto _ : state) {
    TWebSite site;
    TMemoryStream stream(bytes);
    site.LoadFromStream(stream);
    benchmark::DoNotOptimize(site.Forms().Count());
  }
  Report(state, CpuSeconds() - t0, memcpy_s);
}

// What the site list does per file: a new site and LoadSiteFile (file read, parse, checks).
void Load(benchmark::State& state, const std::string& path) {
  const double memcpy_s = MemcpySeconds(quillora::FileToString(path), 100);
  const double t0 = CpuSeconds();
  for (auto _ : state) {
    TWebSite site;
    if (site.LoadSiteFile(path) != quillora::slLoaded) {
      state.SkipWithError("the fixture did not load");
      return;
    }
    benchmark::DoNotOptimize(site.Forms().Count());
  }
  Report(state, CpuSeconds() - t0, memcpy_s);
}

}  // namespace

int main(int argc, char** argv) {
  static const std::string path = std::string(QUILLORA_BENCH_DATA_DIR) + "/sites/typical.wsd";
  static std::string bytes;
  try {
    bytes = quillora::FileToString(path);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  benchmark::RegisterBenchmark("SiteFile/parse_typical", Parse, bytes)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("SiteFile/load_typical", Load, path)->Unit(benchmark::kMicrosecond);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
