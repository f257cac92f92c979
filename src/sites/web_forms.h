// A site's stored web forms ("templates" to the user): where each form was seen, its fingerprint,
// and per field the identity on the page and the fill rule; their binary layout inside the site
// file, the look-ups of a stored form for a live page form, and the ".tml" rules exchange.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/dates.h"
#include "foundation/option_list.h"

namespace quillora {

class TWebSite;
class TFormsList;

// "Field Type" codes; the stored texts are "Unknown", "Text", "Area", "Check", "Radio", "List",
// "Button", "Hidden", "File", "Password".
enum TFieldType : int {
  ftUnknown = 0,
  ftText = 1,
  ftArea = 2,
  ftCheck = 3,
  ftRadio = 4,
  ftList = 5,
  ftButton = 6,
  ftHidden = 7,
  ftFile = 8,
  ftPassword = 9,
};

// What a stored form is for; stored as its byte.
enum TFormPurpose : uint8_t { fpNone = 0, fpSubmit = 1, fpLogin = 2 };

// A stored form's method byte: GET, or any other method (sent as POST).
enum TFormMethod : uint8_t { mtGet = 0, mtPost = 1 };

// The "Field Max Length" / "Field Size" of a control that has none.
inline constexpr int kNoFieldLimit = 2147483647;
// A site has a handful of forms; a count beyond this in a file is damage.
inline constexpr int kMaxFormsPerSite = 10000;

// One field of a stored form: an option list of the "Field ..." keys.
class TFormField : public TOptionsList {
 public:
  TFormField();  // "Field Type" "Unknown" and nothing else

  int FieldIndex() const { return GetInt("Field Index"); }
  void SetFieldIndex(int i) { SetInt("Field Index", i); }
  std::string FieldName() const { return GetString("Field Name"); }
  void SetFieldName(std::string_view v) { SetString("Field Name", v); }
  std::string FieldValue() const { return GetString("Field Value"); }
  void SetFieldValue(std::string_view v) { SetString("Field Value", v); }
  std::string FieldContext() const { return GetString("Field Context"); }
  void SetFieldContext(std::string_view v) { SetString("Field Context", v); }
  std::string TagName() const { return GetString("Field Tag Name"); }
  void SetTagName(std::string_view v) { SetString("Field Tag Name", v); }
  TFieldType FieldType() const { return FieldTypeFromText(GetString("Field Type")); }
  // Codes are taken modulo 128; anything outside 1..9 stores "Unknown".
  void SetFieldType(int code) { SetString("Field Type", FieldTypeText(code)); }
  std::string FillWith() const { return GetString("Field Fill With"); }
  void SetFillWith(std::string_view v) { SetString("Field Fill With", v); }
  bool IsIgnored() const { return GetBool("Field Ignore"); }
  void SetIgnored(bool b) { SetBool("Field Ignore", b); }
  bool IsLogin() const { return GetBool("Field Is Login"); }
  void SetLogin(bool b) { SetBool("Field Is Login", b); }
  // -1 when missing (callers treat a negative length as no limit).
  int MaxLength() const { return GetInt("Field Max Length"); }
  void SetMaxLength(int n) { SetInt("Field Max Length", n); }
  int FieldSize() const { return GetInt("Field Size"); }
  void SetFieldSize(int n) { SetInt("Field Size", n); }
  // Parses "Field Options" (comma text) into OptionList and returns it.
  std::vector<std::string>& Options();
  // Writes OptionList back into "Field Options" as comma text.
  void StoreOptions();

  static const char* FieldTypeText(int code);
  static TFieldType FieldTypeFromText(std::string_view text);

  // Never stored: the parsed "Field Options".
  std::vector<std::string> OptionList;
};

// One stored form; its sections are its fields in page order. A stored form is plain data: the
// engine keeps its links to a live page apart (TFormBinding), so a site record can outlive any
// page and be read from several threads.
class TWebForm : public TMultiOptions {
 public:
  TWebForm();  // Created = now, Purpose none, no fields

  // The list holding the form, or nullptr for a form outside a site.
  TFormsList* FormsList() const;

  int FieldCount() const { return Count(); }
  TFormField& AddField();
  TFormField& FieldAt(int i);
  const TFormField& FieldAt(int i) const;
  // The first field whose "Field Name" equals name exactly, or nullptr.
  TFormField* FieldByName(std::string_view name);

  // From another TWebForm: its fields (lines, Index, Name) and every stored and captured member;
  // any other list is copied through a stream.
  void Assign(const TPersistObjList& source) override;

  // "FNG2.0-" plus the first and last character of every named field that is not hidden.
  void UpdateFingerprint();
  static std::string ComputeFingerprint(const TWebForm& form);
  bool HasHiddenFields() const;
  void ClearHiddenValues();

  void SaveToStream(TStream& s) const override;
  // Throws std::runtime_error when the binary part is cut short; the field text runs to the end
  // of the stream.
  void LoadFromStream(TStream& s) override;
  // The binary part alone: everything LoadFromStream reads before the field text.
  void ReadHeader(TStream& s);

  std::string FormName;
  std::string Action;
  // A file may hold any byte here; it is kept as read and written back unchanged.
  TFormMethod Method = mtGet;
  std::string Encoding;
  std::string URL;
  std::string OuterHTML;  // capture only, never stored
  std::string InnerText;  // written empty
  std::string Fingerprint;
  TFormPurpose Purpose = fpNone;  // kept as read, like Method
  TDateTime Created = 0;
  TDateTime LastUpdated = 0;

 protected:
  std::unique_ptr<TPersistObj> CreateItem() override;
};

class TFormsList : public TPersistObjList {
 public:
  TWebSite* Site = nullptr;  // not owning

  TWebForm& AddForm();
  TWebForm* FormAt(int i) const { return static_cast<TWebForm*>(ItemAt(i)); }

  void SaveToStream(TStream& s) const override;
  // The layout the owning site's signature implies ("WSD 1.0" stores forms unwrapped).
  void LoadFromStream(TStream& s) override;
  // Reads a forms block; `unwrapped` for the oldest layout, in which each form follows the
  // previous one without a size of its own (so the first form's field text swallows the rest
  // and later forms read as empty).
  void LoadForms(TStream& s, bool unwrapped);
  // Raises the error LoadForms would for this block without building the forms; the stream's
  // position is kept.
  static void CheckForms(TStream& s, bool unwrapped);

  // The first form whose fingerprint equals either live fingerprint; none for an empty new one.
  TWebForm* FindByFingerprint(std::string_view old_fingerprint,
                              std::string_view new_fingerprint) const;
  // The stored form most like a page form without an exact match: a field count close to the
  // page form's element count, then the longest common address prefix; nullptr when none.
  TWebForm* FindSimilar(std::string_view page_url, int element_count) const;

 protected:
  std::unique_ptr<TPersistObj> CreateItem() override;

 private:
  // LoadForms into `into`, or only the checks when it is nullptr.
  static void ReadForms(TStream& s, bool unwrapped, TFormsList* into);
};

// --- Fill rules exchange (".tml" files and the clipboard) ----------------------------------------

// Fills `rules` (emptied first) with the sections "Fill with", "Ignore", "Treat as login", one
// line per named field in field order.
void ExportRules(const TWebForm& form, TMultiOptions& rules);
// Takes, for each named field in order, the first "Fill with" line of that exact name and the
// lines at the same position of the other two sections, then removes those lines (so a second
// field of the same name takes the next one). Fields without a line keep their rules.
void ImportRules(TWebForm& form, const TMultiOptions& rules);
// The ".tml" file: the option-tree text of ExportRules. Both throw std::runtime_error when the
// file cannot be written or read.
void SaveRulesFile(const TWebForm& form, const std::string& path);
void LoadRulesFile(TWebForm& form, const std::string& path);

// Comma text: items separated by commas (or blanks outside quotes); an item holding a blank,
// a comma, a quote or a control byte is written in double quotes with inner quotes doubled.
std::vector<std::string> ParseCommaText(std::string_view text);
std::string MakeCommaText(const std::vector<std::string>& items);

}  // namespace quillora
