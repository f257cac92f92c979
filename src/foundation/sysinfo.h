// What the program knows about the machine it runs on (logged in the exception log, bug reports).
#pragma once

#include <string>

namespace quillora {

struct TSystemDescription {
  std::string build;             // e.g. "1" (the last component of the file version)
  std::string operating_system;  // e.g. "Linux 6.1.0-18-amd64 (Debian GNU/Linux 12 (bookworm))"
  std::string memory;            // total physical memory: "24,587,164 Kb"
  std::string browser;           // the embedded browser engine's name and version, or "unknown"
  std::string user_name;         // empty when it cannot be read
};

TSystemDescription ComputeSystemDescription();
// Name and version of the browser engine the desktop app embeds; "unknown" until one registers.
void SetBrowserEngineDescription(std::string text);
// Thousands separators: 24587164 -> "24,587,164".
std::string FormatThousands(unsigned long long n);

}  // namespace quillora
