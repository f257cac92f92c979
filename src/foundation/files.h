// File and folder helpers. Folder strings end with "/" and names are joined by concatenation.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quillora {

inline constexpr char kPathDelim = '/';

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// Creates the folder and any missing parents; false on failure.
bool ForceDirectories(const std::string& path);
int64_t FileSizeOf(const std::string& path);  // -1 when it does not exist
bool DeleteFileAt(const std::string& path);
// Replaces an existing target (atomic on one file system).
bool RenameFileAt(const std::string& from, const std::string& to);
// Seconds since the epoch of the last modification, or -1.
int64_t FileAge(const std::string& path);

std::string IncludeTrailingPathDelimiter(std::string_view path);
std::string ExtractFilePath(std::string_view path);  // up to and including the last "/"
std::string ExtractFileName(std::string_view path);
std::string ExtractFileExt(std::string_view path);  // with the dot, or empty
std::string ChangeFileExt(std::string_view path, std::string_view ext);
// Absolute: a leading "/" or a drive letter and colon ("C:").
bool IsAbsolutePath(std::string_view path);

// Names (not paths) of the files in a folder matching a simple "*.ext" mask (case-insensitive),
// sorted by name; an empty list for a missing folder.
std::vector<std::string> ListFiles(const std::string& folder, std::string_view mask);

// --- Saving through a temporary file

// The temporary file a save writes before it replaces path: path + "." + process id + ".$$$".
// The process id keeps programs sharing a folder out of each other's way, and tells a later start
// whether the writer still runs (RemoveDeadSaveLeftovers).
std::string TempSaveName(const std::string& path);

// A safe save that failed: the step, the file that step concerns (the temporary file, or the
// target for the rename) and the system's reason. what() is "Cannot create file <temp>: <reason>",
// "Cannot write file <temp>: <reason>" or "Cannot replace file <path>: <reason>".
struct TSaveFileError : std::runtime_error {
  enum class Step { Create, Write, Replace };
  TSaveFileError(Step step, std::string file, std::string reason);
  Step step;
  std::string file;
  std::string reason;
};

// Replaces the file at path with bytes without ever leaving it half-written: the bytes go into
// TempSaveName(path) and are flushed to the disk, check (when given) may look at the written file
// and throw, then the file is renamed over path. Any failure removes the temporary file and the
// exception (a TSaveFileError, or check's own) passes on. With mode the new file gets exactly
// those permission bits; without, the usual 0666 less the umask.
void SaveFileSafely(const std::string& path, std::string_view bytes,
                    const std::function<void(const std::string& temp)>& check = {},
                    std::optional<unsigned> mode = std::nullopt);

// Removes from folder (not its sub-folders) the temporary files of saves whose process no longer
// runs: "<name>.<pid>.$$$" and the older "<name>.tmp<pid>" whose pid is not a running process,
// and the pid-less "<name>.$$$" of older programs once it is more than an hour old (no save
// takes that long). A running process's files are never touched. Returns how many went.
int RemoveDeadSaveLeftovers(const std::string& folder);

// The running program's folder, with a trailing "/".
std::string ExecutableFolder();
// The user's configuration folder ($XDG_CONFIG_HOME or ~/.config) with a trailing "/".
std::string UserConfigFolder();

}  // namespace quillora
