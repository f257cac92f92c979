// An arbitrary page parsed into the in-memory document and filled as unknown forms: never
// crashes, and stays bounded in time (pages are cut at 64 KB, as no submission page is larger).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "core/core_context.h"
#include "foundation/app_state.h"
#include "foundation/option_list.h"
#include "pad/product_data.h"
#include "pad/profile.h"
#include "submit/form_filler.h"
#include "submit/html_document.h"
#include "support/test_context.h"

using namespace quillora;

namespace {

// The program started on a scratch copy of the shipped data, then given a small profile and
// small rule tables so that every run stays cheap.
struct Environment {
  Environment() {
    TStartupOptions options = data.Options();
    options.load_sites = false;
    core = data.Start(options);
    if (!core) std::abort();
    TProfile& profile = ActiveProfile();
    profile.SetString("Program_Info/Program_Name", "Sample Notes");
    profile.SetString("Program_Info/Program_Release_Month", "03");
    profile.SetString("Program_Info/Program_Categories", "Notes,Organizer");
    profile.SetString("Runtime/OS_Flags/isWinXP", "TRUE");
    TDataTables& tables = Tables();
    tables.aliases.SetText(
        "[Program_Info/Program_Name]\nname=name,title\ncontext=program+name\n\n"
        "[Program_Info/Program_Release_Month]\nname=month\ncontext=month\n");
    tables.os_rules.SetText("Windows XP=+isWinXP\nLinux=isLinux\n");
    tables.translate.SetText("Title=|Program_Info/Program_Name|\n");
    tables.list_vars.Clear();
  }
  test::TestData data;
  std::unique_ptr<TCoreContext> core;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Environment environment;
  if (size > 65536) return 0;
  try {
    THtmlDocument doc(std::string(reinterpret_cast<const char*>(data), size),
                      "http://fuzz.example/page.html");
    FillDocument(&doc, nullptr, false);
    IsDocumentReady(&doc);
  } catch (const std::exception&) {
  }
  return 0;
}
