// The login import of the Sites page: a file of per-site logins and passwords (checked by its
// CRC-32) is read into the active profile, and the custom set "Imported Login Info" is left
// holding every site that received nothing, so that hiding unticked sites shows exactly the
// sites that did.
#pragma once

#include <string>
#include <vector>

namespace quillora {

class TCustomSets;
class TProfile;
class TSiteList;

inline constexpr const char* kImportedLoginSet = "Imported Login Info";

struct TLoginImportResult {
  bool imported = false;     // the profile took the file's logins and was written back
  bool set_created = false;  // "Imported Login Info" did not exist before
  int lines = 0;             // lines of "Login Info" applied
};

// One line of "Login Info": site UIN, company login, company password, product login and
// product password, separated by tab characters (a missing field is empty).
std::vector<std::string> SplitLoginLine(const std::string& line);

// The text of a login file for these "Login Info" lines, "CRC32" as the signed 32-bit number
// the import compares with.
std::string MakeLoginInfoText(const std::vector<std::string>& lines);

// Reads file_name (an option tree with "General"/"CRC32" and "Login Info"). A checksum that does
// not match shows "File <name> is corrupted. CRC Error." and changes nothing; a "CRC32" that is
// not a number, or a file that cannot be read, throws with nothing changed. Without a profile
// (nullptr) or when the user declines the question, nothing changes either. Otherwise every
// line's four values replace the profile's entries for its UIN (an empty value removes one),
// the set holds the UIN of every other site of the list, and the profile is stored back and
// activated again.
TLoginImportResult ImportLoginInfo(const std::string& file_name, TProfile* profile,
                                   TCustomSets& sets, const TSiteList& list);

}  // namespace quillora
