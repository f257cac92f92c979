// Filling a 200-field form with mixed lists in the in-memory document: a stored (known) form,
// and the guess path (capture, rules from "aliases.dat", fill). Budget: under 5 ms per fill.
// The fill benchmarks parse the page once, outside the timed loop: their figures leave page
// parsing out. BM_ParsePage times the parse alone, and BM_ParseGuessAndFillUnknownForm the
// whole of what a page costs the first time it is filled: parse, guess and fill.
#include <memory>

#include <benchmark/benchmark.h>

#include "core/core_context.h"
#include "sites/site.h"
#include "submit/form_filler.h"
#include "submit/html_document.h"
#include "support/test_context.h"

using namespace quillora;

namespace {

std::string BigForm() {
  static const char* const kLabels[] = {"Program name", "Version",           "Company",  "E-mail",
                                        "Homepage",     "Short description", "Keywords", "Price"};
  std::string html = "<form action='/submit' method='post'><table>";
  for (int i = 0; i < 200; ++i) {
    const std::string n = std::to_string(i);
    html += "<tr><td>" + std::string(kLabels[i % 8]) + " " + n + ":</td><td>";
    switch (i % 5) {
      case 0:
        html += "<select name='cat" + n +
                "'><option>Choose</option><option>Business</option>"
                "<option>Games</option><option>Internet</option><option>Utilities</option>"
                "<option>Productivity</option></select>";
        break;
      case 1:
        html += "<select name='month" + n + "'><option>Month</option>";
        for (int m = 1; m <= 12; ++m)
          html += "<option>" + std::string(m < 10 ? "0" : "") + std::to_string(m) + "</option>";
        html += "</select>";
        break;
      case 2:
        html += "<textarea name='desc" + n + "'></textarea>";
        break;
      default:
        html += "<input name='field" + n + "' size='40' maxlength='80'>";
    }
    html += "</td></tr>";
  }
  return html + "</table></form>";
}

// The program on a scratch copy of the shipped data with the sample product active.
struct Program {
  Program() {
    TStartupOptions options = data.Options();
    options.load_sites = false;
    options.load_records = true;
    core = data.Start(options);
  }
  ~Program() {
    if (core) core->Shutdown();
  }
  test::TestData data;
  std::unique_ptr<TCoreContext> core;
};

Program& TheProgram() {
  static Program program;
  return program;
}

void BM_FillKnownForm(benchmark::State& state) {
  TheProgram();
  const std::string html = BigForm();
  THtmlDocument doc(html, "http://downloads.example/submit");
  TWebSite site;
  TWebForm& stored = site.Forms().AddForm();
  CaptureLiveForm(doc.FormAt(0), stored);
  AssignTemplates(stored, false);
  AdjustTemplatesToSize(stored, true);
  for (auto _ : state) {
    FillDocument(&doc, &site, true);
  }
}
BENCHMARK(BM_FillKnownForm)->Unit(benchmark::kMicrosecond);

void BM_GuessAndFillUnknownForm(benchmark::State& state) {
  TheProgram();
  const std::string html = BigForm();
  THtmlDocument doc(html, "http://downloads.example/submit");
  for (auto _ : state) {
    FillDocument(&doc, nullptr, false);
  }
}
BENCHMARK(BM_GuessAndFillUnknownForm)->Unit(benchmark::kMicrosecond);

void BM_ParseGuessAndFillUnknownForm(benchmark::State& state) {
  TheProgram();
  const std::string html = BigForm();
  for (auto _ : state) {
    THtmlDocument doc(html, "http://downloads.example/submit");
    FillDocument(&doc, nullptr, false);
  }
}
BENCHMARK(BM_ParseGuessAndFillUnknownForm)->Unit(benchmark::kMicrosecond);

void BM_CaptureAndAssign(benchmark::State& state) {
  TheProgram();
  THtmlDocument doc(BigForm(), "http://downloads.example/submit");
  for (auto _ : state) {
    TWebForm form;
    CaptureLiveForm(doc.FormAt(0), form);
    AssignTemplates(form, false);
    benchmark::DoNotOptimize(form.FieldCount());
  }
}
BENCHMARK(BM_CaptureAndAssign)->Unit(benchmark::kMicrosecond);

void BM_HugeListFill(benchmark::State& state) {
  TheProgram();
  std::string html = "<form><select name=category>";
  for (int i = 0; i < 10000; ++i)
    html += "<option>Category number " + std::to_string(i) + "</option>";
  html += "</select></form>";
  THtmlDocument doc(html);
  TWebSite site;
  TWebForm& stored = site.Forms().AddForm();
  CaptureLiveForm(doc.FormAt(0), stored);
  stored.FieldAt(0).SetFillWith("|Program_Category|");
  for (auto _ : state) FillDocument(&doc, &site, true);
}
BENCHMARK(BM_HugeListFill)->Unit(benchmark::kMillisecond);

void BM_ParsePage(benchmark::State& state) {
  const std::string html = BigForm();
  for (auto _ : state) {
    THtmlDocument doc(html);
    benchmark::DoNotOptimize(doc.FormCount());
  }
}
BENCHMARK(BM_ParsePage)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
