// How many fields of the form corpus come out right for the sample product: as unknown forms
// with the classic guessing rules and with smart guessing, on the tuning pages and on the
// held-out pages ("holdout.txt"), and as known forms (stored rules).
// Targets: known forms 100%; smart guessing at least 95% on the held-out pages and no page
// worse than the classic rules. Misses are printed for the tuning pages only, so the held-out
// pages stay unseen while the vocabulary is tuned.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "../tests/submit/form_corpus.h"
#include "core/core_context.h"
#include "foundation/app_state.h"
#include "support/test_context.h"

using namespace quillora;
using namespace quillora::test;

namespace {

void Report(const char* title, const CorpusScore& s) {
  std::printf("%-26s %3d pages  %4d fields  %4d right  %6.1f%%\n", title, s.pages, s.fields,
              s.right, s.Share());
}

void PrintMisses(const char* title, const CorpusScore& s) {
  std::printf("\nMisses (%s): %zu\n", title, s.misses.size());
  for (const CorpusMiss& m : s.misses) {
    std::printf("  %s %s\n    expected: %.90s\n    got:      %.90s\n", m.page.c_str(),
                m.field.c_str(), m.expected.c_str(), m.actual.c_str());
  }
}

CorpusScore Guessed(const std::string& corpus, bool smart, CorpusPart part) {
  Settings().SetBool("Smart Guessing", smart);
  return RunCorpus(corpus, false, part);
}

// Pages where smart guessing gets fewer fields right than the classic rules.
int WorsePages(const CorpusScore& classic, const CorpusScore& smart, bool print) {
  int worse = 0;
  for (const auto& [page, tally] : smart.per_page) {
    auto it = classic.per_page.find(page);
    if (it == classic.per_page.end() || tally.first >= it->second.first) continue;
    ++worse;
    if (print)
      std::printf("  worse than classic: %s (%d < %d)\n", page.c_str(), tally.first,
                  it->second.first);
  }
  return worse;
}

}  // namespace

int main(int argc, char** argv) {
  bool quiet = false;
  std::vector<const char*> args;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--quiet") == 0)
      quiet = true;
    else
      args.push_back(argv[i]);
  }
  const std::string corpus = args.size() > 0 ? args[0] : QUILLORA_BENCH_DATA_DIR "/forms";
  const std::string data = args.size() > 1 ? args[1] : QUILLORA_BENCH_DATA_DIR "/../../data";
  // The program runs on a scratch copy of the data folder with the sample product active.
  TestData scratch(data);
  TStartupOptions options = scratch.Options();
  options.load_sites = false;
  options.load_records = true;
  std::unique_ptr<TCoreContext> core = scratch.Start(options);
  if (!core) return 1;

  const CorpusScore classic_tuning = Guessed(corpus, false, CorpusPart::Tuning);
  const CorpusScore classic_held = Guessed(corpus, false, CorpusPart::HeldOut);
  const CorpusScore smart_tuning = Guessed(corpus, true, CorpusPart::Tuning);
  const CorpusScore smart_held = Guessed(corpus, true, CorpusPart::HeldOut);
  const CorpusScore known = RunCorpus(corpus, true);

  Report("classic, tuning pages", classic_tuning);
  Report("classic, held-out pages", classic_held);
  Report("smart, tuning pages", smart_tuning);
  Report("smart, held-out pages", smart_held);
  Report("known forms, all pages", known);
  const int worse_tuning = WorsePages(classic_tuning, smart_tuning, true);
  const int worse_held = WorsePages(classic_held, smart_held, false);
  std::printf("pages where smart is worse than classic: %d tuning, %d held-out\n", worse_tuning,
              worse_held);
  const bool met = smart_held.Share() >= 95 && known.right == known.fields && worse_tuning == 0 &&
                   worse_held == 0;
  std::printf("targets (held-out >= 95%%, known 100%%, no page worse): %s\n",
              met ? "met" : "MISSED");
  if (!quiet) {
    PrintMisses("smart, tuning pages", smart_tuning);
    if (std::getenv("QUILLORA_SHOW_HELD_OUT")) {
      PrintMisses("smart, held-out pages", smart_held);
      WorsePages(classic_held, smart_held, true);
    }
    PrintMisses("known forms", known);
  }
  core->Shutdown();
  return met ? 0 : 2;
}
