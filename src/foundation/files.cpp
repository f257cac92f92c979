// File and folder helpers over POSIX and std::filesystem. Nothing here throws but the safe save:
// callers test the results, as the program's folders may be missing or read-only at any time.
#include "foundation/files.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
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

std::string Reason() {
  return std::strerror(errno);
}

bool AllDigits(std::string_view text) {
  return !text.empty() && text.size() <= 9 &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Whether a process with that id exists (one we may not signal exists too).
bool ProcessRuns(std::string_view digits) {
  const pid_t pid = static_cast<pid_t>(std::stol(std::string(digits)));
  if (pid <= 0) return true;  // not a process id we can judge: leave the file alone
  return ::kill(pid, 0) == 0 || errno == EPERM;
}

enum class TLeftover { None, WithPid, WithoutPid };

// What kind of save leftover a file name is, and the process id it carries.
TLeftover ClassifyLeftover(std::string_view name, std::string_view& pid) {
  constexpr std::string_view kSuffix = ".$$$";
  if (name.size() > kSuffix.size() && name.substr(name.size() - kSuffix.size()) == kSuffix) {
    std::string_view rest = name.substr(0, name.size() - kSuffix.size());
    const size_t dot = rest.rfind('.');
    if (dot != std::string_view::npos && dot > 0 && AllDigits(rest.substr(dot + 1))) {
      pid = rest.substr(dot + 1);
      return TLeftover::WithPid;
    }
    return TLeftover::WithoutPid;
  }
  // The settings and the data folder's side files were once saved through "<name>.tmp<pid>".
  const size_t tmp = name.rfind(".tmp");
  if (tmp != std::string_view::npos && tmp > 0 && AllDigits(name.substr(tmp + 4))) {
    pid = name.substr(tmp + 4);
    return TLeftover::WithPid;
  }
  return TLeftover::None;
}

}  // namespace

TSaveFileError::TSaveFileError(Step s, std::string f, std::string r)
    : std::runtime_error((s == Step::Create  ? "Cannot create file "
                          : s == Step::Write ? "Cannot write file "
                                             : "Cannot replace file ") +
                         f + ": " + r),
      step(s),
      file(std::move(f)),
      reason(std::move(r)) {}

std::string TempSaveName(const std::string& path) {
  return path + "." + std::to_string(::getpid()) + ".$$$";
}

void SaveFileSafely(const std::string& path, std::string_view bytes,
                    const std::function<void(const std::string& temp)>& check,
                    std::optional<unsigned> mode) {
  using Step = TSaveFileError::Step;
  const std::string tmp = TempSaveName(path);
  const mode_t create_mode = mode ? static_cast<mode_t>(*mode) : 0666;
  int out = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, create_mode);
  if (out < 0) throw TSaveFileError(Step::Create, tmp, Reason());
  auto fail = [&](Step step, const std::string& file) {
    std::string why = Reason();
    if (out >= 0) ::close(out);
    ::unlink(tmp.c_str());
    throw TSaveFileError(step, file, why);
  };
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(out, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail(Step::Write, tmp);
    }
    done += static_cast<size_t>(n);
  }
  if (mode) (void)::fchmod(out, create_mode);  // the umask may have narrowed it
  if (::fsync(out) != 0) fail(Step::Write, tmp);
  const int closed = ::close(out);
  out = -1;
  if (closed != 0) fail(Step::Write, tmp);
  if (check) {
    try {
      check(tmp);
    } catch (...) {
      ::unlink(tmp.c_str());
      throw;
    }
  }
  if (::rename(tmp.c_str(), path.c_str()) != 0) fail(Step::Replace, path);
}

int RemoveDeadSaveLeftovers(const std::string& folder) {
  constexpr int64_t kPidlessAge = 60 * 60;
  const int64_t now = static_cast<int64_t>(std::time(nullptr));
  int removed = 0;
  for (const std::string& name : ListFiles(folder, "*")) {
    std::string_view pid;
    const std::string path = IncludeTrailingPathDelimiter(folder) + name;
    switch (ClassifyLeftover(name, pid)) {
      case TLeftover::None:
        continue;
      case TLeftover::WithPid:
        if (ProcessRuns(pid)) continue;
        break;
      case TLeftover::WithoutPid:
        if (int64_t age = FileAge(path); age < 0 || now - age <= kPidlessAge) continue;
        break;
    }
    if (DeleteFileAt(path)) ++removed;
  }
  return removed;
}

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
