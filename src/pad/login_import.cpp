#include "pad/login_import.h"

#include <cstdint>
#include <unordered_set>

#include "foundation/codepage.h"
#include "foundation/encoding.h"
#include "foundation/option_list.h"
#include "foundation/ui_port.h"
#include "pad/profile.h"
#include "sites/site.h"
#include "sites/site_filter.h"
#include "sites/site_list.h"

namespace quillora {

std::vector<std::string> SplitLoginLine(const std::string& line) {
  std::vector<std::string> fields(5);
  size_t start = 0;
  for (size_t k = 0; k < fields.size() && start <= line.size(); ++k) {
    size_t end = line.find('\t', start);
    if (end == std::string::npos) end = line.size();
    fields[k] = line.substr(start, end - start);
    start = end + 1;
  }
  return fields;
}

std::string MakeLoginInfoText(const std::vector<std::string>& lines) {
  TMultiOptions tree;
  TOptionsList& logins = tree.Section("Login Info");
  logins.MutableLines() = lines;
  tree.Section("General").SetInt("CRC32", static_cast<int32_t>(Crc32(logins.Text())));
  // "General" first, as the files are written.
  tree.Move(1, 0);
  return tree.Text();
}

TLoginImportResult ImportLoginInfo(const std::string& file_name, TProfile* profile,
                                   TCustomSets& sets, const TSiteList& list) {
  TLoginImportResult result;
  TMultiOptions tree;
  tree.LoadFromTextFile(file_name);
  const TOptionsList* logins = tree.FindSection("Login Info");
  const TOptionsList* general = tree.FindSection("General");
  const std::string text = logins ? logins->Text() : std::string();
  // A missing "General" reads as a missing "CRC32" (-1), which only a checksum of all ones
  // would match.
  const int stored = general ? general->GetInt("CRC32") : -1;
  if (static_cast<uint32_t>(stored) != Crc32(text)) {
    ShowError("File " + file_name + " is corrupted. CRC Error.");
    return result;
  }
  if (!profile || !AskYesNo("Do you want to import login info into the current profile?"))
    return result;

  // Every site of the list goes into the set and each imported UIN leaves it again; done as one
  // pass over the list so that thousands of sites do not cost a search of the set per line.
  std::unordered_set<std::string> imported;
  if (logins) {
    for (const std::string& line : logins->Lines()) {
      const std::vector<std::string> f = SplitLoginLine(line);
      const std::string& uin = f[0];
      // A line without a UIN (or one that cannot be a key) would write a nameless entry.
      if (uin.empty() || uin.find('=') != std::string::npos) continue;
      // SetString with an empty value removes the entry.
      profile->CompanySiteLogins.SetString(uin, f[1]);
      profile->CompanySitePasswords.SetString(uin, f[2]);
      profile->ProductSiteLogins.SetString(uin, f[3]);
      profile->ProductSitePasswords.SetString(uin, f[4]);
      imported.insert(AnsiLowerCase(uin));
      ++result.lines;
    }
  }
  TCustomSet* set = sets.FindSet(kImportedLoginSet);
  if (!set) {
    set = sets.NewSet(kImportedLoginSet);
    result.set_created = true;
  }
  set->Clear();
  for (int i = 0; i < list.Count(); ++i) {
    const std::string uin = list.SiteAt(i)->UIN();
    if (!imported.count(AnsiLowerCase(uin))) set->Add(uin);
  }
  profile->StoreBack();
  profile->Activate();
  result.imported = true;
  return result;
}

}  // namespace quillora
