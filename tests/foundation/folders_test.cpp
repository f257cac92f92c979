#include "foundation/folders.h"

#include <string>

#include <gtest/gtest.h>

#include "foundation/files.h"
#include "foundation/stream.h"
#include "support/temp_dir.h"

namespace quillora {
namespace {

void PutTables(const std::string& folder) {
  ForceDirectories(folder);
  TFileStream(folder + "NameSpace.dat", TFileStream::Mode::Create).Write("[Company_Info]\n");
}

// Where a program finds its data when nothing names a folder: a copy that carries its data
// beside it, an installation (bin/ and share/quillora/data/), or, failing both, the folder
// beside it whose missing tables the start-up reports. A folder beside the program that holds
// only the settings (the user folder is the program's own) is not the data folder.
TEST(DataFolder, FoundBesideTheProgramOrWhereItIsInstalled) {
  test::TempDir tmp;
  const std::string bin = tmp / "bin/";
  ForceDirectories(bin + "data/");
  TFileStream(bin + "data/config.dat", TFileStream::Mode::Create).Write("x=1\n");
  EXPECT_EQ(ResolveDataFolder("", "", bin), bin + "data/");  // neither holds the tables

  PutTables(tmp / "share/quillora/data/");
  EXPECT_EQ(ResolveDataFolder("", "", bin), tmp / "share/quillora/data/");

  PutTables(bin + "data/");
  EXPECT_EQ(ResolveDataFolder("", "", bin), bin + "data/");

  // A given folder and an existing "AppData_Dir" come first; a missing one is passed over.
  EXPECT_EQ(ResolveDataFolder(tmp / "given", "", bin), tmp / "given/");
  EXPECT_EQ(ResolveDataFolder("", tmp / "share/", bin), tmp / "share/");
  EXPECT_EQ(ResolveDataFolder("", tmp / "missing/", bin), bin + "data/");
}

}  // namespace
}  // namespace quillora
