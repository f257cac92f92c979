#include "foundation/data_tables.h"

#include <exception>
#include <functional>

#include "foundation/files.h"
#include "foundation/ui_port.h"

namespace quillora {

namespace {

bool LoadRequired(const std::string& path, const std::function<void()>& load) {
  try {
    load();
    return true;
  } catch (const std::exception&) {
    ShowError("Cannot load " + path + "\rExiting.");
    return false;
  }
}

void LoadOptional(const std::string& path, const std::function<void()>& load,
                  const std::string& message) {
  if (!FileExists(path)) return;
  try {
    load();
  } catch (const std::exception&) {
    ShowError(message.empty() ? "Cannot load " + path : message);
  }
}

}  // namespace

bool TTableLoader::Required(const std::string& name, TOptionsList& table) const {
  const std::string path = folder_ + name;
  return LoadRequired(path, [&] { table.LoadFromTextFile(path); });
}

bool TTableLoader::Required(const std::string& name, TMultiOptions& table) const {
  const std::string path = folder_ + name;
  return LoadRequired(path, [&] { table.LoadFromTextFile(path); });
}

void TTableLoader::Optional(const std::string& name, TOptionsList& table,
                            const std::string& message) const {
  const std::string path = folder_ + name;
  LoadOptional(
      path, [&] { table.LoadFromTextFile(path); }, message);
}

void TTableLoader::Optional(const std::string& name, TMultiOptions& table,
                            const std::string& message) const {
  const std::string path = folder_ + name;
  LoadOptional(
      path, [&] { table.LoadFromTextFile(path); }, message);
}

void TTableLoader::Reported(const std::string& name, TOptionsList& table) const {
  const std::string path = folder_ + name;
  try {
    table.LoadFromTextFile(path);
  } catch (const std::exception&) {
    ShowError("Cannot load " + path);
  }
}

void PrepareNameSpace(TDataTables& t) {
  for (int i = 0; i < t.name_space.Count(); ++i) {
    TOptionsList& section = t.name_space.SectionAt(i);
    for (int j = 0; j < section.Count(); ++j)
      if (section.Line(j).find('=') == std::string::npos)
        section.SetLine(j, section.Line(j) + "= ");
    for (const std::string& line : section.Lines()) t.name_space_flat.AddLine(line);
  }
}

void SaveSideFile(const std::string& path, const std::string& text) {
  try {
    SaveFileSafely(path, text);
  } catch (...) {
  }
}

void SaveTableSideFiles(const TDataTables& tables, const std::string& data) {
  SaveSideFile(data + "filters.dat", tables.filters.Text());
  SaveSideFile(data + "bugs_history.dat", tables.bugs_history.Text());
}

}  // namespace quillora
