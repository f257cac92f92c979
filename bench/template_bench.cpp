// Template expansion throughput on a realistic mix of fill rules (plain placeholders, IF/ELSE,
// functions) against a 600-line profile, compared with a naive baseline that only substitutes
// "|Key|" placeholders with std::string::find/replace over the same templates and profile.
// Budget: the full evaluator within 3x of the baseline on every path the program takes (plain,
// with a language prefix, and the filler's UTF-8 and wide paths with a language prefix); the
// ratios are printed at the end.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "foundation/codepage.h"
#include "foundation/option_list.h"
#include "template/template.h"

namespace {

using quillora::TOptionsList;

TOptionsList MakeProfile() {
  TOptionsList p;
  auto add = [&](const std::string& key, const std::string& value) { p.SetString(key, value); };
  add("Company_Info/Company_Name", "Acme Tools Ltd.");
  add("Company_Info/Address_1", "12 Long Road");
  add("Company_Info/City_Town", "Springfield");
  add("Company_Info/Country", "United Kingdom");
  add("Company_Info/Company_WebSite_URL", "http://acme-tools.localhost:8765/index.html");
  add("Company_Info/Contact_Info/Author_First_Name", "Jane");
  add("Company_Info/Contact_Info/Author_Last_Name", "Doe");
  add("Company_Info/Contact_Info/Author_Email", "jane@acme-tools.example");
  add("Company_Info/Contact_Info/Contact_Email", "support@acme-tools.example");
  for (int i = 0; i < 40; ++i)
    add("Company_Info/Extra_" + std::to_string(i), "company field " + std::to_string(i));
  add("Program_Info/Program_Name", "Word Counter");
  add("Program_Info/Program_Version", "2.1.4");
  add("Program_Info/Program_Release_Month", "07");
  add("Program_Info/Program_Release_Day", "14");
  add("Program_Info/Program_Release_Year", "2024");
  add("Program_Info/Program_Cost_Dollars", "19.95");
  add("Program_Info/Program_Type", "Shareware");
  add("Program_Info/Program_Release_Status", "Major Update");
  add("Program_Info/Program_Install_Support", "Install and Uninstall");
  add("Program_Info/Program_OS_Support", "Win10,Win11,Linux");
  add("Program_Info/Program_Language", "English,German,French");
  add("Program_Info/File_Info/File_Size_Bytes", "2483200");
  add("Program_Info/File_Info/File_Size_K", "2425");
  add("Program_Info/Expire_Info/Has_Expire_Info", "Y");
  add("Program_Info/Expire_Info/Expire_Count", "30");
  add("Program_Info/Program_Category_Class", "Business::Office Suites & Tools");
  for (int i = 0; i < 60; ++i)
    add("Program_Info/Extra_" + std::to_string(i), "program field " + std::to_string(i));
  const char* languages[] = {"English", "German",  "French", "Spanish", "Italian",
                             "Dutch",   "Russian", "Polish", "Swedish", "Danish"};
  const std::string desc =
      "Word Counter counts words, characters, lines and pages in documents of many formats, "
      "with per-file and per-folder statistics, export to CSV and HTML, and batch processing "
      "of whole folder trees.";
  for (const char* lang : languages) {
    std::string base = std::string("Program_Descriptions/") + lang + "/";
    add(base + "Keywords", "word count, character count, statistics, text, documents, batch");
    add(base + "Char_Desc_45", desc.substr(0, 44));
    add(base + "Char_Desc_80", desc.substr(0, 79));
    add(base + "Char_Desc_250", desc.substr(0, 200));
    add(base + "Char_Desc_450", desc + " " + desc.substr(0, 200));
    add(base + "Char_Desc_2000", desc + "\r\n" + desc + "\r\n" + desc);
  }
  add("Web_Info/Application_URLs/Application_Info_URL",
      "http://acme-tools.localhost:8765/wordcounter.html");
  add("Web_Info/Application_URLs/Application_Order_URL",
      "http://acme-tools.localhost:8765/buy.html");
  add("Web_Info/Download_URLs/Primary_Download_URL",
      "http://acme-tools.localhost:8765/files/wcsetup.exe");
  add("Web_Info/Application_URLs/Application_Screenshot_URL",
      "http://acme-tools.localhost:8765/img/shot.png");
  add("Permissions/Distribution_Permissions", "Free to distribute.");
  add("Permissions/EULA", "You may use this program for 30 days.");
  int n = 0;
  while (p.Count() < 600) {
    add("Derived/Variable_" + std::to_string(n), "derived value " + std::to_string(n));
    ++n;
  }
  return p;
}

const std::vector<std::string>& Templates() {
  static const std::vector<std::string> t = {
      // plain placeholders
      "|Program_Info/Program_Name|",
      "|Program_Info/Program_Name| |Program_Info/Program_Version|",
      "|Company_Info/Contact_Info/Author_First_Name| |Company_Info/Contact_Info/Author_Last_Name|",
      "|Company_Info/Contact_Info/Author_Email|",
      "|Web_Info/Download_URLs/Primary_Download_URL|",
      "|Program_Descriptions/English/Char_Desc_250|",
      "|Program_Descriptions/English/Keywords|",
      "Version |Program_Info/Program_Version| of |Program_Info/Program_Name| by "
      "|Company_Info/Company_Name|",
      "|Program_Info/Program_Release_Month|/|Program_Info/Program_Release_Day|/|Program_Info/"
      "Program_Release_Year|",
      "|Program_Info/File_Info/File_Size_K|",
      // IF / ELSE
      "|IF(Program_Info/Program_Type = 'shareware'){'Shareware'}ELSE{'Freeware'}|",
      "|IF(Program_Info/Expire_Info/Has_Expire_Info == "
      "'Y'){Program_Info/Expire_Info/Expire_Count}ELSE{'0'}|",
      "|IF(Program_Info/Program_Cost_Dollars > "
      "'0'){Program_Info/Program_Cost_Dollars}ELSE{'0.00'}|",
      "|IF(Program_Info/Program_Type == 'Freeware'){'1'}ELSIF(Program_Info/Program_Type == "
      "'Shareware'){'2'}ELSE{'3'}|",
      // functions
      "|ELEMENT(0) Program_Info/Program_OS_Support|",
      "|UPPERCASE Program_Info/Program_Type|",
      "|COPY(1,80) Program_Descriptions/English/Char_Desc_250|",
      "|TRIMWORD(' ') COPY(1,45) Program_Descriptions/English/Char_Desc_80|",
      "|URLDOMAIN(Company_Info/Company_WebSite_URL)|",
      "|REPLACE(',',';') Program_Descriptions/English/Keywords|",
  };
  return t;
}

// The baseline: each "|Key|" is found with find, looked up by a scan of the profile's lines and
// replaced with replace; no language at all.
std::string NaiveExpand(const TOptionsList& profile, std::string text) {
  size_t from = 0;
  for (;;) {
    size_t open = text.find('|', from);
    if (open == std::string::npos) break;
    size_t close = text.find('|', open + 1);
    if (close == std::string::npos) break;
    std::string key = text.substr(open + 1, close - open - 1);
    std::string value;
    for (const std::string& line : profile.Lines()) {
      if (line.size() > key.size() && line[key.size()] == '=' &&
          line.compare(0, key.size(), key) == 0) {
        value = quillora::DecodeValue(std::string_view(line).substr(key.size() + 1));
        break;
      }
    }
    text.replace(open, close - open + 1, value);
    from = open + value.size();
  }
  return text;
}

const TOptionsList& Profile() {
  static const TOptionsList p = [] {
    quillora::SetSystemCodePage(1252);
    return MakeProfile();
  }();
  return p;
}

void BM_NaiveSubstitution(benchmark::State& state) {
  const TOptionsList& profile = Profile();
  size_t bytes = 0;
  for (auto _ : state) {
    for (const std::string& t : Templates()) {
      std::string out = NaiveExpand(profile, t);
      bytes += out.size();
      benchmark::DoNotOptimize(out);
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * Templates().size()));
  benchmark::DoNotOptimize(bytes);
}
BENCHMARK(BM_NaiveSubstitution);

void BM_ExpandTemplate(benchmark::State& state) {
  const TOptionsList& profile = Profile();
  for (auto _ : state) {
    for (const std::string& t : Templates()) {
      std::string out = t;
      quillora::ExpandTemplate(profile, '|', out, "");
      benchmark::DoNotOptimize(out);
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * Templates().size()));
}
BENCHMARK(BM_ExpandTemplate);

void BM_ExpandTemplateWithLanguagePrefix(benchmark::State& state) {
  const TOptionsList& profile = Profile();
  for (auto _ : state) {
    for (const std::string& t : Templates()) {
      std::string out = t;
      quillora::ExpandTemplate(profile, '|', out, "German/");
      benchmark::DoNotOptimize(out);
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * Templates().size()));
}
BENCHMARK(BM_ExpandTemplateWithLanguagePrefix);

void BM_ExpandTemplateUtf8(benchmark::State& state) {
  const TOptionsList& profile = Profile();
  for (auto _ : state) {
    for (const std::string& t : Templates()) {
      std::string out = t;
      quillora::ExpandTemplateUtf8(profile, '|', out, "");
      benchmark::DoNotOptimize(out);
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * Templates().size()));
}
BENCHMARK(BM_ExpandTemplateUtf8);

// The form filler's two paths: UTF-8 definitions and wide field values, both with the language
// prefix of the site.
void BM_ExpandTemplateUtf8WithLanguagePrefix(benchmark::State& state) {
  const TOptionsList& profile = Profile();
  for (auto _ : state) {
    for (const std::string& t : Templates()) {
      std::string out = t;
      quillora::ExpandTemplateUtf8(profile, '|', out, "German/");
      benchmark::DoNotOptimize(out);
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * Templates().size()));
}
BENCHMARK(BM_ExpandTemplateUtf8WithLanguagePrefix);

void BM_ExpandTemplateToWideWithLanguagePrefix(benchmark::State& state) {
  const TOptionsList& profile = Profile();
  for (auto _ : state) {
    for (const std::string& t : Templates()) {
      std::u16string out = quillora::ExpandTemplateToWide(t, profile, "German/");
      benchmark::DoNotOptimize(out);
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * Templates().size()));
}
BENCHMARK(BM_ExpandTemplateToWideWithLanguagePrefix);

// A report-sized template: 400 expressions in one text, where the sorted index takes over.
void BM_ExpandReport(benchmark::State& state) {
  const TOptionsList& profile = Profile();
  std::string report;
  for (int i = 0; i < 20; ++i)
    for (const std::string& t : Templates()) report += t + "\r\n";
  for (auto _ : state) {
    std::string out = report;
    quillora::ExpandTemplate(profile, '|', out, "");
    benchmark::DoNotOptimize(out);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * 20 * Templates().size()));
}
BENCHMARK(BM_ExpandReport);

void BM_NaiveReport(benchmark::State& state) {
  const TOptionsList& profile = Profile();
  std::string report;
  for (int i = 0; i < 20; ++i)
    for (const std::string& t : Templates()) report += t + "\r\n";
  for (auto _ : state) {
    std::string out = NaiveExpand(profile, report);
    benchmark::DoNotOptimize(out);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * 20 * Templates().size()));
}
BENCHMARK(BM_NaiveReport);

// Keeps the time per iteration of every run so the ratios can be printed after the table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    // With repetitions the median stands for the benchmark.
    for (const Run& r : runs)
      if (r.aggregate_name.empty() || r.aggregate_name == "median")
        ns_[r.run_name.function_name] = r.GetAdjustedRealTime();
  }
  void PrintRatios() const {
    auto ratio = [&](const char* a, const char* b) {
      auto x = ns_.find(a), y = ns_.find(b);
      return (x == ns_.end() || y == ns_.end() || y->second <= 0) ? -1.0 : x->second / y->second;
    };
    double mix = ratio("BM_ExpandTemplate", "BM_NaiveSubstitution");
    double report = ratio("BM_ExpandReport", "BM_NaiveReport");
    auto per_second = [&](const char* name) {
      auto it = ns_.find(name);
      return it == ns_.end() ? 0.0 : Templates().size() * 1e9 / it->second;
    };
    std::printf("\nfill-rule mix over a 600-line profile (%zu templates):\n", Templates().size());
    std::printf("  evaluator: %.0f expansions/s, naive |Key| substitution: %.0f expansions/s\n",
                per_second("BM_ExpandTemplate"), per_second("BM_NaiveSubstitution"));
    std::printf("  evaluator / naive time ratio: %.2f (budget: 3.00) %s\n", mix,
                mix > 0 && mix <= 3.0 ? "OK" : "OVER BUDGET");
    for (const char* path :
         {"BM_ExpandTemplateWithLanguagePrefix", "BM_ExpandTemplateUtf8",
          "BM_ExpandTemplateUtf8WithLanguagePrefix", "BM_ExpandTemplateToWideWithLanguagePrefix"}) {
      const double r = ratio(path, "BM_NaiveSubstitution");
      std::printf("  %s / naive time ratio: %.2f (budget: 3.00) %s\n", path + 3, r,
                  r > 0 && r <= 3.0 ? "OK" : "OVER BUDGET");
    }
    if (report > 0) std::printf("  report-sized template (400 expressions): ratio %.2f\n", report);
  }

 private:
  std::map<std::string, double> ns_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
