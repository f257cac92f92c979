// The machine description written into the exception log and bug reports.
#include "foundation/sysinfo.h"

#include <cstdlib>
#include <fstream>
#include <mutex>
#include <pwd.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <unistd.h>

#ifndef QUILLORA_BUILD
#define QUILLORA_BUILD "0"
#endif

namespace quillora {
namespace {

std::mutex g_browser_mutex;
std::string g_browser;

// PRETTY_NAME of /etc/os-release (or /usr/lib/os-release), without its quotes.
std::string DistributionName() {
  for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
      if (line.rfind("PRETTY_NAME=", 0) != 0) continue;
      std::string v = line.substr(12);
      if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
      return v;
    }
  }
  return {};
}

unsigned long long TotalMemoryKb() {
  struct sysinfo si {};
  if (::sysinfo(&si) == 0 && si.totalram > 0)
    return static_cast<unsigned long long>(si.totalram) * si.mem_unit / 1024;
  std::ifstream in("/proc/meminfo");
  std::string key;
  unsigned long long kb = 0;
  while (in >> key) {
    if (key == "MemTotal:") {
      in >> kb;
      return kb;
    }
    in.ignore(1 << 16, '\n');
  }
  return 0;
}

}  // namespace

std::string FormatThousands(unsigned long long n) {
  std::string digits = std::to_string(n);
  std::string r;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) r += ',';
    r += digits[i];
  }
  return r;
}

void SetBrowserEngineDescription(std::string text) {
  std::lock_guard lock(g_browser_mutex);
  g_browser = std::move(text);
}

TSystemDescription ComputeSystemDescription() {
  TSystemDescription d;
  d.build = QUILLORA_BUILD;

  utsname u{};
  if (::uname(&u) == 0) {
    d.operating_system = std::string(u.sysname) + " " + u.release;
    std::string distro = DistributionName();
    if (!distro.empty()) d.operating_system += " (" + distro + ")";
  }

  d.memory = FormatThousands(TotalMemoryKb()) + " Kb";

  {
    std::lock_guard lock(g_browser_mutex);
    d.browser = g_browser.empty() ? "unknown" : g_browser;
  }

  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::string buf(size > 0 ? static_cast<size_t>(size) : 16384, '\0');
  passwd pw{};
  passwd* found = nullptr;
  if (::getpwuid_r(::geteuid(), &pw, buf.data(), buf.size(), &found) == 0 && found != nullptr &&
      found->pw_name != nullptr) {
    d.user_name = found->pw_name;
  } else if (const char* user = std::getenv("USER"); user != nullptr) {
    d.user_name = user;
  }
  return d;
}

}  // namespace quillora
