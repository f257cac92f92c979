// The program's small registry: an option-tree file standing in for per-user system settings.
// Its path is $QUILLORA_REGISTRY, or "registry.dat" in the user's configuration folder under
// "quillora/". Paths look like "HKCU\Software\Tarvesk\Quillora\3.0\UserDir".
#pragma once

#include <string>
#include <string_view>

namespace quillora {

std::string RegistryFilePath();
// Root + "\" + key path + "\" + value name. Roots: HKCR, HKCU, HKLM, HKU, HKCC (any case);
// anything else means HKCU. Every failure gives the empty text.
std::string ReadRegistryValue(std::string_view path);
// Failures are ignored.
void WriteRegistryValue(std::string_view path, std::string_view value);

inline constexpr const char* kRegistryUserDir = "HKCU\\Software\\Tarvesk\\Quillora\\3.0\\UserDir";

}  // namespace quillora
