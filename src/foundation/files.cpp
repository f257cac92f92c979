// File and folder helpers over POSIX and std::filesystem. Nothing here throws: callers test the
// results, as the program's folders may be missing or read-only at any time.
#include "foundation/files.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace quillora {
namespace {

namespace fs = std::filesystem;

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

// "*" and "?" wildcards, ASCII letters compared without case.
bool WildcardMatch(std::string_view name, std::string_view mask) {
  size_t n = 0, m = 0, star = std::string_view::npos, back = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || AsciiLower(mask[m]) == AsciiLower(name[n]))) {
      ++n;
      ++m;
    } else if (m < mask.size() && mask[m] == '*') {
      star = m++;
      back = n;
    } else if (star != std::string_view::npos) {
      m = star + 1;
      n = ++back;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

}  // namespace

bool FileExists(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ForceDirectories(const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  fs::create_directories(fs::path(path), ec);
  return DirectoryExists(path);
}

int64_t FileSizeOf(const std::string& path) {
  struct stat st;
  if (path.empty() || ::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return -1;
  return static_cast<int64_t>(st.st_size);
}

bool DeleteFileAt(const std::string& path) {
  return !path.empty() && !DirectoryExists(path) && ::unlink(path.c_str()) == 0;
}

bool RenameFileAt(const std::string& from, const std::string& to) {
  return !from.empty() && !to.empty() && std::rename(from.c_str(), to.c_str()) == 0;
}

int64_t FileAge(const std::string& path) {
  struct stat st;
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return -1;
  return static_cast<int64_t>(st.st_mtime);
}

std::string IncludeTrailingPathDelimiter(std::string_view path) {
  std::string r(path);
  if (r.empty() || r.back() != kPathDelim) r += kPathDelim;
  return r;
}

std::string ExtractFilePath(std::string_view path) {
  size_t p = path.rfind(kPathDelim);
  return p == std::string_view::npos ? std::string() : std::string(path.substr(0, p + 1));
}

std::string ExtractFileName(std::string_view path) {
  size_t p = path.rfind(kPathDelim);
  return std::string(p == std::string_view::npos ? path : path.substr(p + 1));
}

std::string ExtractFileExt(std::string_view path) {
  size_t p = path.find_last_of("./");
  if (p == std::string_view::npos || path[p] != '.') return {};
  return std::string(path.substr(p));
}

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
  size_t p = path.find_last_of("./");
  std::string r(p != std::string_view::npos && path[p] == '.' ? path.substr(0, p) : path);
  r.append(ext);
  return r;
}

bool IsAbsolutePath(std::string_view path) {
  if (!path.empty() && path[0] == '/') return true;
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

std::vector<std::string> ListFiles(const std::string& folder, std::string_view mask) {
  std::vector<std::string> names;
  // "*.*" means every file, names without a dot included.
  std::string_view pattern = mask == "*.*" || mask.empty() ? std::string_view("*") : mask;
  std::error_code ec;
  fs::directory_iterator it(fs::path(folder.empty() ? "." : folder), ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    std::error_code ec2;
    if (!it->is_regular_file(ec2)) continue;
    std::string name = it->path().filename().string();
    if (WildcardMatch(name, pattern)) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string ExecutableFolder() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return IncludeTrailingPathDelimiter(fs::current_path(ec).string());
  return IncludeTrailingPathDelimiter(exe.parent_path().string());
}

std::string UserConfigFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && xdg[0] == '/') return IncludeTrailingPathDelimiter(xdg);
  const char* home = std::getenv("HOME");
  std::string base;
  if (home != nullptr && home[0] != '\0') {
    base = home;
  } else if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr) {
    base = pw->pw_dir;
  } else {
    base = "/tmp";
  }
  return IncludeTrailingPathDelimiter(base) + ".config/";
}

}  // namespace quillora
