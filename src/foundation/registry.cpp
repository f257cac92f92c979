#include "foundation/registry.h"

#include <cstdlib>

#include "foundation/codepage.h"
#include "foundation/files.h"
#include "foundation/option_list.h"

namespace quillora {

namespace {

struct RegistryPath {
  std::string section;  // normalised root + "\" + key path
  std::string value;
};

// Splits "ROOT\key\path\value" and normalises the root; unknown roots mean the current user.
RegistryPath ParseRegistryPath(std::string_view path) {
  RegistryPath out;
  size_t last = path.rfind('\\');
  if (last == std::string_view::npos) {
    out.section = "HKCU";
    out.value = std::string(path);
    return out;
  }
  out.value = std::string(path.substr(last + 1));
  std::string_view key = path.substr(0, last);
  size_t first = key.find('\\');
  std::string root = AnsiUpperCase(key.substr(0, first));
  std::string_view rest =
      first == std::string_view::npos ? std::string_view{} : key.substr(first + 1);
  static const char* const kRoots[] = {"HKCR", "HKCU", "HKLM", "HKU", "HKCC"};
  bool known = false;
  for (const char* r : kRoots) known = known || root == r;
  if (!known) {
    // The whole key is a path under the current user.
    out.section = "HKCU\\" + std::string(key);
  } else {
    out.section = root + (rest.empty() ? "" : "\\" + std::string(rest));
  }
  return out;
}

}  // namespace

std::string RegistryFilePath() {
  if (const char* env = std::getenv("QUILLORA_REGISTRY"); env && *env) return env;
  return UserConfigFolder() + "quillora/registry.dat";
}

std::string ReadRegistryValue(std::string_view path) {
  try {
    std::string file = RegistryFilePath();
    if (!FileExists(file)) return {};
    TMultiOptions tree;
    tree.LoadFromTextFile(file);
    RegistryPath p = ParseRegistryPath(path);
    for (int i = 0; i < tree.Count(); ++i) {
      TOptionsList& section = tree.SectionAt(i);
      if (SameText(section.Name, p.section)) return section.GetString(p.value);
    }
  } catch (...) {
  }
  return {};
}

void WriteRegistryValue(std::string_view path, std::string_view value) {
  try {
    std::string file = RegistryFilePath();
    TMultiOptions tree;
    if (FileExists(file)) tree.LoadFromTextFile(file);
    RegistryPath p = ParseRegistryPath(path);
    TOptionsList* target = nullptr;
    for (int i = 0; i < tree.Count() && !target; ++i)
      if (SameText(tree.SectionAt(i).Name, p.section)) target = &tree.SectionAt(i);
    if (!target) target = &tree.Section(p.section);
    target->SetString(p.value, value);
    ForceDirectories(ExtractFilePath(file));
    tree.SaveToTextFile(file);
  } catch (...) {
  }
}

}  // namespace quillora
