// File and folder helpers. Folder strings end with "/" and names are joined by concatenation.
#pragma once

#include <cstdint>
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

// The running program's folder, with a trailing "/".
std::string ExecutableFolder();
// The user's configuration folder ($XDG_CONFIG_HOME or ~/.config) with a trailing "/".
std::string UserConfigFolder();

}  // namespace quillora
