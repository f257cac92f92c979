// Shared measuring helpers of the benchmarks.
#pragma once

#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace quillora::bench {

// CPU time of this thread: the machines these run on are shared, and wall time would count
// the other jobs too.
inline double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Best time per copy of `bytes`, in seconds: the reference the coders are compared against.
inline double MemcpySeconds(const std::string& bytes, int copies_per_round = 20) {
  std::vector<char> dst(bytes.size());
  double best = 1e9;
  for (int round = 0; round < 50; ++round) {
    const double t0 = CpuSeconds();
    for (int i = 0; i < copies_per_round; ++i) {
      std::memcpy(dst.data(), bytes.data(), bytes.size());
      benchmark::DoNotOptimize(dst.data());
      benchmark::ClobberMemory();
    }
    best = std::min(best, (CpuSeconds() - t0) / copies_per_round);
  }
  return best;
}

}  // namespace quillora::bench
