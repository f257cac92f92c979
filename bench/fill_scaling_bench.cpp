// Time per MB of markup for `fill --all` on hostile pages: deeply nested elements, one very wide
// form, and many small forms, with smart guessing and with the classic rules. The reference is
// measured in the same run: a plain linear pass over the same bytes (a checksum of every byte).
// Goal: any page of 1 MB fills in under a second, and doubling the page about doubles the time.
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "bench_util.h"
#include "core/core_context.h"
#include "foundation/app_state.h"
#include "submit/form_filler.h"
#include "submit/html_document.h"
#include "support/test_context.h"

using namespace quillora;
using quillora::bench::CpuSeconds;
using quillora::test::TestData;

namespace {

std::string DeepPage(size_t bytes) {
  std::string open, close;
  const std::string o = "<div class=n><span>", c = "</span></div>";
  while (open.size() + close.size() + o.size() + c.size() + 200 < bytes) {
    open += o;
    close.insert(0, c);
  }
  return "<html><body>" + open +
         "<form action=/s method=post>Program name <input name=pname> Version <input "
         "name=ver></form>" +
         close + "</body></html>";
}

std::string WidePage(size_t bytes) {
  std::string html = "<html><body><form action=/s method=post><table>";
  for (int i = 0; html.size() < bytes; ++i) {
    const std::string n = std::to_string(i);
    html += "<tr><td><label for=f" + n + ">Program name " + n + "</label></td><td><input id=f" + n +
            " name=f" + n + " size=40></td><td><input type=checkbox name=os" + n +
            "> Windows XP</td></tr>";
  }
  return html + "</table></form></body></html>";
}

// One form whose controls sit in fieldsets: the fieldset's markup holds the controls after it.
std::string FieldsetPage(size_t bytes) {
  std::string html = "<html><body><form action=/s method=post>";
  for (int i = 0; html.size() < bytes; ++i) {
    const std::string n = std::to_string(i);
    html += "<fieldset><legend>Program " + n + "</legend>Program name <input name=p" + n +
            "> Version <input name=v" + n + "></fieldset>";
  }
  return html + "</form></body></html>";
}

std::string ManyFormsPage(size_t bytes) {
  std::string html = "<html><body>";
  while (html.size() < bytes) {
    html +=
        "<form action=/s method=post>Program name <input name=pname> E-mail <input "
        "name=email></form>";
  }
  return html + "</body></html>";
}

// The reference: one linear pass over the bytes.
double LinearPassSeconds(const std::string& page) {
  double best = 1e9;
  for (int round = 0; round < 20; ++round) {
    const double t0 = CpuSeconds();
    unsigned sum = 0;
    for (unsigned char c : page) sum = sum * 31 + c;
    benchmark::DoNotOptimize(sum);
    best = std::min(best, CpuSeconds() - t0);
  }
  return best;
}

double FillSeconds(const std::string& page) {
  const double t0 = CpuSeconds();
  THtmlDocument doc(page, "http://downloads.example/page.html");
  FillDocument(&doc, nullptr, false);
  return CpuSeconds() - t0;
}

}  // namespace

int main(int argc, char** argv) {
  const double megabytes = argc > 1 ? std::atof(argv[1]) : 1.0;
  TestData scratch(QUILLORA_BENCH_DATA_DIR "/../../data");
  TStartupOptions options = scratch.Options();
  options.load_sites = false;
  options.load_records = true;
  std::unique_ptr<TCoreContext> core = scratch.Start(options);
  if (!core) return 1;

  struct Kind {
    const char* name;
    std::function<std::string(size_t)> make;
  };
  const Kind kinds[] = {{"deep", DeepPage},
                        {"wide", WidePage},
                        {"fieldsets", FieldsetPage},
                        {"many forms", ManyFormsPage}};
  std::printf("%-11s %-8s %9s %12s %12s %12s\n", "page", "guesser", "MB", "s per MB", "x linear",
              "2x size");
  bool met = true;
  for (const Kind& k : kinds) {
    const std::string page = k.make(static_cast<size_t>(megabytes * 1024 * 1024));
    const std::string twice = k.make(static_cast<size_t>(2 * megabytes * 1024 * 1024));
    const double mb = static_cast<double>(page.size()) / (1024.0 * 1024.0);
    const double reference = LinearPassSeconds(page);
    for (bool smart : {true, false}) {
      Settings().SetBool("Smart Guessing", smart);
      const double t = FillSeconds(page);
      const double t2 = FillSeconds(twice);
      // Time per MB, its multiple of the linear pass, and how the time grows with the size.
      std::printf("%-11s %-8s %9.2f %12.3f %12.0f %12.2f\n", k.name, smart ? "smart" : "classic",
                  mb, t / mb, t / std::max(reference, 1e-9), t2 / std::max(t, 1e-9));
      if (t / mb > 1.0 || t2 / std::max(t, 1e-9) > 3.0) met = false;
    }
  }
  std::printf("goal (under 1 s per MB, about linear growth): %s\n", met ? "met" : "MISSED");
  core->Shutdown();
  return met ? 0 : 2;
}
